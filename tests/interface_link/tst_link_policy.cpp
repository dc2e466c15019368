// The Modbus link's rules on a clock moved by hand: sequences of transport
// events and time in, the requests, resets and reports that come out.

#include "interface_link/link_policy.h"
#include "support/manual_time.h"

#include <QtTest>

using iface::LinkAnswer;
using iface::LinkPolicy;

namespace
{

constexpr int kPollMs = 20;
constexpr int kTimeoutMs = 100;

// Records what the policy asks for, in the words of the table below.
class Recorder : public LinkPolicy::Actions
{
  public:
    bool openConnection() override
    {
        log << QStringLiteral("open");
        return opens;
    }
    bool sendRead() override
    {
        log << QStringLiteral("read");
        return sends;
    }
    bool sendWrite(quint8 word) override
    {
        log << QStringLiteral("write %1").arg(word, 2, 16, QLatin1Char('0'));
        return sends;
    }
    void forgetRead() override { log << QStringLiteral("forget read"); }
    void forgetWrite() override { log << QStringLiteral("forget write"); }
    void closeConnection() override { log << QStringLiteral("close"); }
    void abandonConnection() override { log << QStringLiteral("abandon"); }
    bool connectionUp() const override { return up; }
    iface::LinkFailure connectionFailure() const override
    {
        return {QStringLiteral("refused"), QStringLiteral("geweigerd")};
    }
    void inputsChanged(quint8 word) override
    {
        log << QStringLiteral("inputs %1").arg(word, 2, 16, QLatin1Char('0'));
    }
    void linkLost(const QString& reason) override { log << QStringLiteral("lost: ") + reason; }
    void tellLinkLost(const QString&) override { log << QStringLiteral("tell"); }

    QStringList log;
    bool opens = true;
    bool sends = true;
    bool up = true;
};

LinkAnswer answer(const QString& kind, quint8 word = 0)
{
    LinkAnswer a;
    a.word = word;
    a.error = kind;
    a.reason = QStringLiteral("reden ") + kind;
    if (kind == QLatin1String("ok"))
        a.kind = LinkAnswer::Ok;
    else if (kind == QLatin1String("refused"))
        a.kind = LinkAnswer::Refused;
    else if (kind == QLatin1String("broken"))
        a.kind = LinkAnswer::Broken;
    else
        a.kind = LinkAnswer::Missing;
    return a;
}

// The steps of the open link every "open" row starts from: connected,
// inputs 00 read, the all-off word confirmed, the first report.
const QString kOpen = QStringLiteral("search; connected; read ok 00; write ok; returned; +0");
// The same without polling, for the rows about writes alone.
const QString kOpenQuiet = kOpen + QStringLiteral("; stop reading");

} // namespace

class TestLinkPolicy : public QObject
{
    Q_OBJECT

  private slots:
    void sequences_data();
    void sequences();
};

