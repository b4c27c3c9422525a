// The query conversation as a state machine driven by hand: every pause,
// every byte sent, answers cut anywhere, and how answers are read.
#include "query/Exchange.h"
#include "query/Refresh.h"

#include <QtTest>

using query::Action;
using query::Outcome;

namespace {

// Runs one exchange and keeps what it asked for.
struct Run {
    explicit Run(bool refresh, const QString& queryPort = "51234",
                 const QString& voicePort = "8767", bool stepZero = false)
        : exchange({refresh, refresh, [] { return std::optional<int>(150); }}) {
        take(exchange.start("host", queryPort, voicePort, stepZero));
    }
    void take(const std::vector<Action>& actions) {
        for (const Action& action : actions) {
            connected = action.kind == Action::Kind::Connect ? action.port : connected;
            armed = action.kind == Action::Kind::ArmPause      ? action.ms
                    : action.kind == Action::Kind::CancelPause ? -1
                                                               : armed;
            if (action.kind == Action::Kind::Send) {
                sent << action.bytes;
            }
        }
    }
    bool tick() {
        const bool was = armed >= 0;
        armed = -1;
        if (was) {
            take(exchange.pauseElapsed());
        }
        return was;
    }
    void data(const QByteArray& bytes) { take(exchange.dataArrived(bytes)); }

    query::Exchange exchange;
    QList<QByteArray> sent;
    int armed = -1;
    quint16 connected = 0;
};

const QByteArray kGreeting = "[TS]\r\n";
const QByteArray kOk = "OK\r\n";
const QByteArray kList = "id\tnick\tx\r\n1\t0\t0\t0\t\"Ann\"\t\"a\"\t\r\n"
                         "2\t0\t8\t0\t\"Bob\"\t\"b\"\t\r\nOK\r\n";

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void waitsGiveUpAfterTheirPauses_data() {
        QTest::addColumn<bool>("refresh");
        QTest::addColumn<QList<int>>("arrivals"); // pauses elapsed before each answer comes
        QTest::addColumn<int>("pauses");
        QTest::addColumn<int>("sent");
        QTest::newRow("refresh, silent") << true << QList<int>{} << 9 << 0;
        QTest::newRow("refresh, greeting in the last pause") << true << QList<int>{8} << 19 << 1;
        QTest::newRow("refresh, silent after PL") << true << QList<int>{2, 9} << 23 << 2;
        QTest::newRow("player list, silent") << false << QList<int>{} << 10 << 0;
        QTest::newRow("player list, greeting in pause 6") << false << QList<int>{5} << 10 << 1;
        QTest::newRow("player list, sel answered in pause 10")
            << false << QList<int>{5, 3} << 10 << 2;
    }

    void waitsGiveUpAfterTheirPauses() {
        QFETCH(bool, refresh);
        QFETCH(QList<int>, arrivals);
        QFETCH(int, pauses);
        QFETCH(int, sent);
        Run run(refresh);
        for (qsizetype i = 0; i < arrivals.size(); ++i) {
            for (int n = 0; n < arrivals[i]; ++n) {
                run.tick();
            }
            run.data(i == 0 ? kGreeting : kOk);
        }
        while (run.tick()) {
        }
        QCOMPARE(run.exchange.result().outcome, Outcome::TimedOut);
        QCOMPARE(run.exchange.result().pauses, pauses);
        QCOMPARE(run.sent.size(), sent);
    }

    void bytesOnTheWire() {
        Run refresh(true, "51234", " 8767.4");
        Run list(false, "51234", "08767 ");
        for (Run* run : {&refresh, &list}) {
            QCOMPARE(run->connected, quint16{51234});
            run->data(kGreeting);
            run->data(kOk);
            run->data(kList);
            QCOMPARE(run->exchange.result().answer, QString::fromLatin1(kList));
        }
        QCOMPARE(refresh.sent, QList<QByteArray>({"sel 8767\r\n", "PL\r\n"}));
        QCOMPARE(list.sent, QList<QByteArray>({"sel 08767 \r\n", "PL\r\n"}));
        // A line break in the voice port would smuggle a command of its own.
        Run smuggling(false, "51234", "1\nquit");
        smuggling.data(kGreeting);
        QVERIFY(smuggling.sent.isEmpty() && smuggling.exchange.finished());
        Run failing(false);
        failing.take(failing.exchange.socketFailed(query::SocketFailure::Other, "unreachable"));
        QCOMPARE(failing.exchange.result().outcome, Outcome::SocketError);
        // Half a list and a reset: that ends the wait at once.
        Run cut(false);
        cut.data(kGreeting + kOk + kList.left(20));
        cut.take(cut.exchange.socketFailed(query::SocketFailure::ClosedByServer, "reset"));
        QCOMPARE(cut.exchange.result().outcome, Outcome::Incomplete);
        // A reply may be 1 MiB long, not a byte more.
        Run big(true);
        big.data(QByteArray(query::Exchange::kMaxReply, 'x'));
        QVERIFY(!big.exchange.finished());
        big.data("x");
        QCOMPARE(big.exchange.result().outcome, Outcome::TooLarge);
        // Step 0 pauses 500 ms before connecting.
        Run minimised(false, "51234", "1", true);
        QCOMPARE(minimised.armed, 500);
        QCOMPARE(minimised.connected, quint16{0});
        minimised.tick();
        QCOMPARE(minimised.connected, quint16{51234});
    }

