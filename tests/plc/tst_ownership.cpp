#include "plc/ownership.h"
#include "plc/request_handler.h"
#include "support/plc_doubles.h"

#include <QRandomGenerator>
#include <QtTest>

using plc::Ownership;
using plc::RequestHandler;

namespace
{

QHostAddress plcAddress(const QString& letter)
{
    return QHostAddress(QStringLiteral("10.0.0.%1").arg(letter.at(0).unicode() - 'A' + 1));
}

// Runs one script line against the machine; returns what went wrong, or
// nothing. Lines:
//   open C A       connection C from PLC A (A, B, C... are addresses)
//   close C
//   t MS           the clock stands at MS; the watchdog runs
//   C REQUEST -> R a request on connection C (see testing::requestPdu) and
//                  the expected answer (see testing::describeResponse)
//   pupil HEX -> ok|no, hold, release
//   out HEX        the output word
//   owner A|none
QString runLine(const QString& line, Ownership& own, RequestHandler& handler,
                testing::ManualPlcClock& clock)
{
    const QStringList sides = line.split(QStringLiteral(" -> "));
    const QStringList w = sides[0].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString expected = sides.value(1);
    const QString head = w.value(0);
    if (head == QLatin1String("open")) {
        own.connectionOpened(w[1].toULongLong(), plcAddress(w[2]));
    } else if (head == QLatin1String("close")) {
        own.connectionClosed(w[1].toULongLong());
    } else if (head == QLatin1String("t")) {
        clock.now = w[1].toLongLong();
        own.expire();
    } else if (head == QLatin1String("pupil")) {
        const bool ok = own.pupilWrite(quint8(w[1].toInt(nullptr, 16)));
        if ((ok ? "ok" : "no") != expected)
            return QStringLiteral("pupil write gave %1").arg(ok ? "ok" : "no");
    } else if (head == QLatin1String("hold") || head == QLatin1String("release")) {
        own.setHold(head == QLatin1String("hold"));
    } else if (head == QLatin1String("out")) {
        if (own.outputs() != w[1].toInt(nullptr, 16))
            return QStringLiteral("outputs are %1").arg(own.outputs(), 2, 16, QLatin1Char('0'));
    } else if (head == QLatin1String("owner")) {
        const QString is = own.hasOwner() ? own.owner().toString() : QStringLiteral("none");
        const QString want = w[1] == QLatin1String("none") ? w[1] : plcAddress(w[1]).toString();
        if (is != want)
            return QStringLiteral("owner is %1").arg(is);
    } else {
        const QByteArray pdu = testing::requestPdu(QStringList(w.mid(1)).join(QLatin1Char(' ')));
        const QString got = testing::describeResponse(handler.handle(head.toULongLong(), 1, pdu));
        if (got != expected)
            return QStringLiteral("answer %1").arg(got);
    }
    return {};
}

} // namespace

class TestOwnership : public QObject
{
    Q_OBJECT

  private slots:
    void script_data();
    void script();
    void eventsNameThePlcs();
    void noWriteGetsPastHoldOrOwner_data();
    void noWriteGetsPastHoldOrOwner();
};

