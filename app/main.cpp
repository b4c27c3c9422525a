#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return startQuarnel(QCoreApplication::applicationDirPath());
}
