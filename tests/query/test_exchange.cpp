// The exchange as a state machine, driven without sockets or clocks.
#include "query/Exchange.h"

#include <QtTest>

using namespace query;
using Kind = Action::Kind;

namespace {

ExchangeRules refreshRules(int pause = 150) {
    return {true, true, [pause] { return std::optional<int>(pause); }};
}

ExchangeRules playerListRules() {
    return {false, false, [] { return std::optional<int>(100); }};
}

// Runs actions against a fake clock and records what the exchange asked for.
struct Driver {
    Exchange exchange;
    std::vector<Action> log;
    int pauses = 0;
    qint64 clockMs = 0;
    bool pauseArmed = false;
    int armedMs = 0;

    explicit Driver(ExchangeRules rules) : exchange(std::move(rules)) {}

    void take(const std::vector<Action>& actions) {
        for (const Action& a : actions) {
            log.push_back(a);
            if (a.kind == Kind::ArmPause) {
                ++pauses;
                pauseArmed = true;
                armedMs = a.ms;
            } else if (a.kind == Kind::CancelPause) {
                pauseArmed = false;
            }
        }
    }
    void start(const QString& voice = QStringLiteral("8767"),
               const QString& query = QStringLiteral("51234"), bool stepZero = false) {
        take(exchange.start(QStringLiteral("host"), query, voice, stepZero));
    }
    // Lets the armed pause run out.
    void elapse() {
        QVERIFY(pauseArmed);
        pauseArmed = false;
        clockMs += armedMs;
        take(exchange.pauseElapsed());
    }
    void silence() {
        while (pauseArmed) {
            elapse();
        }
    }
    void data(const QByteArray& bytes) { take(exchange.dataArrived(bytes)); }
    [[nodiscard]] QList<QByteArray> sent() const {
        QList<QByteArray> out;
        for (const Action& a : log) {
            if (a.kind == Kind::Send) {
                out << a.bytes;
            }
        }
        return out;
    }
    [[nodiscard]] int count(Kind kind) const {
        return static_cast<int>(std::count_if(log.begin(), log.end(),
                                              [kind](const Action& a) { return a.kind == kind; }));
    }
};

const QByteArray kList = "h\tx\r\n1\t\"a\"\t\r\n2\t\"b\"\t\r\nOK\r\n";

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void silentServerInARefreshGetsNinePauses();
    void laterRefreshWaitsGetTenEach();
    void silentServerInAPlayerListGetsTenInAll();
    void slowGreetingLeavesFourPausesForTheAnswers();
    void answeringServerSendsExactBytesAndNeedsNoPause();
    void voicePortText();
    void unusablePortsEndTheOperation_data();
    void unusablePortsEndTheOperation();
    void unusableTimeoutEndsAtTheFirstPause();
    void splitAnswerIsAppendedAndCheckedAfterThePause();
    void stepZeroPausesBeforeConnecting();
    void socketFailures();
    void hugeAnswerEndsTheQuery();
    void lateDataIsIgnored();
};

void TestExchange::silentServerInARefreshGetsNinePauses() {
    Driver d(refreshRules());
    d.start();
    QCOMPARE(d.log.front().kind, Kind::Connect);
    QCOMPARE(d.log.front().port, quint16(51234));
    d.silence();
    QCOMPARE(d.pauses, 9);
    QCOMPARE(d.clockMs, 9 * 150);
    QCOMPARE(d.exchange.result().outcome, Outcome::TimedOut);
    QCOMPARE(d.exchange.result().waitedMs, 1350);
    QCOMPARE(d.count(Kind::Send), 0);
    QCOMPARE(d.log.back().kind, Kind::Finish);
}

void TestExchange::laterRefreshWaitsGetTenEach() {
    Driver sel(refreshRules());
    sel.start();
    sel.data("[TS]\r\n");
    sel.silence();
    QCOMPARE(sel.pauses, 1 + 10); // the greeting came during the first pause

    Driver pl(refreshRules());
    pl.start();
    pl.data("[TS]\r\n");
    pl.data("OK\r\n");
    pl.silence();
    QCOMPARE(pl.pauses, 1 + 1 + 10);
    QCOMPARE(pl.exchange.result().outcome, Outcome::TimedOut);
}

