#include "klas/all_off_round.h"
#include "klas/class_model.h"
#include "klas/klas_messages.h"
#include "klas/lesson_results.h"
#include "klas/mqtt_client.h"
#include "klas/pupil_link.h"

#include <QtTest>
#include <memory>

using klas::Fault;
using klas::Faults;

Q_DECLARE_METATYPE(klas::ResultRow)

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
    void initTestCase();
    void faultsDescribedAndSent_data();
    void faultsDescribedAndSent();
    void faultMessages_data();
    void faultMessages();
    void statusRoundTripAndDamage_data();
    void statusRoundTripAndDamage();
    void topics_data();
    void topics();
    void teachersFaultsSentAgain_data();
    void teachersFaultsSentAgain();
    void tilesNamedAndCurrent_data();
    void tilesNamedAndCurrent();
    void allOffConfirmedPerPc_data();
    void allOffConfirmedPerPc();
    void lessonAndResultMessages_data();
    void lessonAndResultMessages();
    void resultsCsvRows_data();
    void resultsCsvRows();
    void faultDialogNamesTheSensors_data();
    void faultDialogNamesTheSensors();
    void outputFaultsOnlyWhereAStationIsSimulated_data();
    void outputFaultsOnlyWhereAStationIsSimulated();

  private:
    // pc01 of class 3b, its broker nowhere: messages are handed to it here.
    std::unique_ptr<klas::PupilLink> m_pc01;
};

void TestKlasMessages::initTestCase()
{
    klas::MqttClient::Options o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = 1;
    o.clientId = QStringLiteral("pc01");
    m_pc01 = std::make_unique<klas::PupilLink>(std::make_unique<klas::MqttClient>(o),
                                               QStringLiteral("3b"), QStringLiteral("pc01"));
}

void TestKlasMessages::faultsDescribedAndSent_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("described");

    QTest::newRow("none") << Faults{} << "";
    QTest::newRow("open input 1") << faults({{1, Fault::OpenCircuit}}) << "ingang 1 draadbreuk";
    QTest::newRow("short input 8") << faults({{8, Fault::ShortCircuit}}) << "ingang 8 kortsluiting";
    QTest::newRow("both kinds") << faults({{3, Fault::ShortCircuit}, {5, Fault::OpenCircuit}})
                                << "ingang 3 kortsluiting, ingang 5 draadbreuk";
    Faults withOutput = faults({{2, Fault::OpenCircuit}});
    withOutput.deadOutput[2] = true;
    QTest::newRow("an output that does not work")
        << withOutput << "ingang 2 draadbreuk, uitgang 3 werkt niet";
}

