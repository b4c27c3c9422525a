// Query costs over loopback against the simulator: a refresh of 1, 10 and 100
// answering servers at the default timeout, a player list of 1, 100 and 1,000
// players, and the longest stall of the event loop while 20 silent servers
// are refreshed.
#include "query/PlayerList.h"
#include "query/Refresh.h"
#include "store/FlexGrid.h"
#include "tools/simulator/QuerySimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSignalSpy>
#include <QTimer>
#include <cstdio>

namespace {

void fill(FlexGrid& grid, int servers, quint16 port, quint16 voice) {
    grid.Clear();
    grid.setRows(1);
    for (int i = 1; i <= servers; ++i) {
        grid.AddItem(QStringLiteral("%1\tS\t127.0.0.1\t%2\t%3\tX").arg(i).arg(voice).arg(port));
    }
}

QList<sim::Player> players(int count) {
    QList<sim::Player> list;
    for (int i = 0; i < count; ++i) {
        list << sim::Player{"Player " + QByteArray::number(i), "login" + QByteArray::number(i),
                            (i % 3) * 8};
    }
    return list;
}

double refreshMs(FlexGrid& grid, const QString& timeout) {
    query::Refresh refresh({&grid, [timeout] { return timeout; }, [] { return false; }, [] {}});
    QSignalSpy done(&refresh, &query::Refresh::finished);
    QElapsedTimer clock;
    clock.start();
    refresh.start();
    done.wait(600000);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, players(12));

    std::printf("refresh at \"1500\" (answering servers)\n%8s %10s %12s\n", "servers", "total ms",
                "per server");
    for (const int servers : {1, 10, 100}) {
        FlexGrid grid;
        fill(grid, servers, port, 8767);
        const double ms = refreshMs(grid, QStringLiteral("1500"));
        std::printf("%8d %10.1f %12.2f\n", servers, ms, ms / servers);
    }

    std::printf("\nplayer list\n%8s %10s\n", "players", "ms");
    for (const int count : {1, 100, 1000}) {
        simulator.addServer(9000, players(count));
        FlexGrid grid;
        fill(grid, 1, port, 9000);
        grid.setRow(1);
        QListWidget list;
        query::PlayerList playerList({&grid, &list, [] { return false; }, [](qint32) {}});
        QSignalSpy done(&playerList, &query::PlayerList::finished);
        QElapsedTimer clock;
        clock.start();
        playerList.MSFlexGrid1_Click();
        done.wait(60000);
        std::printf("%8d %10.2f   (%lld entries)\n", count,
                    static_cast<double>(clock.nsecsElapsed()) / 1e6,
                    static_cast<long long>(list.count()));
    }

    const quint16 silentPort = simulator.listen(sim::Behaviour::Mode::Silent);
    FlexGrid grid;
    fill(grid, 20, silentPort, 8767);
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
