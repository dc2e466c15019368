#include "klas/klas_messages.h"
#include "klas/mqtt_client.h"
#include "support/class_broker.h"
#include "support/try_wait.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <map>
#include <memory>

using klas::MqttClient;
using testing::ClassBroker;

namespace
{

MqttClient::Options account(const ClassBroker& broker, const QString& user,
                            const QString& password = {})
{
    MqttClient::Options o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = broker.port();
    o.user = user;
    o.password = password.isNull() ? broker.password(user) : password;
    o.clientId =
        user + QStringLiteral("-") + QString::number(QRandomGenerator::global()->generate());
    o.firstRetryMs = 100;
    o.maxRetryMs = 400;
    return o;
}

} // namespace

// The client against a real broker: what arrives, a refused password, a
// broker that is away at the start or goes away in the middle.
class TestMqttClient : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void whatTheAclLetsThrough_data();
    void whatTheAclLetsThrough();
    void wrongPasswordIsToldOnceAndNotRetried();
    void brokerAwayAtStartAndMidLesson();
    void stopNeverWaitsLong();
    void startedAgainRightAfterStop_data();
    void startedAgainRightAfterStop();

  private:
    ClassBroker m_broker;
    std::unique_ptr<testing::LibraryWaker> m_waker;
    // Connected from the start: docent, pc01 and pc02.
    std::map<QString, std::unique_ptr<MqttClient>> m_accounts;
    // Started with them, with a wrong password.
    std::unique_ptr<MqttClient> m_wrongPassword;
    std::unique_ptr<QSignalSpy> m_refused;
};

void TestMqttClient::initTestCase()
{
    // pc03 only keeps the library's network thread turning.
    QVERIFY2(m_broker.start(3, QStringLiteral("3b")), qPrintable(m_broker.error()));
    m_waker = std::make_unique<testing::LibraryWaker>(m_broker, QStringLiteral("pc03"));
    // One connection per account for every row, and the refused one: Paho
    // takes up to a couple of seconds to finish a connection started once
    // others are open, so they are all started together.
    for (const QString& user :
         {QStringLiteral("docent"), QStringLiteral("pc01"), QStringLiteral("pc02")}) {
        m_accounts.emplace(user, std::make_unique<MqttClient>(account(m_broker, user)));
        m_accounts.at(user)->start();
    }
    m_wrongPassword = std::make_unique<MqttClient>(
        account(m_broker, QStringLiteral("pc01"), QStringLiteral("fout")));
    m_refused = std::make_unique<QSignalSpy>(m_wrongPassword.get(), &MqttClient::refused);
    m_wrongPassword->start();
    TRY_VERIFY_WITH_TIMEOUT(std::all_of(m_accounts.begin(), m_accounts.end(),
                                        [](const auto& a) { return a.second->isConnected(); }),
                            10000);
}

void TestMqttClient::whatTheAclLetsThrough_data()
{
    QTest::addColumn<QString>("publisher");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("delivered");

    QTest::newRow("teacher sets a fault on pc01") << "docent"
                                                  << "3b/pc01/storing"
                                                  << "pc01"
                                                  << "3b/pc01/storing" << true;
    QTest::newRow("pc02 cannot set a fault on pc01") << "pc02"
                                                     << "3b/pc01/storing"
                                                     << "pc01"
                                                     << "3b/pc01/storing" << false;
    QTest::newRow("pc02 cannot switch the class off") << "pc02"
                                                      << "3b/allesuit"
                                                      << "pc01"
                                                      << "3b/allesuit" << false;
    QTest::newRow("teacher switches the class off") << "docent"
                                                    << "3b/allesuit"
                                                    << "pc02"
                                                    << "3b/allesuit" << true;
    QTest::newRow("pc01's status reaches the teacher") << "pc01"
                                                       << "3b/pc01/status"
                                                       << "docent"
                                                       << "3b/+/status" << true;
    QTest::newRow("pc01 cannot pose as pc02") << "pc01"
                                              << "3b/pc02/status"
                                              << "docent"
                                              << "3b/+/status" << false;
}

