#include "store/mod_DBWork.h"

#include "store/Database.h"
#include "store/FlexGrid.h"

namespace mod_DBWork {

void fLoadServerList(Database& db, FlexGrid& grid) {
    grid.Clear();
    grid.setRows(1);
    grid.setTextMatrix(0, 1, QStringLiteral("Servername"));
    grid.setTextMatrix(0, 2, QStringLiteral("IP"));
    grid.setTextMatrix(0, 3, QStringLiteral("Port"));
    grid.setTextMatrix(0, 4, QStringLiteral("TCPPort"));
    grid.setTextMatrix(0, 5, QStringLiteral("Player"));
    Recordset rs = db.OpenRecordset(QStringLiteral("tbl_Srv"));
    int row = 0;
    // One batch of rows: the view lays itself out once, not once per server.
    const FlexGrid::Batch batch(grid);
    while (!rs.Eof()) {
        ++row;
        grid.AddItem(QString());
        grid.setTextMatrix(row, 0, rs.Field(QStringLiteral("ID")).toString());
        grid.setTextMatrix(row, 1, rs.Field(QStringLiteral("ServerName")).toString());
        grid.setTextMatrix(row, 2, rs.Field(QStringLiteral("IP")).toString());
        grid.setTextMatrix(row, 3, rs.Field(QStringLiteral("Port")).toString());
        grid.setTextMatrix(row, 4, rs.Field(QStringLiteral("TCPPort")).toString());
        grid.setTextMatrix(row, 5, QStringLiteral("X"));
        rs.MoveNext();
    }
    rs.Close();
}

} // namespace mod_DBWork