void TestKlasMessages::faultsDescribedAndSent()
{
    QFETCH(Faults, faults);
    QFETCH(QString, described);
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
    QTest::addColumn<bool>("switchesOff"); // pc01's outputs, on the switch-off topic
    // On the freeze topic: 1 freezes, 0 releases, -1 is ignored and the
    // class stays as it was.
    QTest::addColumn<int>("freeze");

    QTest::newRow("empty list lifts all")
        << QByteArray(R"({"storingen":[]})") << true << "" << false << -1;
    QTest::newRow("one") << QByteArray(R"({"storingen":[{"ingang":2,"soort":"draadbreuk"}]})")
                         << true << "ingang 2 draadbreuk" << false << -1;
    QTest::newRow("geen is no fault")
        << QByteArray(R"({"storingen":[{"ingang":2,"soort":"geen"}]})") << true << "" << false
        << -1;
    QTest::newRow("input 0") << QByteArray(R"({"storingen":[{"ingang":0,"soort":"draadbreuk"}]})")
                             << false << "" << false << -1;
    QTest::newRow("input 9") << QByteArray(R"({"storingen":[{"ingang":9,"soort":"draadbreuk"}]})")
                             << false << "" << false << -1;
    QTest::newRow("input 2.5") << QByteArray(
                                      R"({"storingen":[{"ingang":2.5,"soort":"draadbreuk"}]})")
                               << false << "" << false << -1;
    QTest::newRow("unknown kind") << QByteArray(R"({"storingen":[{"ingang":2,"soort":"aan"}]})")
                                  << false << "" << false << -1;
    QTest::newRow("another teacher's window, sender ignored")
        << QByteArray(R"({"storingen":[{"ingang":4,"soort":"kortsluiting"}],"van":"3f9c2a1b"})")
        << true << "ingang 4 kortsluiting" << false << -1;
    QTest::newRow("an output that does not work")
        << QByteArray(R"({"storingen":[{"uitgang":8,"soort":"werkt niet"}]})") << true
        << "uitgang 8 werkt niet" << false << -1;
    // An output cannot read off or on, and an input cannot stand still.
    QTest::newRow("an output with a broken wire")
        << QByteArray(R"({"storingen":[{"uitgang":1,"soort":"draadbreuk"}]})") << false << ""
        << false << -1;
    QTest::newRow("an input that does not work")
        << QByteArray(R"({"storingen":[{"ingang":1,"soort":"werkt niet"}]})") << false << ""
        << false << -1;
    QTest::newRow("output 9") << QByteArray(R"({"storingen":[{"uitgang":9,"soort":"werkt niet"}]})")
                              << false << "" << false << -1;
    QTest::newRow("no list") << QByteArray(R"({"storingen":3})") << false << "" << false << -1;
    QTest::newRow("not json") << QByteArray("storing 2") << false << "" << false << -1;
    QTest::newRow("empty") << QByteArray() << false << "" << false << -1;
    QTest::newRow("too large") << QByteArray(9000, ' ') << false << "" << false << -1;
    QTest::newRow("nine entries") << QByteArray(R"({"storingen":[1,2,3,4,5,6,7,8,9]})") << false
                                  << "" << false << -1;

    // Only exactly "allesuit": true switches off; the teacher's window sends
    // it again naming the PCs it is still for.
    QTest::newRow("Alles uit") << klas::encodeAllOff() << false << "" << true << -1;
    QTest::newRow("Alles uit with its id")
        << QByteArray(R"({"allesuit":true,"id":"r1"})") << false << "" << true << -1;
    QTest::newRow("sent again for this PC")
        << QByteArray(R"({"allesuit":true,"id":"r2","voor":["pc07","pc01"]})") << false << ""
        << true << -1;
    QTest::newRow("sent again for other PCs")
        << QByteArray(R"({"allesuit":true,"id":"r3","voor":["pc02"]})") << false << "" << false
        << -1;
    QTest::newRow("allesuit false")
        << QByteArray(R"({"allesuit":false})") << false << "" << false << -1;
    QTest::newRow("allesuit 1") << QByteArray(R"({"allesuit":1})") << false << "" << false << -1;
    QTest::newRow("allesuit as text")
        << QByteArray(R"({"allesuit":"true"})") << false << "" << false << -1;
    QTest::newRow("a bare 1") << QByteArray("1") << false << "" << false << -1;
    QTest::newRow("a bare true text") << QByteArray(R"("true")") << false << "" << false << -1;
    QTest::newRow("an array") << QByteArray(R"([{"allesuit":true}])") << false << "" << false << -1;
    QTest::newRow("plain text") << QByteArray("allesuit") << false << "" << false << -1;
    QTest::newRow("id not a text")
        << QByteArray(R"({"allesuit":true,"id":7})") << false << "" << false << -1;
    QTest::newRow("voor not a list")
        << QByteArray(R"({"allesuit":true,"id":"r4","voor":"pc01"})") << false << "" << false << -1;

    // Only exactly one key "bevroren" with true or false: a damaged word
    // must neither release a class in a test nor freeze one.
    QTest::newRow("frozen") << klas::encodeFreeze(true) << false << "" << false << 1;
    QTest::newRow("released") << QByteArray(R"({"bevroren":false})") << false << "" << false << 0;
    QTest::newRow("bevroren as text")
        << QByteArray(R"({"bevroren":"false"})") << false << "" << false << -1;
    QTest::newRow("bevroren 0") << QByteArray(R"({"bevroren":0})") << false << "" << false << -1;
    QTest::newRow("bevroren null")
        << QByteArray(R"({"bevroren":null})") << false << "" << false << -1;
    QTest::newRow("a key beside it")
        << QByteArray(R"({"bevroren":false,"tot":"10:30"})") << false << "" << false << -1;
    QTest::newRow("wrapped in a list")
        << QByteArray(R"([{"bevroren":false}])") << false << "" << false << -1;
    QTest::newRow("a bare false") << QByteArray("false") << false << "" << false << -1;
}