void TestMqttClient::whatTheAclLetsThrough()
{
    QFETCH(QString, publisher);
    QFETCH(QString, topic);
    QFETCH(QString, reader);
    QFETCH(QString, filter);
    QFETCH(bool, delivered);

    // The connections outlive the rows and keep the filters of the rows
    // before: what a row sends is told apart by its own payloads.
    MqttClient& sub = *m_accounts.at(reader);
    MqttClient& pub = *m_accounts.at(publisher);
    QVERIFY(sub.isConnected() && pub.isConnected());
    const QByteArray tag = QTest::currentDataTag();
    const QByteArray row = "row " + tag;
    const QByteArray marker = "marker " + tag;
    QSignalSpy arrived(&sub, &MqttClient::messageArrived);
    sub.subscribe(filter);
    QTest::qWait(100); // the subscription is acknowledged
    QVERIFY(pub.publish(topic, row, 1, false));
    QTest::qWait(200);
    // A marker the reader is certainly allowed to see closes the row: once it
    // is in, anything the broker let through before it is in too.
    if (reader == QLatin1String("docent"))
        QVERIFY(m_accounts.at(QStringLiteral("pc02"))
                    ->publish(QStringLiteral("3b/pc02/status"), marker, 1, false));
    else
        QVERIFY(m_accounts.at(QStringLiteral("docent"))->publish(filter, marker, 1, false));
    auto has = [&arrived](const QByteArray& payload) {
        return std::any_of(arrived.begin(), arrived.end(), [&](const QList<QVariant>& m) {
            return m.at(1).toByteArray() == payload;
        });
    };
    TRY_VERIFY(has(marker));
    bool sawRow = false;
    for (const QList<QVariant>& m : arrived)
        sawRow = sawRow || (m.at(0).toString() == topic && m.at(1).toByteArray() == row);
    QCOMPARE(sawRow, delivered);
}

void TestMqttClient::wrongPasswordIsToldOnceAndNotRetried()
{
    MqttClient& client = *m_wrongPassword;
    QSignalSpy& refused = *m_refused;
    TRY_COMPARE(refused.count(), 1);
    QVERIFY(client.isRefused());
    // Retries would come every 100..400 ms.
    QTest::qWait(800);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(client.attempts(), 1);
    QVERIFY(!client.isConnected());
}

void TestMqttClient::brokerAwayAtStartAndMidLesson()
{
    m_broker.stop();
    MqttClient client(account(m_broker, QStringLiteral("pc01")));
    client.subscribe(QStringLiteral("3b/pc01/storing"));
    QSignalSpy arrived(&client, &MqttClient::messageArrived);
    QElapsedTimer started;
    started.start();
    client.start();
    // start() returns at once, broker or not.
    QVERIFY(started.elapsed() < 100);
    QTest::qWait(600);
    QVERIFY(!client.isConnected());
    QVERIFY(client.attempts() >= 2);

    QVERIFY2(m_broker.restart(), qPrintable(m_broker.error()));
    TRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 5000);

    // Away in the middle, back again: connected and subscribed once more.
    QSignalSpy lost(&client, &MqttClient::disconnected);
    m_broker.stop();
    TRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 15000);
    QVERIFY2(m_broker.restart(), qPrintable(m_broker.error()));
    TRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 5000);
    // The teacher's connection went away and came back with the broker.
    MqttClient& teacher = *m_accounts.at(QStringLiteral("docent"));
    TRY_VERIFY_WITH_TIMEOUT(teacher.isConnected(), 5000);
    QTest::qWait(100);
    QVERIFY(teacher.publish(QStringLiteral("3b/pc01/storing"), "again", 1, false));
    TRY_COMPARE(arrived.count(), 1);
}

void TestMqttClient::stopNeverWaitsLong()
{
    QElapsedTimer t;
    t.start();
    {
        // A host that does not answer: the connect is still under way.
        MqttClient::Options o = account(m_broker, QStringLiteral("pc01"));
        o.host = QStringLiteral("127.0.0.2");
        o.port = 9; // discard: nothing listens
        MqttClient client(o);
        client.start();
        QTest::qWait(50);
    }
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
}

// start() straight after stop(), while the library still closes the old
// session: the client must come back, and pass on nothing the old session
// received after the stop.
void TestMqttClient::startedAgainRightAfterStop_data()
{
    QTest::addColumn<bool>("sentWhileStopped");

    QTest::newRow("started again at once") << false;
    QTest::newRow("a message under way while it closes") << true;
}

void TestMqttClient::startedAgainRightAfterStop()
{
    QFETCH(bool, sentWhileStopped);

    const QString topic = QStringLiteral("3b/pc02/storing");
    MqttClient client(account(m_broker, QStringLiteral("pc02")));
    client.subscribe(topic);
    QSignalSpy arrived(&client, &MqttClient::messageArrived);
    client.start();
    TRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 5000);
    QTest::qWait(100); // the subscription is acknowledged
    // Its own status not yet acknowledged: the library holds the old session
    // open for it while it closes.
    QVERIFY(client.publish(QStringLiteral("3b/pc02/status"), "status", 1, true));
    client.stop();
    MqttClient& teacher = *m_accounts.at(QStringLiteral("docent"));
    if (sentWhileStopped)
        QVERIFY(teacher.publish(topic, "while stopped", 1, false));
    client.start();
    TRY_VERIFY_WITH_TIMEOUT(client.isConnected(), 10000);
    QTest::qWait(100);
    QVERIFY(teacher.publish(topic, "after", 1, false));
    TRY_VERIFY(!arrived.isEmpty() && arrived.last().at(1).toByteArray() == "after");
    QCOMPARE(arrived.count(), 1);
}

QTEST_GUILESS_MAIN(TestMqttClient)
#include "tst_mqtt_client.moc"
