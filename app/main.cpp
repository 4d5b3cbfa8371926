// The program's entry: everything happens in the start-up sequence.
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return RunTamberon(app);
}
