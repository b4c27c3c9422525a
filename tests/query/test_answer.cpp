#include "query/Answer.h"
#include "query/Convert.h"
#include "query/Refresh.h"

#include <QtTest>

using namespace answer;

class TestAnswer : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cuttingAndCounting_data();
    void cuttingAndCounting();
    void completeAnswers();
    void playerLines();
    void status_data();
    void status();
    void decodingKeepsEveryByte();
    void conversions();
    void pauseLengths_data();
    void pauseLengths();
};

void TestAnswer::cuttingAndCounting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << QString() << 0 << -3;
    QTest::newRow("header and closing") << "h\r\nOK\r\n" << 3 << 0;
    QTest::newRow("two players") << "h\r\na\t\r\nb\t\r\nOK\r\n" << 5 << 2;
    QTest::newRow("closing line without CR LF") << "h\r\na\t\r\nb\t\r\nOK" << 4 << 1;
    QTest::newRow("one line") << "error\r\n" << 2 << -1;
    QTest::newRow("LF only is no cut") << "h\na\nOK\n" << 1 << -2;
}

void TestAnswer::cuttingAndCounting() {
    QFETCH(QString, text);
    QFETCH(int, pieces);
    QFETCH(int, count);
    const QStringList cut = cutLines(text);
    QCOMPARE(cut.size(), pieces);
    QCOMPARE(playerCount(cut), count);
}

void TestAnswer::completeAnswers() {
    QVERIFY(!isComplete(Step::Greeting, "[TS]"));
    QVERIFY(isComplete(Step::Greeting, "[TS]\r\n"));
    QVERIFY(isComplete(Step::Select, "ERROR, invalid id\r\n"));
    QVERIFY(!isComplete(Step::Select, "OK\r"));
    QVERIFY(!isComplete(Step::PlayerList, "p_id\tc_id\r\n"));
    QVERIFY(!isComplete(Step::PlayerList, "p_id\tc_id\r\n1\t2\t\r\n"));
    QVERIFY(!isComplete(Step::PlayerList, "p_id\tc_id\r\n1\t2\t\r\nOK"));
    QVERIFY(isComplete(Step::PlayerList, "p_id\tc_id\r\n1\t2\t\r\nOK\r\n"));
    QVERIFY(isComplete(Step::PlayerList, "error\r\n"));
    // A row cut right after its CR LF is not the end.
    QVERIFY(!isComplete(Step::PlayerList, "p\tc\r\n1\t\"a\"\t\r\n2\t\"b\"\t\r\n"));
}

void TestAnswer::playerLines() {
    const QString real =
        QStringLiteral("6\t16\t40450\t1924469\t60903\t1845286\t0\t2\t497623\t197\t0\t5\t1\t"
                       "\"0.0.0.0\"\t\"Flauschis-Freundin 110\"\t\"Flauschis-Freundin\"\t");
    const auto player = parsePlayerLine(real);
    QVERIFY(player);
    QCOMPARE(player->name, QStringLiteral("Flauschis-Freundin 110"));
    QCOMPARE(player->flags, 1);
    // Quotes inside the name go too.
    QCOMPARE(parsePlayerLine(QStringLiteral("8\tx\t\"A \"\"B\"\"\"\ty\t"))->name,
             QStringLiteral("A B"));
    // Five fields is the least; four ends the list.
    QVERIFY(parsePlayerLine(QStringLiteral("72\ta\tname\tb\t")));
    QVERIFY(!parsePlayerLine(QStringLiteral("a\tname\tb\t")));
    QVERIFY(!parsePlayerLine(QStringLiteral("x\ta\tname\tb\t")));
    QVERIFY(!parsePlayerLine(QString()));
}

void TestAnswer::status_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("entry");
    QTest::newRow("0") << 0 << "Nick";
    QTest::newRow("8 away") << 8 << "Nick (Away)";
    QTest::newRow("72 = 64 + 8") << 72 << "Nick (Away)";
    QTest::newRow("40 = 32 + 8") << 40 << "Nick (Away)";
    QTest::newRow("12 = 8 + 4, no bare separator") << 12 << "Nick (Away)";
    QTest::newRow("127") << 127 << "Nick (Away)";
    QTest::newRow("16") << 16 << "Nick";
    QTest::newRow("136 = 128 + 8") << 136 << "Nick";
    QTest::newRow("-8") << -8 << "Nick";
    QTest::newRow("largest") << std::numeric_limits<int>::max() << "Nick";
    QTest::newRow("smallest") << std::numeric_limits<int>::min() << "Nick";
}

void TestAnswer::status() {
    QFETCH(int, flags);
    QFETCH(QString, entry);
    QCOMPARE(playerEntry({QStringLiteral("Nick"), flags}), entry);
}

void TestAnswer::decodingKeepsEveryByte() {
    QByteArray all;
    for (int i = 0; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    const QString text = decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.mid(0, 128), QString::fromLatin1(all.left(128)));
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0xF6), QChar(0xF6));
    QCOMPARE(decode("J\xf6rg\t\"x\"\r\n"), QStringLiteral("J\u00f6rg\t\"x\"\r\n"));
}

void TestAnswer::conversions() {
    using convert::toLong;
    QCOMPARE(toLong(QStringLiteral("8767")), 8767);
    QCOMPARE(toLong(QStringLiteral(" 0012 ")), 12);
    QCOMPARE(toLong(QStringLiteral("-7")), -7);
    QCOMPARE(toLong(QStringLiteral("12.5")), 12);
    QCOMPARE(toLong(QStringLiteral("13.5")), 14);
    QCOMPARE(toLong(QStringLiteral("2147483647")), 2147483647);
    QVERIFY(!toLong(QStringLiteral("2147483648")));
    QVERIFY(!toLong(QString()));
    QVERIFY(!toLong(QStringLiteral("abc")));
    QVERIFY(!toLong(QStringLiteral("12abc")));
    QVERIFY(!toLong(QStringLiteral("1e3")));
    QCOMPARE(convert::toInteger(QStringLiteral("32767")), qint16(32767));
    QVERIFY(!convert::toInteger(QStringLiteral("32768")));
    QVERIFY(!convert::toPort(QStringLiteral("0")));
    QVERIFY(!convert::toPort(QStringLiteral("65536")));
    QCOMPARE(convert::toPort(QStringLiteral("65535")), quint16(65535));
}

void TestAnswer::pauseLengths_data() {
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<int>("pause");
    QTest::newRow("1500") << "1500" << 150;
    QTest::newRow("500") << "500" << 50;
    QTest::newRow("5000") << "5000" << 500;
    QTest::newRow("25 rounds to even 2") << "25" << 2;
    QTest::newRow("35 rounds to even 4") << "35" << 4;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("typed with blanks") << " 1000 " << 100;
    QTest::newRow("fraction") << "1499.5" << 150;
    QTest::newRow("negative") << "-500" << -1;
    QTest::newRow("not a number") << "fast" << -1;
    QTest::newRow("beyond 16 bits") << "40000" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestAnswer::pauseLengths() {
    QFETCH(QString, timeout);
    QFETCH(int, pause);
    QCOMPARE(query::refreshPause(timeout).value_or(-1), pause);
}

QTEST_MAIN(TestAnswer)
#include "test_answer.moc"
