// SPDX-License-Identifier: MIT
// The window on a screen too small for its old size at the scale it runs at
// (the screen and the scale are set by CTest): it fits the screen's free area,
// and every control can be scrolled into sight and used.
#include "app/Form1.h"
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
        const QRect room = form.screen()->availableGeometry();
        QVERIFY2(room.contains(form.frameGeometry()),
                 qPrintable(QString("%1x%2 window on a %3x%4 screen")
                                .arg(form.frameGeometry().width())
                                .arg(form.frameGeometry().height())
                                .arg(room.width())
                                .arg(room.height())));
        auto* scroll = form.findChild<QScrollArea*>("Scroll");
        for (const char* name :
             {"MSFlexGrid1", "Command3", "Command7", "Command4", "Command2", "LPlayer", "Text1",
              "Text2", "Text3", "Command6", "Command5", "Combo1", "Command1"}) {
            auto* control = form.findChild<QWidget*>(name);
            scroll->ensureWidgetVisible(control, 0, 0);
            const QRect shown(control->mapTo(scroll->viewport(), QPoint()), control->size());
            QVERIFY2(scroll->viewport()->rect().intersects(shown), name);
        }
        QTest::mouseClick(form.findChild<QWidget*>("Command1"), Qt::LeftButton); // "QUIT"
        QCOMPARE(ends, 1);
    }
};

QTEST_MAIN(TestFit)
#include "test_fit.moc"