// `events`, separated by ";": search, returned (the search call has
// returned), close, connected, down (closing), gone (fully closed), out
// WORD, read KIND [WORD], write KIND, +MS (time moves on), no sends, link down (the transport no
// longer connected), stop reading. `actions`: what the policy asked for after the events marked "|"
// (the record starts there; everything when none is marked).
void TestLinkPolicy::sequences_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("state");

    // The search.
    QTest::newRow("found: inputs read, all-off written, inputs reported after the call returned")
        << "search; connected; read ok 5a; write ok; |; +0; +25; read ok 5a; returned; +0; +0"
        << QStringList{"read", "inputs 5a"} << "Open";
    QTest::newRow("words given during the search never reach the module")
        << "out 11; search; out 22; connected; out 44; read ok 00; write ok"
        << QStringList{"open", "read", "write 00"} << "Open";
    QTest::newRow("connection refused at once")
        << "no opens; search" << QStringList{"open", "close", "failed: refused"} << "Closed";
    QTest::newRow("connection closed while connecting: failed from the next wake-up")
        << "search; |; gone; +0" << QStringList{"close", "failed: refused"} << "Closed";
    QTest::newRow("no connection within the bound")
        << "search; |; +1499; +1"
        << QStringList{"close", "failed: no connection within the time limit"} << "Closed";
    QTest::newRow("input read refused")
        << "search; connected; |; read refused"
        << QStringList{"close", "failed: input read: refused"} << "Closed";
    QTest::newRow("all-off write refused")
        << "search; connected; read ok 00; |; write refused"
        << QStringList{"close", "failed: output write: refused"} << "Closed";
    QTest::newRow("no answer to the read within the bound")
        << "search; connected; |; +1500"
        << QStringList{"close", "failed: input read: no answer within the time limit"} << "Closed";
    QTest::newRow("Disconnect during the search: no failure to tell")
        << "search; connected; |; close; +1500" << QStringList{"close"} << "Closed";

    // Polling.
    QTest::newRow("one read per poll period, none while one is out")
        << kOpen + "; |; +19; +1; +20; read ok 00; +19; +1" << QStringList{"read", "read"}
        << "Open";
    QTest::newRow("changed inputs reported once")
        << kOpen + "; |; +20; read ok 03; +20; read ok 03; +20; read ok 01"
        << QStringList{"read", "inputs 03", "read", "read", "inputs 01"} << "Open";
    QTest::newRow("no reads once reading stopped")
        << kOpen + "; stop reading; |; +100" << QStringList{} << "Open";

    // Misses.
    QTest::newRow("three missed reads in a row lose the link, told once from a wake-up")
        << kOpen + "; |; +20; read miss; +20; read miss; +20; read miss; +0; +20"
        << QStringList{"read",
                       "read",
                       "read",
                       "abandon",
                       "lost: 3 requests in a row without an answer, last read: miss",
                       "tell"}
        << "Lost";
    QTest::newRow("two misses, an answer, two misses keep the link")
        << kOpen + "; +20; read miss; +20; read miss; +20; read ok 00; +20; read miss; +20; "
                   "read miss; |; +20"
        << QStringList{"read"} << "Open";
    QTest::newRow("a confirmed write starts the count again")
        << kOpen + "; +20; read miss; +20; read miss; out 02; write ok; +20; read miss; |; +20"
        << QStringList{"read"} << "Open";
    QTest::newRow("a refused write is an answer too: the count starts again")
        << kOpen + "; +20; read miss; +20; read miss; out 02; write refused; +20; |; read miss"
        << QStringList{} << "Open";
    QTest::newRow("a read without any end is given up after time-out and grace")
        << kOpen + "; +20; |; +399; +1" << QStringList{"forget read", "read"} << "Open";
    QTest::newRow("three reads without any end lose the link")
        << kOpen + "; +20; +400; +400; |; +400"
        << QStringList{"forget read", "abandon",
                       "lost: 3 requests in a row without an answer, last read: no reply", "tell"}
        << "Lost";
    QTest::newRow("a broken connection under a read loses the link at once")
        << kOpen + "; +20; |; read broken" << QStringList{"abandon", "lost: read: broken"}
        << "Lost";
    QTest::newRow("a miss while the transport is down loses the link at once")
        << kOpen + "; +20; link down; |; read miss" << QStringList{"abandon", "lost: read: miss"}
        << "Lost";
    QTest::newRow("connection closing")
        << kOpen + "; |; down; gone; +0; +0"
        << QStringList{"abandon", "lost: connection closed", "tell"} << "Lost";
    QTest::newRow("a request that cannot be sent loses the link")
        << kOpen + "; no sends; |; out 01" << QStringList{"write 01", "abandon", "lost: refused"}
        << "Lost";

    // Writes.
    QTest::newRow("one write at a time, in order")
        << kOpenQuiet + "; out 01; out 02; out 03; |; write ok; write ok; write ok"
        << QStringList{"write 02", "write 03"} << "Open";
    QString flood = kOpenQuiet + "; out 01";
    for (int w = 0x10; w <= 0x50; ++w)
        flood += QStringLiteral("; out %1").arg(w, 2, 16);
    QTest::newRow("at most 64 words wait: the oldest waiting goes, the newest stays")
        << flood + "; |; write ok" << QStringList{"write 11"} << "Open";
    QTest::newRow("a refused write goes again after a poll period")
        << kOpenQuiet + "; out 02; write refused; +19; |; +1; write ok" << QStringList{"write 02"}
        << "Open";
    QTest::newRow("refused twice in a row loses the link")
        << kOpenQuiet + "; out 02; write refused; +20; |; write refused"
        << QStringList{"abandon", "lost: write refused twice: refused"} << "Lost";
    QTest::newRow("refusal, good retry, refusal: tried again")
        << kOpenQuiet + "; out 02; write refused; +20; write ok; out 06; |; write refused; +20"
        << QStringList{"write 06"} << "Open";
    QTest::newRow("a missed write goes again, a newer word instead when one waits")
        << kOpenQuiet + "; out 02; out 04; |; write miss; +20" << QStringList{"write 04"} << "Open";
    QTest::newRow("a write without any end is given up and sent again")
        << kOpenQuiet + "; out 08; |; +400; +20" << QStringList{"forget write", "write 08"}
        << "Open";
    QTest::newRow("nothing is sent after the loss, nor on a late answer")
        << kOpen + "; out 01; down; |; out 03; write ok; +20; +400" << QStringList{"tell"}
        << "Lost";
    QTest::newRow("a loss not yet told is not told after Disconnect")
        << kOpen + "; down; |; close; +0" << QStringList{"close"} << "Closed";
    QTest::newRow("a new search after the loss starts from all-off, untold loss dropped")
        << kOpen + "; out 05; down; |; search; connected; read ok 00; write ok"
        << QStringList{"open", "read", "write 00"} << "Open";
}

