// SPDX-License-Identifier: MIT
#pragma once

#include "query/Refresh.h"
#include "store/ServerGrid.h"

// A refresh's rows read from a list of servers at one timeout, asked without
// a wait before connecting: the window's part, for tests and benchmarks.
struct ListSource : query::RefreshSource {
    explicit ListSource(const ServerGrid& grid, QString timeout = QStringLiteral("1500"))
        : grid(grid), timeout(std::move(timeout)) {}
    [[nodiscard]] int lastRow() const override { return grid.lastRow(); }
    [[nodiscard]] const ListedServer* serverOn(int row) const override { return grid.server(row); }
    [[nodiscard]] QString timeoutText() const override { return timeout; }
    [[nodiscard]] bool waitBeforeConnect() const override { return false; }
    const ServerGrid& grid;
    QString timeout;
};