void TestOwnership::script_data()
{
    QTest::addColumn<int>("watchdog");
    QTest::addColumn<QStringList>("lines");

    const QStringList twoPlcs{"open 1 A", "open 2 B"};

    QTest::newRow("first writer owns, from all-off")
        << 1000 << QStringList{"pupil 0f -> ok",  "open 1 A", "owner none", "out 0f",
                               "1 w5 4 on -> ok", "owner A",  "out 10"};
    QTest::newRow("reads from others are answered")
        << 1000
        << twoPlcs + QStringList{"1 w15 0x03 -> ok", "2 r1 -> =03", "2 r3 -> =0003", "owner A"};
    QTest::newRow("writes from others: busy, by every function")
        << 1000
        << twoPlcs + QStringList{"1 w6 0x21 -> ok",
                                 "2 w5 1 on -> ex06",
                                 "2 w6 0x01 -> ex06",
                                 "2 w15 0x01 -> ex06",
                                 "2 w16 0x01 -> ex06",
                                 "out 21",
                                 "owner A"};
    QTest::newRow("functions 22 and 23 write nothing")
        << 1000
        << twoPlcs +
               QStringList{
                   "2 w22 -> ex01",      "2 w23 0x01 -> ex01", "owner none", "1 w16 0x02 -> ok",
                   "1 w23 0x01 -> ex01", "1 w22 -> ex01",      "out 02"};
    QTest::newRow("watchdog ends the owner, the next writer owns")
        << 1000 << twoPlcs + QStringList{"1 w15 0x81 -> ok", "t 999",
                                         "owner A",          "2 w5 0 on -> ex06",
                                         "t 1000",           "owner none",
                                         "out 00",           "2 w5 0 on -> ex04",
                                         "owner none",       "2 w15 0x00 -> ok",
                                         "owner B",          "2 w5 0 on -> ok",
                                         "out 01",           "1 w5 1 on -> ex06"};
    QTest::newRow("the owner's reads keep it alive")
        << 1000 << twoPlcs + QStringList{"1 w5 0 on -> ok", "t 900",  "1 r2 -> =0000", "t 1800",
                                         "owner A",         "t 1900", "owner none"};
    QTest::newRow("others' reads do not keep the owner alive")
        << 1000 << twoPlcs + QStringList{"1 w5 0 on -> ok", "t 900",      "2 r1 -> =01",
                                         "t 1000",          "owner none", "out 00"};
    QTest::newRow("the owner reads and writes over two connections")
        << 1000
        << QStringList{"open 1 A",    "open 3 A", "open 2 B",        "1 w5 2 on -> ok", "t 800",
                       "3 r1 -> =04", "t 1600",   "3 w5 3 on -> ok", "owner A",         "out 0c"};
    QTest::newRow("only the owner's last connection closing ends it")
        << 0 << QStringList{"open 1 A", "open 3 A",          "open 2 B",        "1 w6 0x0f -> ok",
                            "close 1",  "owner A",           "out 0f",          "close 2",
                            "owner A",  "close 3",           "owner none",      "out 00",
                            "open 4 B", "4 w6 0x01 -> ex04", "4 w6 0x00 -> ok", "4 w6 0x01 -> ok",
                            "out 01"};
    QTest::newRow("no watchdog: a silent owner keeps the outputs")
        << 0 << twoPlcs + QStringList{"1 w5 0 on -> ok", "t 100000", "owner A", "out 01"};
    QTest::newRow("hold: every write refused, release switches nothing on")
        << 1000
        << twoPlcs + QStringList{"1 w15 0x03 -> ok",
                                 "hold",
                                 "out 00",
                                 "1 w5 0 on -> ex04",
                                 "1 w6 0x01 -> ex04",
                                 "1 w15 0x01 -> ex04",
                                 "1 w16 0x01 -> ex04",
                                 "2 w5 0 on -> ex04",
                                 "1 r2 -> =0001",
                                 "1 r4 -> =0100",
                                 "pupil 01 -> no",
                                 "release",
                                 "out 00",
                                 "1 r4 -> =0000",
                                 "1 w5 0 on -> ex04",
                                 "1 w16 0x00 -> ok",
                                 "1 w5 0 on -> ok",
                                 "out 01"};
    QTest::newRow("after the hold: every coil written off, one by one, lets writes apply")
        << 1000 << QStringList{"open 1 A",         "1 w5 2 on -> ok",  "hold",
                               "release",          "1 w5 0 off -> ok", "1 w5 1 off -> ok",
                               "1 w5 2 off -> ok", "1 w5 3 off -> ok", "1 w5 4 off -> ok",
                               "1 w5 5 off -> ok", "1 w5 6 off -> ok", "1 w5 2 on -> ex04",
                               "1 w5 7 off -> ok", "1 w5 2 on -> ok",  "out 04"};
    QTest::newRow("a watchdog trip during the wait starts it over")
        << 1000
        << twoPlcs +
               QStringList{
                   "1 w5 0 on -> ok", "hold",       "release",          "1 0f000000070100 -> ok",
                   "t 1000",          "owner none", "2 w5 7 off -> ok", "2 w5 0 on -> ex04",
                   "out 00"};
    QTest::newRow("hold without a PLC refuses the first writer")
        << 1000 << twoPlcs + QStringList{"hold", "2 w16 0x01 -> ex04", "owner none", "out 00"};
    QTest::newRow("pupil refused while a PLC owns, free after the watchdog")
        << 500 << twoPlcs + QStringList{"pupil 01 -> ok", "1 w5 7 on -> ok", "out 80",
                                        "pupil 01 -> no", "out 80",          "t 500",
                                        "pupil 01 -> ok", "out 01"};
    QTest::newRow("bad values and addresses change nothing and take nothing")
        << 1000
        << twoPlcs + QStringList{"1 w6 0x100 -> ex03",
                                 "1 w16 0x8001 -> ex03",
                                 "1 0500080000 -> ex02",
                                 "1 0500001234 -> ex03",
                                 "1 0f000000090201ff -> ex02",
                                 "owner none",
                                 "out 00"};
    QTest::newRow("a write from a closed connection is refused")
        << 1000 << QStringList{"open 1 A", "close 1", "1 w5 0 on -> ex06", "out 00"};
}