void TestLinkPolicy::sequences()
{
    QFETCH(QString, events);
    QFETCH(QStringList, actions);
    QFETCH(QString, state);

    testing::ManualTime time;
    platform::Clock* clock = time.newClock();
    Recorder rec;
    LinkPolicy policy(*clock, rec, kPollMs, kTimeoutMs);
    clock->setWakeHandler([&policy] { policy.wake(); });

    for (const QString& event : events.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList w = event.trimmed().split(QLatin1Char(' '));
        const QString& what = w.first();
        const auto hex = [&w](int i) { return quint8(w.value(i).toUInt(nullptr, 16)); };
        if (what == QLatin1String("|"))
            rec.log.clear();
        else if (what == QLatin1String("search"))
            policy.search();
        else if (what == QLatin1String("returned"))
            policy.searchReturned();
        else if (what == QLatin1String("close"))
            policy.close();
        else if (what == QLatin1String("connected"))
            policy.connected();
        else if (what == QLatin1String("down"))
            policy.linkDown(QStringLiteral("connection closed"), false);
        else if (what == QLatin1String("gone"))
            policy.linkDown(QStringLiteral("connection closed"), true);
        else if (what == QLatin1String("out"))
            policy.write(hex(1));
        else if (what == QLatin1String("read"))
            policy.readAnswered(answer(w.value(1), hex(2)));
        else if (what == QLatin1String("write"))
            policy.writeAnswered(answer(w.value(1)));
        else if (what.startsWith(QLatin1Char('+')))
            time.advance(what.mid(1).toInt());
        else if (event.trimmed() == QLatin1String("no sends"))
            rec.sends = false;
        else if (event.trimmed() == QLatin1String("no opens"))
            rec.opens = false;
        else if (event.trimmed() == QLatin1String("link down"))
            rec.up = false;
        else if (event.trimmed() == QLatin1String("stop reading"))
            policy.stopReading();
        else
            QFAIL(qPrintable(QStringLiteral("unknown event ") + event));
    }
    if (policy.searchFailure())
        rec.log << QStringLiteral("failed: ") + policy.searchFailure()->english;

    QCOMPARE(rec.log, actions);
    const char* states[] = {"Closed", "Searching", "Open", "Lost"};
    QCOMPARE(QString::fromLatin1(states[int(policy.state())]), state);
}

QTEST_MAIN(TestLinkPolicy)
#include "tst_link_policy.moc"
