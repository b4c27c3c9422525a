#pragma once

#include "store/Result.h"

#include <QString>

// The login settings of one server.
struct UserData {
    QString Nickname;
    QString LoginName;
    QString Password;
    bool Found = false; // a stored row was read
};

namespace mod_Userdata {

// The first stored row for the server. Any failure gives Found false.
UserData fGetUserdata(qint32 serverId);

// Stores the three texts for the server, adding the row when there is none.
Status fSaveUserdata(qint32 serverId, const UserData& settings);

// The question asked before saving: the replace form when settings are
// stored, else the save form. Passwords appear as one "*" per character.
QString saveQuestion(const UserData& stored, const UserData& entered);

} // namespace mod_Userdata