void TestOwnership::script()
{
    QFETCH(int, watchdog);
    QFETCH(QStringList, lines);
    testing::ManualPlcClock clock;
    Ownership own(clock, watchdog);
    quint8 inputs = 0;
    RequestHandler handler(own, [&inputs] { return inputs; });
    for (const QString& line : lines) {
        const QString wrong = runLine(line, own, handler, clock);
        if (!wrong.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1: %2").arg(line, wrong)));
    }
}

void TestOwnership::eventsNameThePlcs()
{
    testing::ManualPlcClock clock;
    Ownership own(clock, 1000);
    QStringList seen;
    own.setEventHandler([&seen](const Ownership::Event& e) {
        seen << QStringLiteral("%1 %2").arg(int(e.kind)).arg(e.peer.toString());
    });
    RequestHandler handler(own, [] { return quint8(0); });
    QStringList lines{"open 1 A", "open 2 B", "1 w5 0 on -> ok",   "2 w5 0 on -> ex06",
                      "t 1000",   "hold",     "2 w5 0 on -> ex04", "release",
                      "close 1",  "close 2"};
    for (const QString& line : lines)
        QCOMPARE(runLine(line, own, handler, clock), QString());
    using E = Ownership::Event;
    const QStringList expected{
        QStringLiteral("%1 10.0.0.1").arg(E::TookOver),
        QStringLiteral("%1 10.0.0.2").arg(E::RefusedBusy),
        QStringLiteral("%1 10.0.0.1").arg(E::OwnerSilent),
        QStringLiteral("%1 ").arg(E::HoldOn),
        QStringLiteral("%1 10.0.0.2").arg(E::RefusedHeld),
        QStringLiteral("%1 ").arg(E::HoldReleased),
        QStringLiteral("%1 ").arg(E::Waiting),
    };
    QCOMPARE(seen, expected);
}

// Random bytes, whole frames or not, from a PLC that does not own the
// outputs or during the hold: whatever they are, the outputs stay as they
// were and the stream is either answered frame by frame or given up.
void TestOwnership::noWriteGetsPastHoldOrOwner_data()
{
    QTest::addColumn<bool>("hold");
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 4; ++seed) {
        QTest::addRow("another PLC owns, seed %u", seed) << false << seed;
        QTest::addRow("hold, seed %u", seed) << true << seed;
    }
}

void TestOwnership::noWriteGetsPastHoldOrOwner()
{
    QFETCH(bool, hold);
    QFETCH(quint32, seed);
    testing::ManualPlcClock clock;
    Ownership own(clock, 0);
    RequestHandler handler(own, [] { return quint8(0x5A); });
    own.connectionOpened(1, plcAddress(QStringLiteral("A")));
    own.connectionOpened(2, plcAddress(QStringLiteral("B")));
    QCOMPARE(testing::describeResponse(handler.handle(1, 1, testing::requestPdu("w6 0x24"))),
             QStringLiteral("ok"));
    own.setHold(hold);
    const quint8 before = own.outputs();

    QRandomGenerator random(seed);
    int answered = 0;
    for (int round = 0; round < 2000; ++round) {
        plc::Session session(handler, 2);
        // Well-formed frames with random PDUs, then raw noise in pieces.
        QByteArray pdu(1 + random.bounded(12), Qt::Uninitialized);
        for (char& c : pdu)
            c = char(random.bounded(256));
        if (random.bounded(2))
            pdu[0] = char(QList<int>{1, 2, 3, 4, 5, 6, 15, 16, 22, 23}[random.bounded(10)]);
        QByteArray stream = plc::encodeFrame(quint16(round), quint8(random.bounded(256)), pdu);
        if (random.bounded(4) == 0) {
            for (int i = 0; i < 20; ++i)
                stream.append(char(random.bounded(256)));
        }
        while (!stream.isEmpty()) {
            const int piece = 1 + random.bounded(int(stream.size()));
            const QByteArray out = session.feed(stream.left(piece));
            stream.remove(0, piece);
            if (!out.isEmpty())
                ++answered;
        }
        QCOMPARE(own.outputs(), before);
    }
    QVERIFY(answered >= 2000);
    QCOMPARE(own.owner(), plcAddress(QStringLiteral("A")));
}

QTEST_GUILESS_MAIN(TestOwnership)
#include "tst_ownership.moc"
