// SPDX-License-Identifier: MIT
// The window on a screen too small for its old size at the scale it runs at
// (the screen and the scale are set by CTest): it fits the screen's free area,
// and every control can be scrolled into sight and used.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

class TestFit : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void theWindowFitsAndEveryControlIsInReach() {
        TempFolder folder;
        Form1 form;
        int ends = 0;
        form.endProgram = [&ends] { ++ends; };
        QVERIFY(form.Form_Load(folder.path()));
        form.move(5000, 5000); // placed off the screen: it comes back onto it
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Inside the free area, pushed back to its far corner.
        const auto fits = [&form] {
            const QRect room = form.screen()->availableGeometry();
            return room.contains(form.frameGeometry()) &&
                   form.frameGeometry().bottomRight() == room.bottomRight();
        };
        QVERIFY2(fits(), qPrintable(QString("frame %1,%2 on %3x%4")
                                        .arg(form.frameGeometry().right())
                                        .arg(form.frameGeometry().bottom())
                                        .arg(form.screen()->availableGeometry().width())
                                        .arg(form.screen()->availableGeometry().height())));
        // Taken to a smaller screen, it fits that one.
        if (QScreen* small = QGuiApplication::screens().last(); small != form.screen()) {
            form.move(small->geometry().topLeft() + QPoint(5000, 5000));
            form.windowHandle()->setScreen(small);
            QTRY_VERIFY(fits());
        }
        auto* scroll = form.findChild<QScrollArea*>("Scroll");
        for (const char* name :
             {"MSFlexGrid1", "Command3", "Command7", "Command4", "Command2", "LPlayer", "Text1",
              "Text2", "Text3", "Command6", "Command5", "Combo1", "Command1"}) {
            auto* control = form.findChild<QWidget*>(name);
            scroll->ensureWidgetVisible(control, 0, 0);
            const QRect shown(control->mapTo(scroll->viewport(), QPoint()), control->size());
            QVERIFY2(scroll->viewport()->rect().intersects(shown), name);
        }
        // Outside the other tests' recording, a message is a real box, in front of the window.
        bool shown = false;
        QTimer answering; // once the box runs its event loop
        answering.setSingleShot(true);
        QObject::connect(&answering, &QTimer::timeout, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = true;
                box->accept();
            }
        });
        answering.start(0);
        MessageBox::showError(&form, "seen");
        QVERIFY(shown);
        QTest::mouseClick(form.findChild<QWidget*>("Command1"), Qt::LeftButton); // "QUIT"
        QCOMPARE(ends, 1);
    }
};

QTEST_MAIN(TestFit)
#include "test_fit.moc"
