// SPDX-License-Identifier: MIT
// Soak: the main window refreshes 50 simulated servers over and over, and
// lists the players of a random row now and then, while some servers stall,
// trickle bytes, close mid-answer, send megabytes or garbage. Samples memory,
// open file descriptors and the longest stall of the event loop.
//   soak [SECONDS]   (default 180). Exits 1 when descriptors leak, memory
//   keeps growing or the window stops answering.
#include "app/Form1.h"
#include "query/Refresh.h"
#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"
#include "tools/simulator/QuerySimulator.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <limits>

namespace {

long rssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

qsizetype openFds() {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
        .size();
}

using Mode = sim::Behaviour::Mode;

struct Kind {
    const char* name;
    int servers;
    sim::Behaviour behaviour;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 180;

    // The servers live in a thread of their own, like real peers would.
    QThread serverThread;
    serverThread.start();
    auto* simulator = new sim::QuerySimulator;
    simulator->moveToThread(&serverThread);
    // Deleted in its own thread as that thread ends, whatever is still queued there.
    QObject::connect(&serverThread, &QThread::finished, simulator, &QObject::deleteLater);
    const QList<sim::Player> players = sim::QuerySimulator::crowd(30);
    const QList<Kind> kinds{
        {"normal", 20, {}},
        {"silent", 5, {Mode::Silent, 0, 0, 0, false, true, 0, {}}},
        {"stalls after greeting", 4, {Mode::GreetingOnly, 0, 0, 0, false, true, 0, {}}},
        {"trickles", 5, {Mode::Normal, 0, 7, 3, false, true, 0, {}}},
        {"resets mid-answer", 5, {Mode::ResetMidAnswer, 0, 0, 0, false, true, 0, {}}},
        {"megabytes", 3, {Mode::Normal, 0, 0, 0, false, true, qint64{3} * 1024 * 1024, {}}},
        {"garbage", 4, {Mode::Garbage, 0, 0, 0, false, true, 0, {}}},
        {"refuses", 4, {}}};
    QList<quint16> ports;
    QList<const char*> names;
    QMetaObject::invokeMethod(
        simulator,
        [&] {
            simulator->addServer(8767, players);
            for (const Kind& kind : kinds) {
                const bool refuse = QByteArray(kind.name) == "refuses";
                const quint16 port = refuse ? 0 : simulator->listen(kind.behaviour);
                for (int i = 0; i < kind.servers; ++i) {
                    ports << (refuse ? quint16(1) : port);
                    names << kind.name;
                }
            }
        },
        Qt::BlockingQueuedConnection);

    QTemporaryDir dir;
    const QString db = dir.path() + QStringLiteral("/TS.mdb");
    (void)initdb::createEmptyDatabase(db);
    QList<Server> servers;
    for (int i = 0; i < ports.size(); ++i) {
        servers << Server{0, QStringLiteral("%1 %2").arg(QLatin1String(names[i])).arg(i),
                          QStringLiteral("127.0.0.1"), QStringLiteral("8767"),
                          QString::number(ports[i])};
    }
    if (const Status filled = mod_DB::appendToFile(db, servers); !filled) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(filled.error()));
        return 1;
    }

    Form1 form;
    if (const Status loaded = form.Form_Load(dir.path()); !loaded) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(loaded.error()));
        return 1;
    }
    form.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    auto* timeout = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
    timeout->setEditText(QStringLiteral("500"));
    Q_EMIT timeout->lineEdit()->editingFinished(); // as if typed and left
    form.show();

    int refreshes = 0;
    QObject::connect(&form.refresh(), &query::Refresh::finished, &form, [&] {
        ++refreshes;
        QTimer::singleShot(0, &form, &Form1::Command2_Click);
    });
    form.Command2_Click();

    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, &form, [&] {
        form.model().setRow(
            static_cast<int>(QRandomGenerator::global()->bounded(1, form.model().Rows())));
        form.MSFlexGrid1_Click();
    });
    clicker.start(700);

    qint64 longestStall = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestStall = std::max(longestStall, gap.restart()); });
    ticker.start(10);

    QList<long> rss;
    QList<qsizetype> fds;
    QElapsedTimer clock;
    clock.start();
    std::printf("%8s %10s %6s %10s %14s\n", "seconds", "rss KiB", "fds", "refreshes",
                "longest stall");
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        rss << rssKb();
        fds << openFds();
        std::printf("%8lld %10ld %6lld %10d %11lld ms\n",
                    static_cast<long long>(clock.elapsed() / 1000), rss.last(),
                    static_cast<long long>(fds.last()), refreshes,
                    static_cast<long long>(longestStall));
        std::fflush(stdout);
        if (clock.elapsed() >= seconds * 1000LL) {
            QCoreApplication::quit();
        }
    });
    sampler.start(std::max(1000, seconds * 1000 / 12));
    QApplication::exec();

    form.Form_Unload();
    serverThread.quit();
    serverThread.wait();

    // The first sample is after warm-up; compare the rest with it.
    bool ok = rss.size() >= 3 && refreshes > 0;
    const long growthKb = rss.size() >= 3 ? rss.last() - rss[1] : 0;
    const qsizetype fdGrowth = fds.size() >= 3 ? fds.last() - fds[1] : 0;
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer holds freed memory back on purpose, and finds leaks itself at exit;
    // it also makes every step several times slower.
    constexpr long kGrowthLimitKb = std::numeric_limits<long>::max();
    constexpr qint64 kStallLimitMs = 1000;
#else
    constexpr long kGrowthLimitKb = 20L * 1024;
    constexpr qint64 kStallLimitMs = 250;
#endif
    ok = ok && growthKb < kGrowthLimitKb && fdGrowth <= 4 && longestStall < kStallLimitMs;
    std::printf("soak %s: %d s, %d refreshes, rss %ld -> %ld KiB, fds %lld -> %lld, longest stall "
                "%lld ms\n",
                ok ? "passed" : "FAILED", seconds, refreshes, rss.value(1),
                rss.value(rss.size() - 1), static_cast<long long>(fds.value(1)),
                static_cast<long long>(fds.value(fds.size() - 1)),
                static_cast<long long>(longestStall));
    return ok ? 0 : 1;
}
