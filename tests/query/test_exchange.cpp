// The query conversation as a state machine, driven by hand: every pause,
// every byte sent, and answers cut anywhere.
#include "query/Exchange.h"
#include "query/Refresh.h"

#include <QtTest>

using query::Action;
using query::Outcome;

namespace {

query::ExchangeRules rulesFor(bool refresh, std::optional<int> pause = 150) {
    query::ExchangeRules rules;
    rules.counterPerWait = refresh;
    rules.voicePortAsNumber = refresh;
    rules.pauseLength = [pause] { return pause; };
    return rules;
}

// Runs one exchange and keeps what it asked for.
struct Run {
    explicit Run(bool refresh, const QString& queryPort = QStringLiteral("51234"),
                 const QString& voicePort = QStringLiteral("8767"), std::optional<int> pause = 150,
                 bool stepZero = false)
        : exchange(rulesFor(refresh, pause)) {
        take(exchange.start(QStringLiteral("host"), queryPort, voicePort, stepZero));
    }
    void take(const std::vector<Action>& actions) {
        for (const Action& action : actions) {
            switch (action.kind) {
            case Action::Kind::Connect:
                connected = action.port;
                break;
            case Action::Kind::Send:
                sent << action.bytes;
                break;
            case Action::Kind::ArmPause:
                armed = action.ms;
                break;
            case Action::Kind::CancelPause:
                armed = -1;
                break;
            case Action::Kind::Finish:
                QVERIFY(!exchange.finished() || armed == -1);
                break;
            }
        }
    }
    bool tick() {
        if (armed < 0) {
            return false;
        }
        armed = -1;
        take(exchange.pauseElapsed());
        return true;
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            tick();
        }
    }
    void data(const QByteArray& bytes) { take(exchange.dataArrived(bytes)); }
    void runOut() {
        while (tick()) {
        }
    }
    [[nodiscard]] Outcome outcome() const { return exchange.result().outcome; }

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
    void waitsGiveUpAfterTheirPauses_data();
    void waitsGiveUpAfterTheirPauses();
    void bytesOnTheWire();
    void answersCutAnywhereAreJudgedWhole();
    void endingsOtherThanAWholeList_data();
    void endingsOtherThanAWholeList();
    void cuttingAnswers_data();
    void cuttingAnswers();
    void playerLines_data();
    void playerLines();
    void pauseOfTheTimeout_data();
    void pauseOfTheTimeout();
};

void TestExchange::waitsGiveUpAfterTheirPauses_data() {
    QTest::addColumn<bool>("refresh");
    QTest::addColumn<QList<int>>("arrivals"); // pauses elapsed before each answer comes
    QTest::addColumn<int>("pauses");
    QTest::addColumn<int>("sent");
    QTest::newRow("refresh, silent") << true << QList<int>{} << 9 << 0;
    QTest::newRow("refresh, greeting in the last pause") << true << QList<int>{8} << 19 << 1;
    QTest::newRow("refresh, silent after PL") << true << QList<int>{2, 9} << 23 << 2;
    QTest::newRow("player list, silent") << false << QList<int>{} << 10 << 0;
    QTest::newRow("player list, greeting in pause 6") << false << QList<int>{5} << 10 << 1;
    QTest::newRow("player list, sel answered in pause 10") << false << QList<int>{5, 3} << 10 << 2;
}

void TestExchange::waitsGiveUpAfterTheirPauses() {
    QFETCH(bool, refresh);
    QFETCH(QList<int>, arrivals);
    QFETCH(int, pauses);
    QFETCH(int, sent);
    Run run(refresh);
    QCOMPARE(run.connected, quint16{51234});
    const QList<QByteArray> answers{kGreeting, kOk};
    for (qsizetype i = 0; i < arrivals.size(); ++i) {
        run.ticks(arrivals[i]);
        if (!run.exchange.finished()) {
            run.data(answers[i]);
        }
    }
    run.runOut();
    QCOMPARE(run.outcome(), Outcome::TimedOut);
    QCOMPARE(run.exchange.result().pauses, pauses);
    QCOMPARE(run.sent.size(), sent);
}

