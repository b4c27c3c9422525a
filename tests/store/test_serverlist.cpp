#include "store/FlexGrid.h"
#include "store/mod_DB.h"
#include "store/mod_DBWork.h"
#include "support/TestSupport.h"

#include <QtTest>

class TestServerList : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void emptyTableLeavesTheHeadingRowAlone();
    void rowsFollowStoredOrderWithTheHiddenKey();
    void reloadResetsCountsAndSelection();
    void nullFieldsShowEmpty();
    void deleteReloads();
    void gridOperations();
};

namespace {
QStringList row(const FlexGrid& grid, int r) {
    QStringList cells;
    for (int c = 0; c < 6; ++c) {
        cells << grid.TextMatrix(r, c);
    }
    return cells;
}
} // namespace

void TestServerList::emptyTableLeavesTheHeadingRowAlone() {
    TempProgramFolder folder;
    auto db = Database::open(folder.dbPath());
    FlexGrid grid;
    grid.AddItem(QStringLiteral("old"));
    mod_DBWork::fLoadServerList(*db, grid);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(row(grid, 0), QStringList({QString(), QStringLiteral("Servername"),
                                        QStringLiteral("IP"), QStringLiteral("Port"),
                                        QStringLiteral("TCPPort"), QStringLiteral("Player")}));
    QCOMPARE(grid.Row(), 0);
}

void TestServerList::rowsFollowStoredOrderWithTheHiddenKey() {
    TempProgramFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv VALUES (2, 'Two', 'h2', '8767', '51234')"));
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv VALUES (5, 'Five', 'h5', '1', '2')"));
    folder.exec(
        QStringLiteral("INSERT INTO tbl_Srv VALUES (9, 'Nine', '10.0.0.9', ' 03 ', 'abc')"));
    auto db = Database::open(folder.dbPath());
    FlexGrid grid;
    grid.setColWidth(0, 0);
    mod_DBWork::fLoadServerList(*db, grid);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(row(grid, 1),
             QStringList({QStringLiteral("2"), QStringLiteral("Two"), QStringLiteral("h2"),
                          QStringLiteral("8767"), QStringLiteral("51234"), QStringLiteral("X")}));
    QCOMPARE(grid.TextMatrix(2, 0), QStringLiteral("5"));
    QCOMPARE(row(grid, 3),
             QStringList({QStringLiteral("9"), QStringLiteral("Nine"), QStringLiteral("10.0.0.9"),
                          QStringLiteral(" 03 "), QStringLiteral("abc"), QStringLiteral("X")}));
    QVERIFY(grid.isColumnHidden(0));
    QCOMPARE(grid.ColWidth(0), 0);
}

void TestServerList::reloadResetsCountsAndSelection() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("a"), QStringLiteral("h"), QStringLiteral("1"),
                     QStringLiteral("2"));
    folder.addServer(QStringLiteral("b"), QStringLiteral("h"), QStringLiteral("1"),
                     QStringLiteral("2"));
    auto db = Database::open(folder.dbPath());
    FlexGrid grid;
    mod_DBWork::fLoadServerList(*db, grid);
    grid.setTextMatrix(1, 5, QStringLiteral("7"));
    grid.setTextMatrix(2, 5, QStringLiteral("0"));
    grid.setRow(2);
    QCOMPARE(grid.Row(), 2);
    mod_DBWork::fLoadServerList(*db, grid);
    QCOMPARE(grid.TextMatrix(1, 5), QStringLiteral("X"));
    QCOMPARE(grid.TextMatrix(2, 5), QStringLiteral("X"));
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.Row(), 0);
}

void TestServerList::nullFieldsShowEmpty() {
    TempProgramFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv VALUES (3, NULL, NULL, NULL, NULL)"));
    auto db = Database::open(folder.dbPath());
    FlexGrid grid;
    mod_DBWork::fLoadServerList(*db, grid);
    QCOMPARE(row(grid, 1), QStringList({QStringLiteral("3"), QString(), QString(), QString(),
                                        QString(), QStringLiteral("X")}));
}

void TestServerList::deleteReloads() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("a"), {}, {}, {});
    folder.addServer(QStringLiteral("b"), {}, {}, {});
    auto db = Database::open(folder.dbPath());
    QStringList sent;
    db->setStatementObserver([&](const QString& s) { sent << s; });
    FlexGrid grid;
    mod_DBWork::fLoadServerList(*db, grid);
    grid.setTextMatrix(2, 5, QStringLiteral("4"));
    mod_DB::fDelServer(*db, grid, 1);
    QCOMPARE(sent, QStringList({QStringLiteral("tbl_Srv"),
                                QStringLiteral("Delete from tbl_Srv WHERE ID =1;"),
                                QStringLiteral("tbl_Srv")}));
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(row(grid, 1), QStringList({QStringLiteral("2"), QStringLiteral("b"), QString(),
                                        QString(), QString(), QStringLiteral("X")}));
}

void TestServerList::gridOperations() {
    FlexGrid grid;
    grid.AddItem(QStringLiteral("1\tone\thost"));
    grid.AddItem(QString());
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.TextMatrix(1, 2), QStringLiteral("host"));
    QCOMPARE(grid.TextMatrix(2, 1), QString());
    grid.setTextMatrix(0, 1, QStringLiteral("head"));
    grid.Clear();
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.TextMatrix(0, 1), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QString());
    grid.setRow(2);
    grid.setCol(1);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.Col(), 1);
    grid.setColWidth(1, 2700);
    QCOMPARE(grid.ColWidth(1), 2700);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setTextMatrix(3, 0, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)grid.TextMatrix(0, 6));
    grid.setRows(1);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.Row(), 0);
}

QTEST_MAIN(TestServerList)
#include "test_serverlist.moc"
