#include "klas/class_model.h"
#include "klas/klas_messages.h"

#include <QtTest>

using klas::Fault;
using klas::Faults;

namespace
{

Faults faults(std::initializer_list<std::pair<int, Fault>> list)
{
    Faults f;
    for (const auto& [input, kind] : list)
        f.input[input - 1] = kind;
    return f;
}

} // namespace

class TestKlasMessages : public QObject
{
    Q_OBJECT

  private slots:
    void faultsChangeWhatIsSeen_data();
    void faultsChangeWhatIsSeen();
    void faultMessages_data();
    void faultMessages();
    void statusRoundTripAndDamage_data();
    void statusRoundTripAndDamage();
    void topics_data();
    void topics();
    void teachersFaultsSentAgain_data();
    void teachersFaultsSentAgain();
};

void TestKlasMessages::faultsChangeWhatIsSeen_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("seen");
    QTest::addColumn<QString>("described");

    QTest::newRow("none") << Faults{} << 0x5A << 0x5A << "";
    QTest::newRow("open input 1 hides it")
        << faults({{1, Fault::OpenCircuit}}) << 0xFF << 0xFE << "ingang 1 draadbreuk";
    QTest::newRow("short input 8 shows it")
        << faults({{8, Fault::ShortCircuit}}) << 0x00 << 0x80 << "ingang 8 kortsluiting";
    QTest::newRow("both kinds, higher bits untouched")
        << faults({{3, Fault::ShortCircuit}, {5, Fault::OpenCircuit}}) << 0x1F10 << 0x1F04
        << "ingang 3 kortsluiting, ingang 5 draadbreuk";
}

void TestKlasMessages::faultsChangeWhatIsSeen()
{
    QFETCH(Faults, faults);
    QFETCH(int, word);
    QFETCH(int, seen);
    QFETCH(QString, described);
    QCOMPARE(faults.apply(word), seen);
    QCOMPARE(faults.describe(), described);
    QCOMPARE(faults.any(), !described.isEmpty());
    // What the teacher sends arrives as it was sent.
    QCOMPARE(klas::decodeFaults(klas::encodeFaults(faults)), std::optional<Faults>(faults));
}

void TestKlasMessages::faultMessages_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("described");

    QTest::newRow("empty list lifts all") << QByteArray(R"({"storingen":[]})") << true << "";
    QTest::newRow("one") << QByteArray(R"({"storingen":[{"ingang":2,"soort":"draadbreuk"}]})")
                         << true << "ingang 2 draadbreuk";
    QTest::newRow("geen is no fault")
        << QByteArray(R"({"storingen":[{"ingang":2,"soort":"geen"}]})") << true << "";
    QTest::newRow("input 0") << QByteArray(R"({"storingen":[{"ingang":0,"soort":"draadbreuk"}]})")
                             << false << "";
    QTest::newRow("input 9") << QByteArray(R"({"storingen":[{"ingang":9,"soort":"draadbreuk"}]})")
                             << false << "";
    QTest::newRow("input 2.5") << QByteArray(
                                      R"({"storingen":[{"ingang":2.5,"soort":"draadbreuk"}]})")
                               << false << "";
    QTest::newRow("unknown kind") << QByteArray(R"({"storingen":[{"ingang":2,"soort":"aan"}]})")
                                  << false << "";
    QTest::newRow("another teacher's window, sender ignored")
        << QByteArray(R"({"storingen":[{"ingang":4,"soort":"kortsluiting"}],"van":"3f9c2a1b"})")
        << true << "ingang 4 kortsluiting";
    QTest::newRow("no list") << QByteArray(R"({"storingen":3})") << false << "";
    QTest::newRow("not json") << QByteArray("storing 2") << false << "";
    QTest::newRow("empty") << QByteArray() << false << "";
    QTest::newRow("too large") << QByteArray(9000, ' ') << false << "";
    QTest::newRow("nine entries") << QByteArray(R"({"storingen":[1,2,3,4,5,6,7,8,9]})") << false
                                  << "";
}

void TestKlasMessages::faultMessages()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, accepted);
    QFETCH(QString, described);
    const std::optional<Faults> f = klas::decodeFaults(payload);
    QCOMPARE(f.has_value(), accepted);
    if (f)
        QCOMPARE(f->describe(), described);
    // A fault message is never mistaken for "Alles uit", nor the reverse.
    QVERIFY(!klas::isAllOff(payload));
    QVERIFY(!klas::decodeFaults(klas::encodeAllOff()));
    QVERIFY(klas::isAllOff(klas::encodeAllOff()));
    // The sender travels along and does not change the set.
    if (f) {
        const QByteArray marked = klas::encodeFaults(*f, QStringLiteral("w1"));
        QCOMPARE(klas::faultSender(marked), QStringLiteral("w1"));
        QCOMPARE(klas::decodeFaults(marked), f);
    }
}