void TestKlasMessages::faultMessages()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, accepted);
    QFETCH(QString, described);
    QFETCH(bool, switchesOff);
    QFETCH(int, freeze);
    const std::optional<Faults> f = klas::decodeFaults(payload);
    QCOMPARE(f.has_value(), accepted);
    if (f)
        QCOMPARE(f->describe(), described);
    // A fault message is never mistaken for "Alles uit", nor the reverse.
    QVERIFY(!f || !klas::isAllOff(payload));
    QVERIFY(!klas::decodeFaults(klas::encodeAllOff()));
    // A payload this PC ignores is no all-off message at all, except the
    // one sent again for other PCs.
    QCOMPARE(klas::isAllOff(payload), switchesOff || payload.contains(R"("voor":["pc02"])"));

    // What reaches the pupil's program from the switch-off topic; the one
    // it confirmed is not carried out again when it is sent again.
    QSignalSpy requested(m_pc01.get(), &klas::PupilLink::allOffRequested);
    emit m_pc01->client().messageArrived(klas::allOffTopic(QStringLiteral("3b")), payload);
    QCOMPARE(requested.count(), switchesOff ? 1 : 0);
    if (switchesOff) {
        const QString id = requested.at(0).at(0).toString();
        // An output still on: not confirmed, and done again when sent again.
        klas::PupilStatus stillOn;
        stillOn.uitgangen = 0x10;
        QVERIFY(!m_pc01->allOffCarriedOut(id, stillOn));
        emit m_pc01->client().messageArrived(klas::allOffTopic(QStringLiteral("3b")), payload);
        QCOMPARE(requested.count(), 2);
        QVERIFY(m_pc01->allOffCarriedOut(id, klas::PupilStatus{}));
        emit m_pc01->client().messageArrived(klas::allOffTopic(QStringLiteral("3b")), payload);
        QCOMPARE(requested.count(), id.isEmpty() ? 3 : 2);
    }
    // What reaches the pupil's program from the freeze topic, from a frozen
    // class and from a released one.
    QSignalSpy freezes(m_pc01.get(), &klas::PupilLink::frozenChanged);
    const QString freezeTopic = klas::freezeTopic(QStringLiteral("3b"));
    for (const bool frozenBefore : {true, false}) {
        emit m_pc01->client().messageArrived(freezeTopic, klas::encodeFreeze(frozenBefore));
        QCOMPARE(m_pc01->isFrozen(), frozenBefore);
        freezes.clear();
        emit m_pc01->client().messageArrived(freezeTopic, payload);
        const bool after = freeze < 0 ? frozenBefore : freeze == 1;
        QCOMPARE(m_pc01->isFrozen(), after);
        QCOMPARE(freezes.count(), after == frozenBefore ? 0 : 1);
    }
    // Neither a fault nor a switch-off freezes the class.
    QVERIFY(freeze >= 0 || !klas::decodeFreeze(payload));
    QVERIFY(!klas::decodeFreeze(klas::encodeAllOff()));
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
    QTest::newRow("a result is neither") << "3b/pc07/resultaat"
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
    QCOMPARE(klas::accountOfResultTopic(QStringLiteral("3b"), topic),
             topic.endsWith(QLatin1String("/resultaat")) ? QStringLiteral("pc07") : QString());
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

