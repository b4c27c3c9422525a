// SPDX-License-Identifier: MIT
#pragma once

#include "launch/LinkOpener.h"
#include "store/Rows.h"

#include <QString>

namespace client_link {

// The program's homepage, opened by a click on the logo.
inline constexpr auto kHomepage = "https://quarnel.example.org/";

// "teamspeak://" IP ":" voice port of the server, then "?nickname=",
// "?loginname=" and "?password=" for each login text that is not empty;
// values as they stand, but for a bare IPv6 address, which goes in brackets.
QString build(const Server& server, const UserData& login);

// Hands the homepage to the desktop.
void fOpenHomepage(LinkOpener& opener, const LinkOpener::Done& done);

} // namespace client_link
