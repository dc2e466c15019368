#include "support/class_broker.h"

#include "klas/mqtt_client.h"
#include "support/modbus_peers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpSocket>
#include <QThread>

namespace testing
{

ClassBroker::~ClassBroker()
{
    stop();
}

bool ClassBroker::start(int pcs, const QString& klas)
{
    m_klas = klas;
    m_port = freeTcpPort();
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(DRAVIK_SOURCE_DIR "/scripts/klas-broker.sh"),
                  QStringLiteral("--pcs"), QString::number(pcs), QStringLiteral("--dir"),
                  m_dir.path(), QStringLiteral("--klas"), klas, QStringLiteral("--port"),
                  QString::number(m_port), QStringLiteral("--listen"),
                  QStringLiteral("127.0.0.1")});
    if (!script.waitForFinished(30000) || script.exitCode() != 0) {
        m_error = QStringLiteral("klas-broker.sh failed: ") +
                  QString::fromLocal8Bit(script.readAllStandardError());
        return false;
    }
    return launch();
}

bool ClassBroker::launch()
{
    m_broker.setProcessChannelMode(QProcess::MergedChannels);
    m_broker.start(QStringLiteral("mosquitto"),
                   {QStringLiteral("-c"), m_dir.filePath(QStringLiteral("mosquitto.conf"))});
    if (!m_broker.waitForStarted(5000)) {
        m_error = QStringLiteral("mosquitto did not start (is it installed?)");
        return false;
    }
    // Ready once the port takes connections.
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(m_port));
        if (probe.waitForConnected(200))
            return true;
        if (m_broker.state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    m_error =
        QStringLiteral("mosquitto is not listening: ") + QString::fromLocal8Bit(m_broker.readAll());
    return false;
}

void ClassBroker::stop()
{
    if (m_broker.state() == QProcess::NotRunning)
        return;
    m_broker.terminate();
    if (!m_broker.waitForFinished(3000)) {
        m_broker.kill();
        m_broker.waitForFinished(1000);
    }
}

bool ClassBroker::restart()
{
    stop();
    return launch();
}

QString ClassBroker::password(const QString& account) const
{
    QFile ini(m_dir.filePath(account + QStringLiteral(".ini")));
    if (!ini.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : ini.readAll().split('\n')) {
        if (line.startsWith("wachtwoord="))
            return QString::fromUtf8(line.mid(11)).trimmed();
    }
    return {};
}

LibraryWaker::LibraryWaker(const ClassBroker& broker, const QString& account)
{
    klas::MqttClient::Options o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = broker.port();
    o.user = account;
    o.password = broker.password(account);
    o.clientId = QStringLiteral("waker-") + account;
    o.firstRetryMs = 100;
    o.maxRetryMs = 400;
    m_client = std::make_unique<klas::MqttClient>(o);
    m_client->start();
    const QString topic = broker.klas() + QStringLiteral("/waker");
    QObject::connect(&m_tick, &QTimer::timeout, m_client.get(),
                     [this, topic] { m_client->publish(topic, "x", 1, false); });
    m_tick.start(30);
}

LibraryWaker::~LibraryWaker() = default;

} // namespace testing
