// Writes the demonstration project into a program folder, or only its layers into a folder.
#include "tools/demo/DemoSettlement.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

int Usage() {
    std::fputs("usage: make_demo APPDIR [DISTRICTS [FUNCTIONAL]]\n"
               "       make_demo --layers FOLDER [DISTRICTS [FUNCTIONAL]]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool layersOnly = !args.isEmpty() && args.first() == QStringLiteral("--layers");
    if (layersOnly)
        args.removeFirst();
    if (args.isEmpty() || args.size() > 3)
        return Usage();
    DemoSize size;
    bool ok = true;
    if (args.size() > 1)
        size.districts = args[1].toInt(&ok);
    if (ok && args.size() > 2)
        size.functional = args[2].toInt(&ok);
    if (!ok)
        return Usage();
    QString error;
    const bool written = layersOnly ? WriteDemoLayers(args[0], size, &error)
                                    : WriteDemoProject(args[0], size, &error);
    if (!written) {
        std::fprintf(stderr, "make_demo: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