// Events in order: "back" and "lost" the teacher's broker connection,
// "status pc01 Bram" a status on pc01's topic naming itself Bram, "will
// pc01" its last will. `name` is looked up as the teacher names a PC.
void TestKlasMessages::tilesNamedAndCurrent_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("current");

    QTest::newRow("the teacher's name, not the payload's") << "back;status pc01 Bram"
                                                           << "Anna"
                                                           << "pc01"
                                                           << "Anna" << true;
    QTest::newRow("a name claimed by another PC finds the listed one") << "back;status pc02 Anna"
                                                                       << "Anna"
                                                                       << "pc01"
                                                                       << "Anna" << true;
    QTest::newRow("the payload's name finds no PC") << "back;status pc02 Zoe"
                                                    << "Zoe"
                                                    << ""
                                                    << "" << false;
    QTest::newRow("listed without a name: the account") << "back;status pc02 Anna"
                                                        << "pc02"
                                                        << "pc02"
                                                        << "pc02" << true;
    QTest::newRow("outside the list: the account") << "back;status pc77 Anna"
                                                   << "pc77"
                                                   << "pc77"
                                                   << "pc77" << true;
    QTest::newRow("spaces around the list's parts") << "back"
                                                    << "Cas"
                                                    << "pc03"
                                                    << "Cas" << true;
    QTest::newRow("before the broker answered") << ""
                                                << "pc02"
                                                << "pc02"
                                                << "pc02" << false;
    QTest::newRow("broker lost") << "back;status pc01 x;lost"
                                 << "pc01"
                                 << "pc01"
                                 << "Anna" << false;
    QTest::newRow("back, no status yet") << "back;status pc01 x;lost;back"
                                         << "pc01"
                                         << "pc01"
                                         << "Anna" << false;
    QTest::newRow("back, its status again") << "back;status pc01 x;lost;back;status pc01 x"
                                            << "pc01"
                                            << "pc01"
                                            << "Anna" << true;
    QTest::newRow("back, its will is news too") << "back;status pc01 x;lost;back;will pc01"
                                                << "pc01"
                                                << "pc01"
                                                << "Anna" << true;
    QTest::newRow("another PC's status is not its") << "back;status pc01 x;lost;back;status pc02 x"
                                                    << "pc01"
                                                    << "pc01"
                                                    << "Anna" << false;
    QTest::newRow("never seen, broker lost") << "back;lost"
                                             << "pc02"
                                             << "pc02"
                                             << "pc02" << false;
    QTest::newRow("never seen, broker back") << "back;lost;back"
                                             << "pc02"
                                             << "pc02"
                                             << "pc02" << true;
}

void TestKlasMessages::tilesNamedAndCurrent()
{
    QFETCH(QString, events);
    QFETCH(QString, name);
    QFETCH(QString, account);
    QFETCH(QString, shown);
    QFETCH(bool, current);

    klas::ClassModel model(
        {QStringLiteral("pc01:Anna"), QStringLiteral("pc02"), QStringLiteral(" pc03 : Cas ")});
    for (const QString& event : events.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList w = event.split(QLatin1Char(' '));
        if (w[0] == QLatin1String("back") || w[0] == QLatin1String("lost")) {
            model.setBrokerConnected(w[0] == QLatin1String("back"));
            continue;
        }
        klas::PupilStatus s;
        s.online = w[0] == QLatin1String("status");
        s.naam = w.value(2);
        model.onStatus(w[1], s);
    }
    QCOMPARE(model.accountOf(name), account);
    const klas::ClassModel::Pupil* p = model.pupil(name);
    QCOMPARE(p ? klas::ClassModel::shownName(*p) : QString(), shown);
    QCOMPARE(p && model.isCurrent(*p), current);
}

