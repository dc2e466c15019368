#include "interface_link/modbus_easyport.h"
#include "platform/services.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QModbusDataUnit>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QModbusTcpClient>
#include <QtDebug>

namespace link
{

namespace
{

constexpr int kWordBits = 8;
constexpr int kWatchdogTickMs = 50;
// A reply that has not finished this long after the client's own timeout is
// given up by the watchdog.
constexpr int kWatchdogGraceMs = 300;

QModbusDataUnit coilUnit(int firstCoil, quint8 word)
{
    QModbusDataUnit unit(QModbusDataUnit::Coils, firstCoil, kWordBits);
    for (int i = 0; i < kWordBits; ++i)
        unit.setValue(i, (word >> i) & 1);
    return unit;
}

// The input word from a read reply; nothing when the reply is short.
std::optional<quint8> inputWord(const QModbusDataUnit& unit)
{
    if (unit.valueCount() < kWordBits)
        return std::nullopt;
    quint8 word = 0;
    for (int i = 0; i < kWordBits; ++i) {
        if (unit.value(i) != 0)
            word |= quint8(1u << i);
    }
    return word;
}

QString stateText(ModbusEasyPort::LinkState s)
{
    switch (s) {
    case ModbusEasyPort::LinkState::Closed:
        return QStringLiteral("niet verbonden");
    case ModbusEasyPort::LinkState::Searching:
        return QStringLiteral("zoeken...");
    case ModbusEasyPort::LinkState::Open:
        return QStringLiteral("verbonden");
    case ModbusEasyPort::LinkState::Lost:
        return QStringLiteral("verbinding verbroken, opnieuw verbinden nodig");
    }
    return {};
}

} // namespace

ModbusEasyPort::ModbusEasyPort(const ModbusSettings& settings, QObject* parent)
    : EasyPortControl(parent), m_settings(settings)
{
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    m_pollTimer.setInterval(m_settings.pollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &ModbusEasyPort::poll);
    m_watchdogTimer.setInterval(kWatchdogTickMs);
    connect(&m_watchdogTimer, &QTimer::timeout, this, &ModbusEasyPort::watchdog);
}

ModbusEasyPort::~ModbusEasyPort()
{
    // Nobody listens to the inputs any more; only the outputs matter now.
    m_pollTimer.stop();
    if (m_searchLoop) {
        // Deleted from within our own search: that frame must not touch us.
        *m_alive = false;
        m_searchLoop->quit();
    } else if (m_state == LinkState::Open) {
        flush(kExitBoundMs);
    }
    *m_alive = false;
    m_watchdogTimer.stop();
    dropClient(true);
    delete m_aboutBox.data();
}

QModbusClient* ModbusEasyPort::makeClient()
{
    QModbusClient* client = nullptr;
    if (m_settings.transport == ModbusSettings::Transport::Tcp) {
        client = new QModbusTcpClient(this);
        client->setConnectionParameter(QModbusDevice::NetworkAddressParameter, m_settings.host);
        client->setConnectionParameter(QModbusDevice::NetworkPortParameter, m_settings.port);
    } else {
        client = new QModbusRtuSerialClient(this);
        client->setConnectionParameter(QModbusDevice::SerialPortNameParameter,
                                       m_settings.serialDevice);
        client->setConnectionParameter(QModbusDevice::SerialBaudRateParameter, m_settings.baudRate);
        client->setConnectionParameter(QModbusDevice::SerialParityParameter,
                                       int(m_settings.parity));
        client->setConnectionParameter(QModbusDevice::SerialDataBitsParameter,
                                       int(m_settings.dataBits));
        client->setConnectionParameter(QModbusDevice::SerialStopBitsParameter,
                                       int(m_settings.stopBits));
    }
    client->setTimeout(m_settings.timeoutMs);
    // Failed requests are counted here, not repeated by the client, so that
    // every request ends within one timeout.
    client->setNumberOfRetries(0);
    return client;
}

void ModbusEasyPort::orphan(QModbusReply* reply)
{
    if (!reply)
        return;
    disconnect(reply, nullptr, this, nullptr);
    if (reply->isFinished())
        reply->deleteLater();
    else
        connect(reply, &QModbusReply::finished, reply, &QObject::deleteLater);
}

// Ends the link and forgets the client. `now` deletes it at once (only
// where no call of the client can be on the stack: the destructor).
void ModbusEasyPort::dropClient(bool now)
{
    orphan(m_readReply);
    m_readReply = nullptr;
    orphan(m_writeReply);
    m_writeReply = nullptr;
    m_writeQueue.clear();
    if (!m_client)
        return;
    QModbusClient* client = m_client;
    m_client = nullptr;
    disconnect(client, nullptr, this, nullptr);
    client->disconnectDevice();
    if (now)
        delete client;
    else
        client->deleteLater();
}

qint16 ModbusEasyPort::SearchAndConnect()
{
    if (m_state == LinkState::Open)
        return 1;
    if (m_state == LinkState::Searching)
        return 0;

    m_pollTimer.stop();
    m_watchdogTimer.stop();
    dropClient(false);
    m_state = LinkState::Searching;
    m_client = makeClient();
    QModbusClient* client = m_client;
    const std::shared_ptr<bool> alive = m_alive;

    QEventLoop loop;
    m_searchLoop = &loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(client, &QModbusDevice::stateChanged, &loop, [&loop](QModbusDevice::State s) {
        if (s == QModbusDevice::ConnectedState || s == QModbusDevice::UnconnectedState)
            loop.quit();
    });
    deadline.start(kSearchBoundMs);

    // Each step below keeps the event loop running until it is done or the
    // deadline has passed. Disconnect or deletion meanwhile ends the search.
    const auto stillSearching = [&] {
        return *alive && m_state == LinkState::Searching && m_client == client;
    };
    // Ended from outside: Disconnect has cleaned up; after deletion nothing
    // of the control may be touched.
    const auto abandon = [&]() -> qint16 {
        if (*alive)
            m_searchLoop = nullptr;
        return 0;
    };
    const auto reasonOf = [client](const QString& text) {
        return text.isEmpty() ? (client->errorString().isEmpty() ? QStringLiteral("no answer")
                                                                 : client->errorString())
                              : text;
    };
    // The reply once it has finished without error; otherwise nothing and
    // `failure` says why.
    QString failure;
    const auto await = [&](QModbusReply* reply, const char* what) -> QModbusReply* {
        if (!reply) {
            failure = QStringLiteral("%1: %2").arg(QLatin1String(what), reasonOf({}));
            return nullptr;
        }
        if (!reply->isFinished() && deadline.isActive()) {
            connect(reply, &QModbusReply::finished, &loop, &QEventLoop::quit);
            loop.exec();
            if (!stillSearching()) {
                if (*alive)
                    orphan(reply);
                return nullptr;
            }
        }
        if (!reply->isFinished()) {
            failure =
                QStringLiteral("%1: no answer within the time limit").arg(QLatin1String(what));
        } else if (reply->error() != QModbusDevice::NoError) {
            failure =
                QStringLiteral("%1: %2").arg(QLatin1String(what), reasonOf(reply->errorString()));
        } else {
            return reply;
        }
        orphan(reply);
        return nullptr;
    };

    // 1. The connection itself.
    if (!client->connectDevice()) {
        failure = reasonOf({});
    } else if (client->state() != QModbusDevice::ConnectedState) {
        loop.exec();
        if (!stillSearching())
            return abandon();
        if (client->state() != QModbusDevice::ConnectedState) {
            failure = deadline.isActive() ? reasonOf({})
                                          : QStringLiteral("no connection within the time limit");
        }
    }

    // 2. The module answers an input read...
    std::optional<quint8> inputs;
    if (failure.isEmpty()) {
        QModbusReply* reply =
            await(client->sendReadRequest(QModbusDataUnit(QModbusDataUnit::DiscreteInputs,
                                                          m_settings.firstInput, kWordBits),
                                          m_settings.unitId),
                  "input read");
        if (!stillSearching())
            return abandon();
        if (reply) {
            inputs = inputWord(reply->result());
            if (!inputs)
                failure = QStringLiteral("input read: short answer");
            orphan(reply);
        }
    }

    // 3. ...and takes the program's output word, so that it shows what the
    // program shows from the start.
    std::optional<quint8> written;
    if (failure.isEmpty()) {
        const quint8 word = m_lastWord;
        QModbusReply* reply =
            await(client->sendWriteRequest(coilUnit(m_settings.firstCoil, word), m_settings.unitId),
                  "output write");
        if (!stillSearching())
            return abandon();
        if (reply) {
            written = word;
            orphan(reply);
        }
    }

    m_searchLoop = nullptr;
    if (!failure.isEmpty() || !inputs || !written) {
        qCWarning(lcDravik).noquote() << QStringLiteral("Modbus module not found (%1): %2")
                                             .arg(m_settings.describe(), failure);
        m_state = LinkState::Closed;
        dropClient(false);
        return 0;
    }
    openLink(*inputs, *written);
    return 1;
}

void ModbusEasyPort::openLink(quint8 inputs, quint8 written)
{
    m_state = LinkState::Open;
    m_readFailures = 0;
    m_writeFailures = 0;
    m_inputs = inputs;
    m_confirmedWord = written;
    const quint64 generation = ++m_generation;

    connect(m_client, &QModbusDevice::stateChanged, this, [this](QModbusDevice::State s) {
        if (s != QModbusDevice::ConnectedState)
            linkLost(QStringLiteral("connection closed"));
    });
    connect(m_client, &QModbusDevice::errorOccurred, this, [this](QModbusDevice::Error) {
        if (m_client && m_client->state() != QModbusDevice::ConnectedState)
            linkLost(m_client->errorString());
    });

    m_pollTimer.start();
    m_watchdogTimer.start();
    // The caller hears the inputs after SearchAndConnect has returned.
    QTimer::singleShot(0, this, [this, generation] {
        if (m_state == LinkState::Open && m_generation == generation)
            emit InputsChanged(0, 0, m_inputs);
    });
    // A word given while the search was under way.
    if (m_lastWord != written) {
        m_writeQueue = {m_lastWord};
        pumpWrites();
    }
}

void ModbusEasyPort::linkLost(const QString& reason)
{
    if (m_state != LinkState::Open)
        return;
    m_state = LinkState::Lost;
    m_pollTimer.stop();
    m_watchdogTimer.stop();
    qCWarning(lcDravik).noquote()
        << QStringLiteral("Modbus link lost (%1): %2; outputs are no longer written until the "
                          "next connect")
               .arg(m_settings.describe(), reason);
    orphan(m_readReply);
    m_readReply = nullptr;
    orphan(m_writeReply);
    m_writeReply = nullptr;
    m_writeQueue.clear();
    if (m_client) {
        disconnect(m_client, nullptr, this, nullptr);
        m_client->disconnectDevice();
    }
}

qint16 ModbusEasyPort::GetComPort(qint16 index)
{
    return index == 0 ? qint16(m_settings.comPort) : qint16(0);
}

qint16 ModbusEasyPort::GetModuleNumber(qint16 index)
{
    return index == 0 ? qint16(m_settings.moduleNumber) : qint16(0);
}

void ModbusEasyPort::Disconnect()
{
    // Words already given still reach the module; the outputs stay as they
    // are after that.
    if (m_state == LinkState::Open)
        flush(kDisconnectFlushMs);
    m_state = LinkState::Closed;
    m_pollTimer.stop();
    m_watchdogTimer.stop();
    if (m_searchLoop)
        m_searchLoop->quit();
    dropClient(false);
}

void ModbusEasyPort::WriteOutputs(qint16 word)
{
    m_lastWord = quint8(word & 0xFF);
    if (m_state != LinkState::Open)
        return;
    if (m_writeQueue.size() >= kMaxQueuedWords)
        m_writeQueue.removeFirst();
    m_writeQueue.append(m_lastWord);
    pumpWrites();
}

void ModbusEasyPort::pumpWrites()
{
    if (m_state != LinkState::Open || m_writeReply || m_writeQueue.isEmpty())
        return;
    const quint8 word = m_writeQueue.takeFirst();
    QModbusReply* reply =
        m_client->sendWriteRequest(coilUnit(m_settings.firstCoil, word), m_settings.unitId);
    if (!reply) {
        linkLost(m_client->errorString());
        return;
    }
    m_writeReply = reply;
    m_writeWord = word;
    m_writeSince.start();
    if (reply->isFinished()) {
        QTimer::singleShot(0, this, [this, reply] { onWriteFinished(reply); });
        return;
    }
    connect(reply, &QModbusReply::finished, this, [this, reply] { onWriteFinished(reply); });
}

void ModbusEasyPort::onWriteFinished(QModbusReply* reply)
{
    if (reply != m_writeReply) {
        orphan(reply);
        return;
    }
    m_writeReply = nullptr;
    const auto error = reply->error();
    const QString errorText = reply->errorString();
    orphan(reply);
    if (error == QModbusDevice::NoError) {
        m_writeFailures = 0;
        m_confirmedWord = m_writeWord;
    } else {
        // Try the same word again unless a newer one already waits.
        if (m_writeQueue.isEmpty())
            m_writeQueue.append(m_writeWord);
        noteFailure(m_writeFailures, QStringLiteral("write: ") + errorText, error);
    }
    pumpWrites();
}

void ModbusEasyPort::poll()
{
    if (m_state != LinkState::Open || m_readReply)
        return;
    QModbusReply* reply = m_client->sendReadRequest(
        QModbusDataUnit(QModbusDataUnit::DiscreteInputs, m_settings.firstInput, kWordBits),
        m_settings.unitId);
    if (!reply) {
        linkLost(m_client->errorString());
        return;
    }
    m_readReply = reply;
    m_readSince.start();
    if (reply->isFinished()) {
        QTimer::singleShot(0, this, [this, reply] { onReadFinished(reply); });
        return;
    }
    connect(reply, &QModbusReply::finished, this, [this, reply] { onReadFinished(reply); });
}

void ModbusEasyPort::onReadFinished(QModbusReply* reply)
{
    if (reply != m_readReply) {
        orphan(reply);
        return;
    }
    m_readReply = nullptr;
    const auto error = reply->error();
    const QString errorText = reply->errorString();
    const auto word = error == QModbusDevice::NoError ? inputWord(reply->result()) : std::nullopt;
    orphan(reply);
    if (!word) {
        noteFailure(m_readFailures,
                    QStringLiteral("read: ") + (error == QModbusDevice::NoError
                                                    ? QStringLiteral("short answer")
                                                    : errorText),
                    error);
        return;
    }
    m_readFailures = 0;
    if (*word != m_inputs) {
        m_inputs = *word;
        emit InputsChanged(0, 0, m_inputs);
    }
}

void ModbusEasyPort::noteFailure(int& counter, const QString& what, int error)
{
    if (error == QModbusDevice::ConnectionError ||
        (m_client && m_client->state() != QModbusDevice::ConnectedState)) {
        linkLost(what);
        return;
    }
    if (++counter >= kFailuresToLoseLink)
        linkLost(QStringLiteral("%1 failed requests in a row, last %2").arg(counter).arg(what));
}

void ModbusEasyPort::watchdog()
{
    const qint64 limit = m_settings.timeoutMs + kWatchdogGraceMs;
    if (m_readReply && m_readSince.elapsed() > limit) {
        orphan(m_readReply);
        m_readReply = nullptr;
        noteFailure(m_readFailures, QStringLiteral("read: no reply"), QModbusDevice::TimeoutError);
    }
    if (m_state == LinkState::Open && m_writeReply && m_writeSince.elapsed() > limit) {
        orphan(m_writeReply);
        m_writeReply = nullptr;
        if (m_writeQueue.isEmpty())
            m_writeQueue.append(m_writeWord);
        noteFailure(m_writeFailures, QStringLiteral("write: no reply"),
                    QModbusDevice::TimeoutError);
        pumpWrites();
    }
}

bool ModbusEasyPort::lastWordConfirmed() const
{
    return !m_writeReply && m_writeQueue.isEmpty() && m_confirmedWord == m_lastWord;
}

bool ModbusEasyPort::flush(int ms)
{
    if (m_state != LinkState::Open)
        return false;
    if (lastWordConfirmed())
        return true;
    if (!QCoreApplication::instance())
        return false;
    const std::shared_ptr<bool> alive = m_alive;
    QElapsedTimer clock;
    clock.start();
    // The tick wakes the wait below so the time limit holds even when
    // nothing else happens. A plain event loop would not do here: after the
    // application has been told to quit, a new QEventLoop returns at once.
    QTimer tick;
    tick.start(5);
    while (m_state == LinkState::Open && !lastWordConfirmed() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!*alive)
            return false;
    }
    return m_state == LinkState::Open && lastWordConfirmed();
}

