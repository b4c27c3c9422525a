// SPDX-License-Identifier: MIT
// Quarnel as its main runs it, on the folder given, with a job that keeps a
// thread of the process busy for half a minute (as a name lookup that hangs
// does) and "QUIT" pressed as soon as the window is up.
#include "app/Form1.h"

#include <QApplication>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

int main(int argc, char* argv[]) {
    runQuarnel(argc, argv, QString::fromLocal8Bit(argv[1]), [] {
        QThreadPool::globalInstance()->start([] { QThread::sleep(30); });
        QTimer::singleShot(200, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* quit = top->findChild<QToolButton*>(QStringLiteral("Command1"))) {
                    quit->click();
                }
            }
        });
    });
}