// Events at a time: "500 pc01 online r1 0" is a status (online or offline,
// the switch-off it reports, its output word), "1000 sent" the switch-off
// going out again, "2500 stop" the teacher stopping.
void TestKlasMessages::allOffConfirmedPerPc_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<QStringList>("late");
    QTest::addColumn<QStringList>("resentTo"); // empty: nothing due now

    const QStringList pc02{"pc02"};
    QTest::newRow("both confirm in time")
        << QStringList{"300 pc01 online r1 0", "500 pc02 online r1 0"} << qint64(5000)
        << QStringList{} << QStringList{};
    QTest::newRow("one silent, not yet shown at 1999 ms, sent again")
        << QStringList{"300 pc01 online r1 0"} << qint64(1999) << QStringList{} << pc02;
    QTest::newRow("one silent, shown at 2 s")
        << QStringList{"300 pc01 online r1 0", "1000 sent"} << qint64(2000) << pc02 << pc02;
    QTest::newRow("sent again 999 ms ago: not yet again")
        << QStringList{"300 pc01 online r1 0", "1001 sent"} << qint64(2000) << pc02
        << QStringList{};
    QTest::newRow("a status from before the switch-off")
        << QStringList{"300 pc01 online r1 0", "400 pc02 online - 0"} << qint64(2000) << pc02
        << pc02;
    QTest::newRow("an earlier switch-off")
        << QStringList{"300 pc01 online r1 0", "400 pc02 online r0 0"} << qint64(2000) << pc02
        << pc02;
    QTest::newRow("carried out, an output still on")
        << QStringList{"300 pc01 online r1 0", "400 pc02 online r1 4"} << qint64(2000) << pc02
        << pc02;
    QTest::newRow("its last will") << QStringList{"300 pc01 online r1 0", "400 pc02 offline r1 0"}
                                   << qint64(2000) << pc02 << pc02;
    QTest::newRow("switched on again after confirming")
        << QStringList{"300 pc01 online r1 0", "400 pc02 online r1 0", "900 pc02 online r1 1"}
        << qint64(2000) << QStringList{} << QStringList{};
    QTest::newRow("back after 8 s and confirms")
        << QStringList{"300 pc01 online r1 0", "1000 sent", "2000 sent",
                       "8000 pc02 online - 3", "8200 sent", "8300 pc02 online r1 0"}
        << qint64(9500) << QStringList{} << QStringList{};
    QTest::newRow("stopped: shown, not sent")
        << QStringList{"300 pc01 online r1 0", "1000 sent", "1500 stop"} << qint64(4000) << pc02
        << QStringList{};
}

void TestKlasMessages::allOffConfirmedPerPc()
{
    QFETCH(QStringList, events);
    QFETCH(qint64, now);
    QFETCH(QStringList, late);
    QFETCH(QStringList, resentTo);

    klas::AllOffRound round;
    round.start(QStringLiteral("r1"), {QStringLiteral("pc02"), QStringLiteral("pc01")}, 0);
    QVERIFY(round.resendDue(0));
    QCOMPARE(round.recipients(), QStringList{}); // the first goes to the whole class
    round.sent(0);
    for (const QString& event : events) {
        const QStringList e = event.split(QLatin1Char(' '));
        const qint64 at = e[0].toLongLong();
        if (e[1] == QLatin1String("sent")) {
            QVERIFY(round.resendDue(at));
            round.sent(at);
        } else if (e[1] == QLatin1String("stop")) {
            round.stop();
        } else {
            klas::PupilStatus s;
            s.online = e[2] == QLatin1String("online");
            s.allesUit = e[3] == QLatin1String("-") ? QString() : e[3];
            s.uitgangen = e[4].toInt();
            round.onStatus(e[1], s);
        }
    }
    QCOMPARE(round.late(now), late);
    QCOMPARE(round.resendDue(now), !resentTo.isEmpty());
    if (!resentTo.isEmpty())
        QCOMPARE(round.recipients(), resentTo);
}

