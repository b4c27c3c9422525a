// SPDX-License-Identifier: MIT
// Query costs over loopback against the simulator: a refresh of 1, 10 and 100
// answering servers at the default timeout, a player list of 1, 100 and 1,000
// players, and the longest stall of the event loop while 20 silent servers
// are refreshed.
#include "query/PlayerList.h"
#include "query/Refresh.h"
#include "store/ServerGrid.h"
#include "tests/support/ListSource.h"
#include "tools/simulator/QuerySimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <cstdio>

namespace {

// Servers on one query port, all with the voice port 8767.
void fill(ServerGrid& grid, int servers, const QString& queryPort) {
    QList<Server> list;
    for (int i = 1; i <= servers; ++i) {
        list << Server{i, QStringLiteral("S"), QStringLiteral("127.0.0.1"), QStringLiteral("8767"),
                       queryPort};
    }
    grid.load(ServerList::of(list));
}

double refreshMs(ServerGrid& grid, const QString& timeout) {
    const ListSource source(grid, timeout);
    query::Refresh refresh(source);
    QSignalSpy done(&refresh, &query::Refresh::finished);
    QElapsedTimer clock;
    clock.start();
    refresh.start();
    done.wait(600000);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, sim::QuerySimulator::crowd(12));

    std::printf("refresh at \"1500\" (answering servers)\n%8s %10s %12s\n", "servers", "total ms",
                "per server");
    for (const int servers : {1, 10, 100}) {
        ServerGrid grid;
        fill(grid, servers, QString::number(port));
        const double ms = refreshMs(grid, QStringLiteral("1500"));
        std::printf("%8d %10.1f %12.2f\n", servers, ms, ms / servers);
    }

    std::printf("\nplayer list\n%8s %10s\n", "players", "ms");
    for (const int count : {1, 100, 1000}) {
        simulator.addServer(9000, sim::QuerySimulator::crowd(count));
        query::PlayerList playerList;
        qsizetype entries = 0;
        QObject::connect(&playerList, &query::PlayerList::listed,
                         [&](const QList<answer::Player>& listed) { entries = listed.size(); });
        QSignalSpy done(&playerList, &query::PlayerList::finished);
        QElapsedTimer clock;
        clock.start();
        playerList.start({1, QStringLiteral("S"), QStringLiteral("127.0.0.1"),
                          QStringLiteral("9000"), QString::number(port)},
                         false);
        done.wait(60000);
        std::printf("%8d %10.2f   (%lld entries)\n", count,
                    static_cast<double>(clock.nsecsElapsed()) / 1e6,
                    static_cast<long long>(entries));
    }

    const quint16 silentPort = simulator.listen(sim::Behaviour::Mode::Silent);
    ServerGrid grid;
    fill(grid, 20, QString::number(silentPort));
    QTimer ticker;
    QElapsedTimer gap;
    qint64 longest = 0;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, gap.restart()); });
    gap.start();
    ticker.start(1);
    const double ms = refreshMs(grid, QStringLiteral("500"));
    ticker.stop();
    std::printf(
        "\n20 silent servers at \"500\": %.0f ms in all, longest event-loop stall %lld ms\n", ms,
        static_cast<long long>(longest));
    return 0;
}