void TestExchange::bytesOnTheWire() {
    Run refresh(true, QStringLiteral("51234"), QStringLiteral(" 8767.4"));
    Run list(false, QStringLiteral("51234"), QStringLiteral("08767 "));
    for (Run* run : {&refresh, &list}) {
        run->data(kGreeting);
        run->data(kOk);
        run->data(kList);
        QCOMPARE(run->outcome(), Outcome::Answered);
        QCOMPARE(run->exchange.result().answer, QString::fromLatin1(kList));
    }
    QCOMPARE(refresh.sent, QList<QByteArray>({"sel 8767\r\n", "PL\r\n"}));
    QCOMPARE(list.sent, QList<QByteArray>({"sel 08767 \r\n", "PL\r\n"}));

    // Step 0 pauses 500 ms before anything goes out.
    Run minimised(false, QStringLiteral("51234"), QStringLiteral("1"), 100, true);
    QCOMPARE(minimised.armed, 500);
    QCOMPARE(minimised.connected, quint16{0});
    minimised.tick();
    QCOMPARE(minimised.connected, quint16{51234});
}

void TestExchange::answersCutAnywhereAreJudgedWhole() {
    const QList<QByteArray> answers{kGreeting, kOk, kList};
    for (qsizetype step = 0; step < answers.size(); ++step) {
        for (qsizetype cut = 1; cut < answers[step].size(); ++cut) {
            Run run(true);
            for (qsizetype i = 0; i < answers.size(); ++i) {
                if (i != step) {
                    run.data(answers[i]);
                    continue;
                }
                // The first part waits out a pause: it must not count as the answer.
                run.data(answers[i].left(cut));
                QCOMPARE(run.sent.size(), static_cast<int>(i));
                run.tick();
                QCOMPARE(run.sent.size(), static_cast<int>(i));
                run.data(answers[i].mid(cut));
            }
            QCOMPARE(run.outcome(), Outcome::Answered);
            QCOMPARE(run.exchange.result().answer, QString::fromLatin1(kList));
        }
    }
    // Byte by byte, with whatever follows the closing line left out.
    Run run(false);
    for (const QByteArray& answer : {kGreeting, kOk, kList + "trailing"}) {
        for (const char c : answer) {
            run.data(QByteArray(1, c));
        }
    }
    QCOMPARE(run.exchange.result().answer, QString::fromLatin1(kList));
}

void TestExchange::endingsOtherThanAWholeList_data() {
    QTest::addColumn<QString>("queryPort");
    QTest::addColumn<QString>("voicePort");
    QTest::addColumn<std::optional<int>>("pause");
    QTest::addColumn<QByteArray>("before"); // sent by the server before the ending
    QTest::addColumn<int>("failure");       // -1: pauses run out
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<bool>("connected");
    using F = query::SocketFailure;
    const std::optional<int> pause = 150;
    const QByteArray half = kGreeting + kOk + kList.left(40);
    QTest::newRow("half a list, stalled")
        << "1"
        << "2" << pause << half << -1 << Outcome::Incomplete << true;
    QTest::newRow("half a list, reset")
        << "1"
        << "2" << pause << half << int(F::Other) << Outcome::Incomplete << true;
    QTest::newRow("closed before the list")
        << "1"
        << "2" << pause << kGreeting + kOk << int(F::ClosedByServer) << Outcome::Closed << true;
    QTest::newRow("refused") << "1"
                             << "2" << pause << QByteArray() << int(F::Refused) << Outcome::Refused
                             << true;
    QTest::newRow("host not found")
        << "1"
        << "2" << pause << QByteArray() << int(F::HostNotFound) << Outcome::HostNotFound << true;
    QTest::newRow("network unreachable")
        << "1"
        << "2" << pause << QByteArray() << int(F::Other) << Outcome::SocketError << true;
    QTest::newRow("query port no number")
        << "x1"
        << "2" << pause << QByteArray() << -1 << Outcome::Unusable << false;
    QTest::newRow("query port too big")
        << "65536"
        << "2" << pause << QByteArray() << -1 << Outcome::Unusable << false;
    QTest::newRow("voice port no number")
        << "1"
        << "two" << pause << kGreeting << -1 << Outcome::Unusable << true;
    QTest::newRow("timeout no number")
        << "1"
        << "2" << std::optional<int>() << QByteArray() << -1 << Outcome::BadTimeout << true;
    QTest::newRow("flood") << "1"
                           << "2" << pause
                           << kGreeting + kOk + QByteArray(query::Exchange::kMaxReply, '\t') << -1
                           << Outcome::TooLarge << true;
}