// What a PC takes as the class's lesson and what the teacher takes as a
// PC's result: a damaged message is refused whole, never read in part.
void TestKlasMessages::lessonAndResultMessages_data()
{
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("passedOrLessonBytes");

    const QByteArray lesson = R"({"titel":"Metaal","station":"Transportband"})";
    QTest::newRow("lesson") << false << klas::encodeLesson(QStringLiteral("a1"), lesson) << true
                            << "a1" << int(lesson.size());
    // Read by the lesson's own reader, which then names the damage.
    QTest::newRow("lesson that is no object")
        << false << QByteArray(R"({"id":"a1","opdracht":[1]})") << true << "a1" << 0;
    QTest::newRow("lesson without id")
        << false << QByteArray(R"({"opdracht":{}})") << false << "" << 0;
    QTest::newRow("lesson id a number")
        << false << QByteArray(R"({"id":7,"opdracht":{}})") << false << "" << 0;
    QTest::newRow("lesson larger than a lesson file")
        << false
        << QByteArray(R"({"id":"a1","opdracht":{"x":")") + QByteArray((1 << 20) + 300, 'x') + "\"}}"
        << false << "" << 0;

    klas::LessonResult r;
    r.id = QStringLiteral("a1");
    r.titel = QStringLiteral("Metaal");
    r.goed = 3;
    r.totaal = 4;
    r.fout = QStringLiteral("scenario 4 \"Storing\": Na 4,2 s: ...");
    r.pogingen = 5;
    r.seconden = 754;
    r.plan = R"({"herhaal":false,"stappen":[],"station":"Transportband"})";
    const QByteArray good = klas::encodeResult(r);
    QTest::newRow("result") << true << good << true << "a1" << 3;
    const auto with = [&good](const char* key, const QJsonValue& value) {
        QJsonObject o = QJsonDocument::fromJson(good).object();
        if (value.isUndefined())
            o.remove(QLatin1String(key));
        else
            o.insert(QLatin1String(key), value);
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    };
    QTest::newRow("result without plan")
        << true << with("plan", QJsonValue::Undefined) << false << "" << 0;
    QTest::newRow("result plan as text")
        << true << with("plan", QStringLiteral("{}")) << false << "" << 0;
    QTest::newRow("result without id")
        << true << with("id", QJsonValue::Undefined) << false << "" << 0;
    QTest::newRow("result passed as text")
        << true << with("goed", QStringLiteral("3")) << false << "" << 0;
    QTest::newRow("result more passed than scenarios")
        << true << with("goed", 5) << false << "" << 0;
    QTest::newRow("result no scenarios") << true << with("totaal", 0) << false << "" << 0;
    QTest::newRow("result half an attempt") << true << with("pogingen", 1.5) << false << "" << 0;
    QTest::newRow("result without title")
        << true << with("titel", QJsonValue::Undefined) << false << "" << 0;
    klas::LessonResult hunt;
    hunt.hunt = true;
    hunt.id = QStringLiteral("b2");
    hunt.titel = QStringLiteral("Zoek");
    hunt.goed = 1;
    hunt.totaal = 1;
    hunt.pogingen = 2;
    hunt.seconden = 95;
    hunt.bediend = 7;
    const QByteArray found = klas::encodeResult(hunt);
    const auto huntWith = [&found](const char* key, const QJsonValue& value) {
        QJsonObject o = QJsonDocument::fromJson(found).object();
        o.insert(QLatin1String(key), value);
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    };
    // Fault finding sends no plan; its own fields come back as sent.
    QTest::newRow("fault-finding result") << true << found << true << "b2" << 1;
    QTest::newRow("fault-finding result of two faults")
        << true << huntWith("totaal", 2) << false << "" << 0;
    // Found on a lesson of the pupil's own: the teacher's fault is of no
    // lesson sent; only then may the id be empty.
    klas::LessonResult teachers = hunt;
    teachers.id.clear();
    teachers.docent = true;
    QTest::newRow("the teacher's fault, no class's lesson")
        << true << klas::encodeResult(teachers) << true << "" << 1;
    QTest::newRow("fault-finding result of the lesson without id")
        << true << huntWith("id", QString()) << false << "" << 0;
    QTest::newRow("fault-finding result without the teacher's flag")
        << true << huntWith("docent", 1) << false << "" << 0;
    // Checked with the PLC: no plan, and nothing to check it against.
    klas::LessonResult live = r;
    live.plc = true;
    live.plan.clear();
    QTest::newRow("result checked with the PLC")
        << true << klas::encodeResult(live) << true << "a1" << 3;
    QTest::newRow("result with the PLC flag as text")
        << true << with("plc", QStringLiteral("ja")) << false << "" << 0;
    QTest::newRow("result not checked with the PLC, with a plan")
        << true << with("plc", false) << true << "a1" << 3;
    QTest::newRow("fault-finding result checked with the PLC")
        << true << huntWith("plc", true) << false << "" << 0;
    QTest::newRow("result of a kind not known here")
        << true << with("soort", QStringLiteral("anders")) << false << "" << 0;
    QTest::newRow("result too large")
        << true << with("fout", QString(600 * 1024, QLatin1Char('x'))) << false << "" << 0;
}

