#pragma once

#include <QString>

class Database;

// The login settings of one server.
struct UserData {
    QString Nickname;
    QString LoginName;
    QString Password;
    bool Found = false; // a stored row was read
};

namespace mod_Userdata {

// Reads the first stored row for the server. Never throws: any failure gives Found false.
UserData fGetUserdata(Database& db, qint32 serverId);

// Stores the three texts for the server, adding the row when there is none.
// Throws DbError when the database refuses the write; nothing is half-written then.
bool fSaveUserdata(Database& db, qint32 serverId, const UserData& settings);

// The question asked before saving: the replace form when settings are
// stored, else the save form. Passwords appear as one "*" per character.
QString saveQuestion(const UserData& stored, const UserData& entered);

} // namespace mod_Userdata