void TestKlasMessages::statusRoundTripAndDamage_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("uitgangen");
    QTest::addColumn<QString>("naam");

    klas::PupilStatus s;
    s.online = true;
    s.naam = QStringLiteral("Pc van Sam");
    s.interfaceType = QStringLiteral("simulated");
    s.verbonden = true;
    s.station = QStringLiteral("Transportband");
    s.uitgangen = 0x81;
    s.ingangen = 0x03;
    s.plan = QStringLiteral("loopt");
    s.stap = 4;
    s.plc = QStringLiteral("127.0.0.1");
    s.storingen.input[6] = Fault::ShortCircuit;
    QTest::newRow("round trip") << klas::encodeStatus(s) << true << 0x81 << "Pc van Sam";
    QTest::newRow("last will") << klas::offlineStatus(QStringLiteral("pc03")) << true << 0
                               << "pc03";
    QTest::newRow("word out of range reads 0")
        << QByteArray(R"({"online":true,"naam":"x","uitgangen":256})") << true << 0 << "x";
    QTest::newRow("negative word reads 0")
        << QByteArray(R"({"online":true,"naam":"x","uitgangen":-1})") << true << 0 << "x";
    QTest::newRow("control characters in a name")
        << QByteArray("{\"online\":true,\"naam\":\"a\\u0007b\"}") << true << 0 << "a b";
    QTest::newRow("no online") << QByteArray(R"({"naam":"x"})") << false << 0 << "";
    QTest::newRow("array") << QByteArray("[1,2]") << false << 0 << "";
    QTest::newRow("truncated") << klas::encodeStatus(s).left(30) << false << 0 << "";
}

void TestKlasMessages::statusRoundTripAndDamage()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, accepted);
    QFETCH(int, uitgangen);
    QFETCH(QString, naam);
    const std::optional<klas::PupilStatus> s = klas::decodeStatus(payload);
    QCOMPARE(s.has_value(), accepted);
    if (!s)
        return;
    QCOMPARE(s->uitgangen, uitgangen);
    QCOMPARE(s->naam, naam);
    QCOMPARE(klas::decodeStatus(klas::encodeStatus(*s)), s);
}

void TestKlasMessages::topics_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("faultAccount");

    QTest::newRow("status") << "3b/pc07/status"
                            << "pc07"
                            << "";
    QTest::newRow("other class") << "3c/pc07/status"
                                 << ""
                                 << "";
    QTest::newRow("faults") << "3b/pc07/storing"
                            << ""
                            << "pc07";
    QTest::newRow("faults of another class") << "3c/pc07/storing"
                                             << ""
                                             << "";
    QTest::newRow("deeper") << "3b/pc07/status/x"
                            << ""
                            << "";
    QTest::newRow("no account") << "3b//status"
                                << ""
                                << "";
    QTest::newRow("no account, faults") << "3b//storing"
                                        << ""
                                        << "";
}

void TestKlasMessages::topics()
{
    QFETCH(QString, topic);
    QFETCH(QString, account);
    QFETCH(QString, faultAccount);
    QCOMPARE(klas::accountOfStatusTopic(QStringLiteral("3b"), topic), account);
    QCOMPARE(klas::accountOfFaultTopic(QStringLiteral("3b"), topic), faultAccount);
    QCOMPARE(klas::statusTopic(QStringLiteral("3b"), QStringLiteral("pc07")),
             QStringLiteral("3b/pc07/status"));
}

void TestKlasMessages::teachersFaultsSentAgain_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<Faults>("wanted");
    QTest::addColumn<bool>("online");
    QTest::addColumn<Faults>("reported");
    QTest::addColumn<bool>("sentAgain");

    const Faults two = faults({{2, Fault::ShortCircuit}});
    const Faults other = faults({{5, Fault::OpenCircuit}});
    QTest::newRow("PC applies what was set") << "pc01" << two << true << two << false;
    QTest::newRow("PC restarted without faults") << "pc01" << two << true << Faults{} << true;
    QTest::newRow("PC lost one message") << "pc01" << two << true << other << true;
    // A window opened anew knows no faults: what an earlier window left on a
    // PC is lifted, so no fault stays that no open window shows or can lift.
    QTest::newRow("earlier window's faults lifted") << "pc01" << Faults{} << true << two << true;
    QTest::newRow("nothing set, nothing reported")
        << "pc01" << Faults{} << true << Faults{} << false;
    // Its last will: nothing to send to until it is back.
    QTest::newRow("offline PC") << "pc01" << two << false << Faults{} << false;
    QTest::newRow("PC outside the class with faults") << "pc77" << Faults{} << true << two << true;
    QTest::newRow("no account") << "" << Faults{} << true << two << false;
}

void TestKlasMessages::teachersFaultsSentAgain()
{
    QFETCH(QString, account);
    QFETCH(Faults, wanted);
    QFETCH(bool, online);
    QFETCH(Faults, reported);
    QFETCH(bool, sentAgain);

    klas::ClassModel model({QStringLiteral("pc01"), QStringLiteral("pc02")});
    for (int i = 0; i < 8; ++i) {
        if (wanted.input[i] != Fault::None)
            QVERIFY(model.setFault(QStringLiteral("pc01"), i + 1, wanted.input[i]));
    }
    klas::PupilStatus s;
    s.online = online;
    s.naam = QStringLiteral("Anna");
    s.storingen = reported;
    QCOMPARE(model.onStatus(account, s), sentAgain);
    // The record stays the teacher's whatever a PC reports.
    if (const klas::ClassModel::Pupil* p = model.pupil(account))
        QCOMPARE(p->wanted, account == QLatin1String("pc01") ? wanted : Faults{});
    QVERIFY(!model.pupil(QStringLiteral("pc02"))->wanted.any());
}

QTEST_GUILESS_MAIN(TestKlasMessages)
#include "tst_klas_messages.moc"