void TestKlasMessages::lessonAndResultMessages()
{
    QFETCH(bool, result);
    QFETCH(QByteArray, payload);
    QFETCH(bool, accepted);
    QFETCH(QString, id);
    QFETCH(int, passedOrLessonBytes);
    if (!result) {
        const std::optional<klas::LessonMessage> m = klas::decodeLesson(payload);
        QCOMPARE(m.has_value(), accepted);
        if (m) {
            QCOMPARE(m->id, id);
            QCOMPARE(int(m->lesson.size()), passedOrLessonBytes);
        }
        return;
    }
    const std::optional<klas::LessonResult> r = klas::decodeResult(payload);
    QCOMPARE(r.has_value(), accepted);
    if (!r)
        return;
    QCOMPARE(r->id, id);
    QCOMPARE(r->goed, passedOrLessonBytes);
    QCOMPARE(r->bediend, r->hunt ? 7 : 0);
    // A result with the PLC holds no plan the teacher could check again.
    QCOMPARE(r->plc, payload.contains("\"plc\":true"));
    QCOMPARE(r->plan.isEmpty(), r->hunt || r->plc);
    QCOMPARE(klas::decodeResult(klas::encodeResult(*r)), r);
}

// One PC's row of the saved class table.
void TestKlasMessages::resultsCsvRows_data()
{
    QTest::addColumn<klas::ResultRow>("row");
    QTest::addColumn<QByteArray>("line");

    klas::ResultRow r;
    r.naam = QStringLiteral("Anna");
    r.hasResult = true;
    r.goed = 1;
    r.totaal = 2;
    r.pogingen = 4;
    r.seconden = 3723;
    r.fout = QStringLiteral("scenario 2 \"Twee\": Aan het eind, uitgang 1 aan.");
    QTest::newRow("past an hour, quotes doubled")
        << r
        << QByteArray("\"Anna\",1,2,4,\"1:02:03\",,\"scenario 2 \"\"Twee\"\": Aan het "
                      "eind, uitgang 1 aan.\",\r\n");
    r.seconden = 59;
    r.zelf = 0;
    r.fout.clear();
    QTest::newRow("under a minute, own check")
        << r << QByteArray("\"Anna\",1,2,4,\"0:59\",0,\"\",\r\n");
    klas::ResultRow none;
    none.naam = QStringLiteral("Bram, \"B\"");
    QTest::newRow("no result") << none << QByteArray("\"Bram, \"\"B\"\"\",,,,,,\"\",\r\n");
    klas::ResultRow hunt = r;
    hunt.hunt = true;
    hunt.goed = 1;
    hunt.totaal = 1;
    hunt.zelf = -1;
    hunt.bediend = 0;
    QTest::newRow("fault found before any output was switched")
        << hunt << QByteArray("\"Anna\",1,1,4,\"0:59\",,\"\",0\r\n");
    hunt.bediend = 7;
    hunt.goed = 0;
    hunt.fout = QStringLiteral("storing nog niet gevonden");
    QTest::newRow("fault not found yet, outputs switched")
        << hunt << QByteArray("\"Anna\",0,1,4,\"0:59\",,\"storing nog niet gevonden\",7\r\n");
    klas::ResultRow live = r;
    live.zelf = -1;
    live.plc = true;
    QTest::newRow("checked with the PLC")
        << live << QByteArray("\"Anna\",1,2,4,\"0:59\",\"met de PLC\",\"\",\r\n");
    // A spreadsheet runs a quoted field that starts like a formula; the
    // first failure is a PC's own words.
    klas::ResultRow formula = r;
    formula.fout = QStringLiteral("=HYPERLINK(\"http://x\";\"y\")");
    QTest::newRow("failure that reads as a formula")
        << formula
        << QByteArray("\"Anna\",1,2,4,\"0:59\",0,\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\",\r\n");
    formula.fout = QStringLiteral("  +1+cmd|' /C calc'!A0");
    QTest::newRow("formula after spaces")
        << formula << QByteArray("\"Anna\",1,2,4,\"0:59\",0,\"'  +1+cmd|' /C calc'!A0\",\r\n");
    klas::ResultRow at = none;
    at.naam = QStringLiteral("@Bram");
    QTest::newRow("name that reads as a formula") << at << QByteArray("\"'@Bram\",,,,,,\"\",\r\n");
    at.naam = QStringLiteral("-Bram");
    QTest::newRow("name starting with a minus") << at << QByteArray("\"'-Bram\",,,,,,\"\",\r\n");
    at.naam = QStringLiteral("\tBram");
    QTest::newRow("name starting with a tab") << at << QByteArray("\"'\tBram\",,,,,,\"\",\r\n");
}

