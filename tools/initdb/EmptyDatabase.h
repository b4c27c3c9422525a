// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"

#include <QString>

namespace initdb {

// Makes an empty database with both tables at path, readable and writable by
// its owner alone: true when made, false when a file was there (never touched).
Result<bool> createEmptyDatabase(const QString& path);

// Adds the demo servers, all on 127.0.0.1: three virtual servers of the
// simulator's --demo on queryPort, a silent one on queryPort + 1, a refusing
// one on queryPort + 2, and a host that does not resolve.
Status addDemoServers(const QString& path, quint16 queryPort);

} // namespace initdb
