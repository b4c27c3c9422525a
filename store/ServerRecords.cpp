#include "store/ServerRecords.h"

#include "query/Convert.h"
#include "store/Database.h"
#include "store/FlexGrid.h"
#include "store/mod_DB.h"

namespace server_records {

std::optional<qint32> selectedServerId(const FlexGrid& grid) {
    const int row = grid.Row();
    if (row < 1 || row >= grid.Rows()) {
        return std::nullopt;
    }
    return convert::toLong(grid.TextMatrix(row, 0));
}

void addServer(Database& db, const ServerFields& fields) {
    Recordset rs = db.OpenRecordset(QStringLiteral("tbl_Srv"));
    rs.AddNew();
    rs.SetField(1, fields.name);
    rs.SetField(2, fields.ip);
    rs.SetField(3, fields.port);
    rs.SetField(4, fields.tcpPort);
    rs.Update();
    rs.Close();
}

std::optional<ServerFields> readServer(Database& db, qint32 id) {
    Recordset rs = db.OpenRecordset(mod_DB::selectServer(QString::number(id)));
    if (rs.Eof()) {
        return std::nullopt;
    }
    const QVariant empty{QString()};
    const auto text = [&](const char* field) {
        return mod_DB::fNullTo(rs.Field(QLatin1String(field)), empty).toString();
    };
    ServerFields fields;
    fields.ip = text("IP");
    fields.name = text("ServerName");
    fields.port = text("Port");
    fields.tcpPort = text("TCPPort");
    rs.Close();
    return fields;
}

bool saveServer(Database& db, const QString& idText, const ServerFields& fields) {
    Recordset rs = db.OpenRecordset(mod_DB::selectServer(idText));
    if (rs.Eof()) {
        return false;
    }
    rs.Edit();
    rs.SetField(QStringLiteral("IP"), fields.ip);
    rs.SetField(QStringLiteral("ServerName"), fields.name);
    rs.SetField(QStringLiteral("Port"), fields.port);
    rs.SetField(QStringLiteral("TCPPort"), fields.tcpPort);
    rs.Update();
    rs.Close();
    return true;
}

QString deleteQuestion(const QString& name, const QString& ip, const QString& port) {
    return QStringLiteral("Delete Server\r\n") + name + QStringLiteral("  ") + ip +
           QLatin1Char(':') + port + QLatin1Char('?');
}

} // namespace server_records