void TestExchange::silentServerInAPlayerListGetsTenInAll() {
    Driver d(playerListRules());
    d.start();
    d.silence();
    QCOMPARE(d.pauses, 10);
    QCOMPARE(d.clockMs, 1000);
    QCOMPARE(d.count(Kind::Send), 0);
}

void TestExchange::slowGreetingLeavesFourPausesForTheAnswers() {
    Driver d(playerListRules());
    d.start();
    for (int i = 0; i < 5; ++i) {
        d.elapse();
    }
    QCOMPARE(d.pauses, 6);
    d.data("[TS]\r\n"); // arrives during the sixth pause
    QCOMPARE(d.sent().size(), 1);
    d.silence();
    QCOMPARE(d.pauses, 10);
    QCOMPARE(d.exchange.result().outcome, Outcome::TimedOut);
}

void TestExchange::answeringServerSendsExactBytesAndNeedsNoPause() {
    Driver d(refreshRules());
    d.start();
    d.data("[TS]\r\n");
    d.data("OK\r\n");
    d.data(kList);
    QVERIFY(d.exchange.finished());
    QCOMPARE(d.exchange.result().outcome, Outcome::Answered);
    QCOMPARE(d.clockMs, 0); // no pause ran out
    QVERIFY(!d.pauseArmed);
    QCOMPARE(d.sent(), QList<QByteArray>({"sel 8767\r\n", "PL\r\n"}));
    QCOMPARE(d.sent()[0].toHex(' '), QByteArray("73 65 6c 20 38 37 36 37 0d 0a"));
    QCOMPARE(d.sent()[1].toHex(' '), QByteArray("50 4c 0d 0a"));
    QCOMPARE(d.exchange.result().answer, QString::fromLatin1(kList));
}

void TestExchange::voicePortText() {
    Driver refresh(refreshRules());
    refresh.start(QStringLiteral(" 0012 "));
    refresh.data("[TS]\r\n");
    QCOMPARE(refresh.sent(), QList<QByteArray>{"sel 12\r\n"});

    Driver list(playerListRules());
    list.start(QStringLiteral(" 0012 "));
    list.data("[TS]\r\n");
    QCOMPARE(list.sent(), QList<QByteArray>{"sel  0012 \r\n"});

    // A line break in the cell never reaches the wire.
    Driver smuggle(playerListRules());
    smuggle.start(QStringLiteral("1\r\nquit"));
    smuggle.data("[TS]\r\n");
    QVERIFY(smuggle.sent().isEmpty());
    QCOMPARE(smuggle.exchange.result().outcome, Outcome::Failed);

    // The refresh learns only after the greeting that the voice port is no number.
    Driver bad(refreshRules());
    bad.start(QStringLiteral("x"));
    QCOMPARE(bad.count(Kind::Connect), 1);
    QVERIFY(!bad.exchange.finished());
    bad.data("[TS]\r\n");
    QCOMPARE(bad.exchange.result().outcome, Outcome::Failed);
    QVERIFY(bad.sent().isEmpty());
}

void TestExchange::unusablePortsEndTheOperation_data() {
    QTest::addColumn<QString>("port");
    QTest::newRow("empty") << "";
    QTest::newRow("text") << "abc";
    QTest::newRow("zero") << "0";
    QTest::newRow("above 16 bits, no silent wrap") << "116770";
    QTest::newRow("negative") << "-1";
}

void TestExchange::unusablePortsEndTheOperation() {
    QFETCH(QString, port);
    Driver d(refreshRules());
    d.start(QStringLiteral("8767"), port);
    QVERIFY(d.exchange.finished());
    QCOMPARE(d.exchange.result().outcome, Outcome::Failed);
    QCOMPARE(d.count(Kind::Connect), 0);
}

