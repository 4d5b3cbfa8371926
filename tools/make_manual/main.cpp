// Writes the manual page tamberon(1): the page's own text with each command's help, as the
// program prints it, put in place of "@COMMANDS@", the program's version in place of
// "@VERSION@" and the page's date in place of "@DATE@".
//
//   make_manual SOURCE OUTPUT DATE

#include "commands/CommandLine.h"
#include "common/EngineMessages.h"
#include "common/GlobalVar.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

namespace {

/** The commands "tamberon --help" lists ("  tamberon WORD ..."), in its order. */
QStringList CommandWords() {
    static const QRegularExpression line(QStringLiteral("^  tamberon ([a-z]+) "),
                                         QRegularExpression::MultilineOption);
    QStringList words;
    auto it = line.globalMatch(ProgramUsage());
    while (it.hasNext()) {
        const QString word = it.next().captured(1);
        if (FindConsoleCommand(word) && !words.contains(word))
            words << word;
    }
    return words;
}

/**
 * A line of text as roff prints it literally: backslashes escaped, the dashes of options
 * made minus signs (so the command can be copied), a leading dot or apostrophe kept as text.
 */
QString RoffLine(const QString& line) {
    QString out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const QChar before = i > 0 ? line[i - 1] : QChar(u' ');
        if (c == u'\\')
            out += QStringLiteral("\\e");
        else if (c == u'-' && (before.isSpace() || before == u'-' || before == u'[' ||
                               before == u'(' || before == u'"'))
            out += QStringLiteral("\\-");
        else
            out += c;
    }
    if (out.startsWith(u'.') || out.startsWith(u'\''))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

/** Each command's help under its own heading, printed as it is laid out. */
QString CommandSections() {
    QString sections;
    for (const QString& word : CommandWords()) {
        QString help;
        QTextStream out(&help);
        QString errors;
        QTextStream err(&errors);
        FindConsoleCommand(word)({QStringLiteral("--help")}, QString(), out, err);
        out.flush();
        sections += QStringLiteral(".SS \"tamberon %1\"\n.nf\n").arg(word);
        for (const QString& line : help.split(u'\n')) {
            if (!line.trimmed().isEmpty())
                sections += RoffLine(line) + u'\n';
            else
                sections += QStringLiteral(".sp\n");
        }
        sections += QStringLiteral(".fi\n");
    }
    return sections;
}

void Fail(const QString& text) {
    std::fprintf(stderr, "make_manual: %s\n", text.toLocal8Bit().constData());
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: make_manual SOURCE OUTPUT DATE\n", stderr);
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly))
        Fail(args[1] + QStringLiteral(": ") + UkrainianEngineMessage(source.errorString()));
    QString page = QString::fromUtf8(source.readAll());
    if (!page.contains(QStringLiteral("@COMMANDS@")))
        Fail(args[1] + QStringLiteral(": no @COMMANDS@"));
    page.replace(QStringLiteral("@COMMANDS@\n"), CommandSections());
    page.replace(QStringLiteral("@VERSION@"), GlobalVar().AppVersion);
    page.replace(QStringLiteral("@DATE@"), args[3]);
    QFile output(args[2]);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        output.write(page.toUtf8()) < 0 || !output.flush())
        Fail(args[2] + QStringLiteral(": ") + UkrainianEngineMessage(output.errorString()));
    return 0;
}
