// SPDX-License-Identifier: MIT
#pragma once

#include "launch/LinkOpener.h"

#include <QString>

namespace client_link {

// The program's homepage, opened by a click on the logo.
inline constexpr auto kHomepage = "https://quarnel.example.org/";

// "teamspeak://" host ":" voice port, then "?nickname=", "?loginname=" and
// "?password=" for each box that is not empty; values as they stand.
QString build(const QString& host, const QString& voicePort, const QString& nickname,
              const QString& loginName, const QString& password);

// Hands the homepage to the desktop.
void fOpenHomepage(LinkOpener& opener, const LinkOpener::Done& done);

} // namespace client_link
