#pragma once

#include <QString>
#include <optional>

class Database;
class FlexGrid;

// The four texts of one server, as typed or as stored.
struct ServerFields {
    QString name;
    QString ip;
    QString port;
    QString tcpPort;
};

namespace server_records {

inline constexpr auto kDefaultQueryPort = "51234";

// The ID in the hidden column of the grid's current row; nullopt when no
// server row is selected (or the cell holds no number).
std::optional<qint32> selectedServerId(const FlexGrid& grid);

// Appends a server, writing the fields by position 1 to 4; the store picks the ID.
void addServer(Database& db, const ServerFields& fields);

// The stored server, nulls as empty texts; nullopt when it is gone.
std::optional<ServerFields> readServer(Database& db, qint32 id);

// Writes the fields into the server whose ID text is given; false when that
// server is no longer stored (nothing is written then).
bool saveServer(Database& db, const QString& idText, const ServerFields& fields);

// "Delete Server", CR LF, then name, two blanks, IP, ":", port and "?".
QString deleteQuestion(const QString& name, const QString& ip, const QString& port);

} // namespace server_records