void TestExchange::endingsOtherThanAWholeList() {
    QFETCH(QString, queryPort);
    QFETCH(QString, voicePort);
    QFETCH(std::optional<int>, pause);
    QFETCH(QByteArray, before);
    QFETCH(int, failure);
    QFETCH(Outcome, outcome);
    QFETCH(bool, connected);
    Run run(true, queryPort, voicePort, pause);
    run.data(before);
    if (failure >= 0) {
        run.take(run.exchange.socketFailed(static_cast<query::SocketFailure>(failure),
                                           QStringLiteral("why")));
    }
    run.runOut();
    QVERIFY(run.exchange.finished());
    QCOMPARE(run.outcome(), outcome);
    QCOMPARE(run.connected != 0, connected);
    QVERIFY(run.exchange.result().answer.isEmpty());
    QVERIFY(!run.sent.contains("sel two\r\n"));
}

void TestExchange::cuttingAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("count");
    QTest::newRow("no players") << "H\r\nOK\r\n" << 0;
    QTest::newRow("two players") << "H\r\nA\r\nB\r\nOK\r\n" << 2;
    QTest::newRow("no final CR LF") << "H\r\nA\r\nB\r\nOK" << 1;
    QTest::newRow("one line") << "ERROR\r\n" << -1;
    QTest::newRow("nothing") << "" << -3;
}

void TestExchange::cuttingAnswers() {
    QFETCH(QString, answer);
    QFETCH(int, count);
    const QStringList pieces = answer::cutLines(answer);
    QCOMPARE(answer::playerCount(pieces), count);
    if (count == 2) {
        QCOMPARE(pieces.mid(1, 2), QStringList({"A", "B"}));
    }
}

void TestExchange::playerLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("entry"); // empty: the line is no player line
    const QString line = QStringLiteral("1\t0\t%1\t0\t%2\t\"login\"\t");
    QTest::newRow("quotes dropped") << line.arg("0", "\"An\"n\"") << "Ann";
    QTest::newRow("away") << line.arg("8", "A") << "A (Away)";
    QTest::newRow("away with recording") << line.arg("72", "A") << "A (Away)";
    QTest::newRow("away and muted") << line.arg("40", "A") << "A (Away)";
    QTest::newRow("away and no whispers") << line.arg("12", "A") << "A (Away)";
    QTest::newRow("muted only") << line.arg("16", "A") << "A";
    QTest::newRow("128 and up") << line.arg("136", "A") << "A";
    QTest::newRow("below zero") << line.arg("-8", "A") << "A";
    QTest::newRow("four fields") << "0\t8\tA\t\"l\""
                                 << "";
    QTest::newRow("flags no number") << line.arg("x", "A") << "";
    QTest::newRow("cp1252 name") << QString::fromUtf16(u"1\t0\t0\t0\t\"\u20acuro\"\tl\t")
                                 << QString::fromUtf16(u"\u20acuro");
}

void TestExchange::playerLines() {
    QFETCH(QString, line);
    QFETCH(QString, entry);
    const auto player = answer::parsePlayerLine(line);
    QCOMPARE(player ? answer::playerEntry(*player) : QString(), entry);
    QCOMPARE(answer::decode("\x80\xe9\x81"), QString::fromUtf16(u"\u20ac\u00e9\u0081"));
}

void TestExchange::pauseOfTheTimeout_data() {
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<int>("pause"); // -1: unusable
    QTest::newRow("1500") << "1500" << 150;
    QTest::newRow("5000") << "5000" << 500;
    QTest::newRow("half to even down") << "25" << 2;
    QTest::newRow("half to even up") << "35" << 4;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-10" << -1;
    QTest::newRow("beyond 16 bits") << "32768" << -1;
    QTest::newRow("text") << "fast" << -1;
}

void TestExchange::pauseOfTheTimeout() {
    QFETCH(QString, timeout);
    QFETCH(int, pause);
    QCOMPARE(query::refreshPause(timeout).value_or(-1), pause);
}

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