QString ModbusEasyPort::aboutText() const
{
    return QStringLiteral("Modbus I/O-module\n"
                          "Koppeling versie %1.%2.%3\n\n"
                          "Verbinding: %4\n"
                          "Uitgangen 1 t/m 8: coils %5 t/m %6\n"
                          "Ingangen 1 t/m 8: discrete inputs %7 t/m %8\n"
                          "Toestand: %9")
        .arg(DRAVIK_VERSION_MAJOR)
        .arg(DRAVIK_VERSION_MINOR)
        .arg(DRAVIK_VERSION_PATCH)
        .arg(m_settings.describe())
        .arg(m_settings.firstCoil)
        .arg(m_settings.firstCoil + kWordBits - 1)
        .arg(m_settings.firstInput)
        .arg(m_settings.firstInput + kWordBits - 1)
        .arg(stateText(m_state));
}

void ModbusEasyPort::AboutBox()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCWarning(lcDravik, "Modbus about window needs a widget application");
        return;
    }
    if (m_aboutBox) {
        if (auto* box = qobject_cast<QMessageBox*>(m_aboutBox.data()))
            box->setText(aboutText());
        m_aboutBox->raise();
        m_aboutBox->activateWindow();
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Over de interface"),
                                aboutText(), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setModal(false);
    m_aboutBox = box;
    box->show();
}

} // namespace link