void TestExchange::unusableTimeoutEndsAtTheFirstPause() {
    Driver d({true, true, [] { return std::optional<int>(); }});
    d.start();
    QCOMPARE(d.count(Kind::Connect), 1);
    QCOMPARE(d.pauses, 0);
    QCOMPARE(d.exchange.result().outcome, Outcome::Failed);
}

void TestExchange::splitAnswerIsAppendedAndCheckedAfterThePause() {
    Driver d(refreshRules());
    d.start();
    d.data("[TS]\r\n");
    d.data("OK\r\n");
    d.data(kList.left(7));
    d.data(kList.mid(7, 10));
    QVERIFY(!d.exchange.finished());
    d.data(kList.mid(17));
    QCOMPARE(d.exchange.result().answer, QString::fromLatin1(kList));

    // Data that stops short is judged at the next check, whole.
    Driver stuck(refreshRules());
    stuck.start();
    stuck.data("[TS]\r\n");
    stuck.data("OK\r\n");
    stuck.data(kList.left(10));
    stuck.data(kList.mid(10, 5));
    stuck.elapse();
    QCOMPARE(stuck.exchange.result().outcome, Outcome::Answered);
    QCOMPARE(stuck.exchange.result().answer, QString::fromLatin1(kList.left(15)));

    // A greeting in two pieces moves on at the next check.
    Driver greet(refreshRules());
    greet.start();
    greet.data("[T");
    QVERIFY(greet.sent().isEmpty());
    greet.elapse();
    QCOMPARE(greet.sent(), QList<QByteArray>{"sel 8767\r\n"});
}

void TestExchange::stepZeroPausesBeforeConnecting() {
    Driver d(refreshRules());
    d.start(QStringLiteral("8767"), QStringLiteral("51234"), true);
    QCOMPARE(d.log.size(), size_t(1));
    QCOMPARE(d.log[0].kind, Kind::ArmPause);
    QCOMPARE(d.log[0].ms, 500);
    d.take(d.exchange.dataArrived("[TS]\r\n")); // no socket yet: ignored
    d.elapse();
    QCOMPARE(d.count(Kind::Connect), 1);
    d.silence();
    QCOMPARE(d.exchange.result().pauses, 9); // step 0 is not one of the tries
}

void TestExchange::socketFailures() {
    Driver refused(refreshRules());
    refused.start();
    refused.take(refused.exchange.socketFailed(SocketFailure::Refused, QStringLiteral("refused")));
    QCOMPARE(refused.exchange.result().outcome, Outcome::Refused);
    QVERIFY(!refused.pauseArmed);

    // Closed after the list came: the list counts.
    Driver closed(refreshRules());
    closed.start();
    closed.data("[TS]\r\n");
    closed.data("OK\r\n");
    closed.data(kList.left(30));
    closed.take(closed.exchange.socketFailed(SocketFailure::ClosedByServer, {}));
    QCOMPARE(closed.exchange.result().outcome, Outcome::Answered);

    // Closed before answering "sel": given up like a timeout.
    Driver early(refreshRules());
    early.start();
    early.data("[TS]\r\n");
    early.take(early.exchange.socketFailed(SocketFailure::ClosedByServer, {}));
    QCOMPARE(early.exchange.result().outcome, Outcome::Closed);
}

void TestExchange::hugeAnswerEndsTheQuery() {
    Driver d(refreshRules());
    d.start();
    d.data("[TS]\r\n");
    d.data("OK\r\n");
    const QByteArray block(qsizetype{64} * 1024, 'x');
    for (int i = 0; i < 17 && !d.exchange.finished(); ++i) {
        d.data(block);
    }
    QCOMPARE(d.exchange.result().outcome, Outcome::TooLarge);
    QVERIFY(!d.pauseArmed);
}

void TestExchange::lateDataIsIgnored() {
    Driver d(refreshRules());
    d.start();
    d.silence();
    const auto size = d.log.size();
    d.data("[TS]\r\n");
    d.take(d.exchange.pauseElapsed());
    QCOMPARE(d.log.size(), size);
}

QTEST_MAIN(TestExchange)
#include "test_exchange.moc"