void TestKlasMessages::resultsCsvRows()
{
    QFETCH(klas::ResultRow, row);
    QFETCH(QByteArray, line);
    const QByteArray csv = klas::resultsCsv({row});
    QCOMPARE(csv, "naam,goed,totaal,pogingen,tijd,zelf nagekeken,eerste fout,bediend\r\n" + line);
}

void TestKlasMessages::faultDialogNamesTheSensors_data()
{
    QTest::addColumn<QString>("station"); // as the pupil's status carries it
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("caption");
    QTest::newRow("conveyor, inductive sensor")
        << "Transportband" << 1 << "Ingang 1 – Inductieve sensor";
    QTest::newRow("conveyor, an unused input") << "Transportband" << 3 << "Ingang 3";
    QTest::newRow("combined: the handling station three higher")
        << "Transportband en Station handling" << 4 << "Ingang 4 – Eindschakelaar cil. 1 Achter";
    QTest::newRow("interface view: no station") << "Interfacing Easyport D8A" << 2 << "Ingang 2";
    QTest::newRow("no status yet") << "" << 8 << "Ingang 8";
}

void TestKlasMessages::faultDialogNamesTheSensors()
{
    QFETCH(QString, station);
    QFETCH(int, input);
    QFETCH(QString, caption);
    QCOMPARE(klas::ClassModel::inputCaption(station, input), caption);
}

// A real module's cylinder moves whatever the program pretends: the
// teacher is not offered a fault the PC cannot apply.
void TestKlasMessages::outputFaultsOnlyWhereAStationIsSimulated_data()
{
    QTest::addColumn<QString>("interfaceType");
    QTest::addColumn<bool>("offered");
    QTest::newRow("simulated") << "simulated" << true;
    QTest::newRow("a station a PLC drives") << "plc" << true;
    QTest::newRow("a Modbus module") << "modbus" << false;
    QTest::newRow("no status yet") << "" << false;
}

void TestKlasMessages::outputFaultsOnlyWhereAStationIsSimulated()
{
    QFETCH(QString, interfaceType);
    QFETCH(bool, offered);
    QCOMPARE(klas::ClassModel::deadOutputRefusal(interfaceType).isEmpty(), offered);
}

QTEST_GUILESS_MAIN(TestKlasMessages)
#include "tst_klas_messages.moc"