    void answersCutAnywhereAreJudgedWhole() {
        // What follows the closing line is no part of the answer.
        const QList<QByteArray> answers{kGreeting, kOk, kList + "trailing"};
        for (qsizetype step = 0; step < answers.size(); ++step) {
            for (qsizetype cut = 1; cut < answers[step].size(); ++cut) {
                Run run(true);
                for (qsizetype i = 0; i < answers.size(); ++i) {
                    const QByteArray& answer = answers[i];
                    // A first part that waits out a pause is not the answer yet.
                    run.data(i == step ? answer.left(cut) : answer);
                    if (i == step) {
                        run.tick();
                        QCOMPARE(run.sent.size(), static_cast<int>(i));
                        run.data(answer.mid(cut));
                    }
                }
                QCOMPARE(run.exchange.result().outcome, Outcome::Answered);
                QCOMPARE(run.exchange.result().answer, QString::fromLatin1(kList));
            }
        }
        Run ahead(true); // a server that answers before it is asked
        ahead.data(kGreeting + kOk + kList);
        QCOMPARE(ahead.exchange.result().answer, QString::fromLatin1(kList));
    }

    void readingAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("entries"); // of the player lines, up to a malformed one
        const QString row = QStringLiteral("1\t0\t%1\t0\t%2\t\"login\"\t\r\n");
        QTest::newRow("no players") << "H\r\nOK\r\n" << 0 << QStringList{};
        QTest::newRow("no final CR LF") << "H\r\nA\r\nB\r\nOK" << 1 << QStringList{};
        QTest::newRow("one line") << "ERROR\r\n" << -1 << QStringList{};
        QTest::newRow("nothing") << "" << -3 << QStringList{};
        QTest::newRow("quotes and flags")
            << "H\r\n" + row.arg("0", "\"An\"n\"") + row.arg("8", "A") + row.arg("72", "B") +
                   row.arg("40", "C") + row.arg("12", "D") + row.arg("16", "E") +
                   row.arg("136", "F") + row.arg("-8", "G") + "OK\r\n"
            << 8
            << QStringList{"Ann", "A (Away)", "B (Away)", "C (Away)", "D (Away)", "E", "F", "G"};
        QTest::newRow("a malformed line ends the list")
            << "H\r\n" + row.arg("8", "A") + "0\t8\tX\t\"l\"\r\n" + row.arg("0", "B") + "OK\r\n"
            << 3 << QStringList{"A (Away)"};
    }

    void readingAnswers() {
        QFETCH(QString, answer);
        QFETCH(int, count);
        QFETCH(QStringList, entries);
        const QStringList pieces = answer::cutLines(answer);
        QCOMPARE(answer::playerCount(pieces), count);
        QStringList got;
        for (int k = 1; k <= count; ++k) {
            const auto player = answer::parsePlayerLine(pieces[k]);
            if (!player) {
                break;
            }
            got << answer::playerEntry(*player);
        }
        QCOMPARE(got, entries);
        QCOMPARE(answer::flagNames(73), QString("Flags 73: channel commander, away, recording"));
        QCOMPARE(answer::decode("\x80\xe9\x81"), QString::fromUtf16(u"\u20ac\u00e9\u0081"));
    }

    void pauseOfTheTimeout() {
        // A tenth of a 16-bit whole number of milliseconds, halves to the even neighbour.
        const QList<std::pair<QString, int>> pauses{{"1500", 150}, {"25", 2},     {"35", 4},
                                                    {"-10", -1},   {"32768", -1}, {"fast", -1}};
        for (const auto& [timeout, pause] : pauses) {
            QCOMPARE(query::refreshPause(timeout).value_or(-1), pause);
        }
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
