// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"

#include <QString>

namespace initdb {

enum class Made {
    New,     // an empty database was made
    KeptOld, // a file was there already and was not touched
};

// Makes an empty database with both tables at path, readable and writable by
// its owner alone, unless a file is there. A link to a missing file is
// refused: it names the file to make.
Result<Made> createEmptyDatabase(const QString& path);

// Adds the demo servers, all on 127.0.0.1: three virtual servers of the
// simulator's --demo on queryPort, a silent one on queryPort + 1, a refusing
// one on queryPort + 2, and a host that does not resolve.
Status addDemoServers(const QString& path, quint16 queryPort);

} // namespace initdb
