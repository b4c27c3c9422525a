#include "app/Form1.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int status = startQuarnel(QCoreApplication::applicationDirPath());
    // The window and the database are closed by now. Name lookups still
    // running in Qt's threads would keep the process alive for seconds.
    (void)std::fflush(nullptr);
    std::_Exit(status);
}
