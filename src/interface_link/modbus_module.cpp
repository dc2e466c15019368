#include "interface_link/modbus_module.h"
#include "platform/services.h"

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QModbusDataUnit>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QModbusTcpClient>
#include <QtDebug>
#include <functional>

namespace iface
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

// The exception code of a reply the module refused. Qt's client reports
// such an answer, and only that, as a protocol error and keeps its one data
// byte: the code. The function code is not asked (QModbusPdu::isException):
// with the exception bit set it lies outside its enum, and reading it here
// is undefined behaviour.
std::optional<int> exceptionCode(const QModbusReply& reply)
{
    if (reply.error() != QModbusDevice::ProtocolError)
        return std::nullopt;
    const QByteArray data = reply.rawResult().data();
    if (data.size() != 1)
        return std::nullopt;
    return int(quint8(data.at(0)));
}

// What a Modbus exception code means, for the pupil and the teacher.
QString exceptionMeaning(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("de module kent deze opdracht niet");
    case 2:
        return QStringLiteral("dat adres bestaat niet in de module: controleer coils en inputs");
    case 3:
        return QStringLiteral("de module weigert deze waarde");
    case 4:
        return QStringLiteral("storing in de module");
    case 5:
    case 6:
        return QStringLiteral("de module is bezig");
    case 8:
        return QStringLiteral("geheugenfout in de module");
    case 10:
        return QStringLiteral("de gateway heeft geen weg naar de module");
    case 11:
        return QStringLiteral("de module achter de gateway antwoordt niet");
    default:
        return QStringLiteral("onbekende code");
    }
}

QString stateText(ModbusModule::LinkState s)
{
    switch (s) {
    case ModbusModule::LinkState::Closed:
        return QStringLiteral("niet verbonden");
    case ModbusModule::LinkState::Searching:
        return QStringLiteral("zoeken...");
    case ModbusModule::LinkState::Open:
        return QStringLiteral("verbonden");
    case ModbusModule::LinkState::Lost:
        return QStringLiteral("verbinding verbroken, opnieuw verbinden nodig");
    }
    return {};
}

} // namespace

ModbusModule::ModbusModule(const ModbusSettings& settings, QObject* parent)
    : EasyPortControl(parent), m_settings(settings)
{
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    m_pollTimer.setInterval(m_settings.pollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &ModbusModule::poll);
    m_watchdogTimer.setInterval(kWatchdogTickMs);
    connect(&m_watchdogTimer, &QTimer::timeout, this, &ModbusModule::watchdog);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &ModbusModule::pumpWrites);
}

ModbusModule::~ModbusModule()
{
    // Nobody listens to the inputs any more; only the outputs matter now.
    m_pollTimer.stop();
    if (m_searchLoop) {
        // Deleted from within our own search: that frame must not touch us.
        *m_alive = false;
        m_searchLoop->quit();
    } else if (m_state == LinkState::Open) {
        flush(kExitBoundMs);
    } else if (m_mayHoldOutputs) {
        // The link broke earlier in this session and the module may still
        // hold outputs on: one bounded attempt to switch them off.
        finalAllOff(kExitBoundMs);
    }
    *m_alive = false;
    m_watchdogTimer.stop();
    dropClient(true);
    platform::messages().closeNonModal(aboutKey());
}

QModbusClient* ModbusModule::makeClient()
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

void ModbusModule::orphan(QModbusReply* reply)
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
void ModbusModule::dropClient(bool now)
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

// Ends the connection of a lost link at once. Qt's orderly close would
// still send what waits in the socket, so a word given just before the loss
// could reach the module after the loss was shown; the socket is reset
// instead (a serial client drops its queue on close). The client may be
// emitting the signal that brought us here, so it is deleted later.
void ModbusModule::abandonClient()
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
    if (auto* socket = client->findChild<QAbstractSocket*>())
        socket->abort();
    client->disconnectDevice();
    client->deleteLater();
}

qint16 ModbusModule::SearchAndConnect()
{
    if (m_state == LinkState::Open)
        return 1;
    if (m_state == LinkState::Searching)
        return 0;

    m_pollTimer.stop();
    m_watchdogTimer.stop();
    m_retryTimer.stop();
    dropClient(false);
    m_searchFailure.clear();
    if (!m_settings.usable()) {
        // Nothing is contacted: a guessed address might be someone else's
        // module.
        m_state = LinkState::Closed;
        m_searchFailure =
            QStringLiteral("Er is geen verbinding gezocht.\r%1").arg(m_settings.problem);
        qCWarning(lcDravik) << "Modbus module not searched: the [modbus] settings cannot be used";
        return 0;
    }
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
    // What went wrong: `failure` for the log, `reason` in Dutch for the pupil.
    QString failure;
    QString reason;
    const auto fail = [&](const QString& english, const QString& dutch) {
        failure = english;
        reason = dutch;
    };
    // The reply once it has finished without error; otherwise nothing and
    // the failure says why.
    const auto await = [&](QModbusReply* reply, const char* what) -> QModbusReply* {
        if (!reply) {
            fail(QStringLiteral("%1: %2").arg(QLatin1String(what), client->errorString()),
                 connectionReason(client->errorString()));
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
            fail(QStringLiteral("%1: no answer within the time limit").arg(QLatin1String(what)),
                 replyReason(nullptr));
        } else if (reply->error() != QModbusDevice::NoError) {
            fail(QStringLiteral("%1: %2").arg(QLatin1String(what), reply->errorString()),
                 replyReason(reply));
        } else {
            return reply;
        }
        orphan(reply);
        return nullptr;
    };

    // 1. The connection itself.
    if (!client->connectDevice()) {
        fail(client->errorString(), connectionReason(client->errorString()));
    } else if (client->state() != QModbusDevice::ConnectedState) {
        loop.exec();
        if (!stillSearching())
            return abandon();
        if (client->state() != QModbusDevice::ConnectedState) {
            if (deadline.isActive())
                fail(client->errorString(), connectionReason(client->errorString()));
            else
                fail(QStringLiteral("no connection within the time limit"),
                     QStringLiteral("binnen %1 s kwam geen verbinding tot stand")
                         .arg(QLocale(QLocale::Dutch).toString(kSearchBoundMs / 1000.0)));
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
                fail(QStringLiteral("input read: short answer"),
                     QStringLiteral("de module gaf een onvolledig antwoord op het lezen van de "
                                    "ingangen"));
            orphan(reply);
        }
    }

    // 3. ...and takes the all-off word. A connect never switches anything
    // on: whatever was given before or during the search is dropped.
    bool written = false;
    if (failure.isEmpty()) {
        QModbusReply* reply =
            await(client->sendWriteRequest(coilUnit(m_settings.firstCoil, 0), m_settings.unitId),
                  "output write");
        if (!stillSearching())
            return abandon();
        if (reply) {
            written = true;
            orphan(reply);
        }
    }

    m_searchLoop = nullptr;
    if (!failure.isEmpty() || !inputs || !written) {
        qCWarning(lcDravik).noquote() << QStringLiteral("Modbus module not found (%1): %2")
                                             .arg(m_settings.describe(), failure);
        m_searchFailure =
            QStringLiteral("Geprobeerd: %1.\rReden: %2.")
                .arg(m_settings.describe(), reason.isEmpty() ? QStringLiteral("onbekend") : reason);
        m_state = LinkState::Closed;
        dropClient(false);
        return 0;
    }
    m_lastWord = 0;
    openLink(*inputs);
    return 1;
}

QString ModbusModule::connectionReason(const QString& errorText) const
{
    const QString detail = errorText.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(errorText);
    if (m_settings.transport == ModbusSettings::Transport::Rtu) {
        return QStringLiteral("de seriële poort %1 kan niet worden geopend%2")
            .arg(m_settings.serialDevice, detail);
    }
    if (errorText.contains(QLatin1String("refused"), Qt::CaseInsensitive)) {
        return QStringLiteral("de verbinding werd geweigerd: op %1 luistert niets op poort %2")
            .arg(m_settings.host)
            .arg(m_settings.port);
    }
    if (errorText.contains(QLatin1String("not found"), Qt::CaseInsensitive))
        return QStringLiteral("het adres %1 is niet gevonden").arg(m_settings.host);
    return QStringLiteral("de verbinding kwam niet tot stand%1").arg(detail);
}

QString ModbusModule::replyReason(const QModbusReply* reply) const
{
    const QString silent =
        QStringLiteral("de module gaf geen antwoord binnen %1 ms").arg(m_settings.timeoutMs);
    if (!reply)
        return silent;
    switch (reply->error()) {
    case QModbusDevice::ProtocolError:
        if (const std::optional<int> code = exceptionCode(*reply)) {
            return QStringLiteral("de module antwoordde met uitzonderingscode %1 (%2)")
                .arg(*code)
                .arg(exceptionMeaning(*code));
        }
        return QStringLiteral("de module gaf een antwoord dat niet bij de vraag past");
    case QModbusDevice::TimeoutError:
        return silent;
    case QModbusDevice::ConnectionError:
    case QModbusDevice::ReplyAbortedError:
        return QStringLiteral("de verbinding werd verbroken");
    default:
        return QStringLiteral("fout bij het antwoord (%1)").arg(reply->errorString());
    }
}

void ModbusModule::openLink(quint8 inputs)
{
    m_state = LinkState::Open;
    m_mayHoldOutputs = false;
    m_unanswered = 0;
    m_writeRetried = false;
    m_inputs = inputs;
    m_confirmedWord = 0;
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
}

void ModbusModule::linkLost(const QString& reason)
{
    if (m_state != LinkState::Open)
        return;
    m_state = LinkState::Lost;
    // The module may still hold outputs on; the way out tries once more.
    m_mayHoldOutputs = true;
    m_pollTimer.stop();
    m_watchdogTimer.stop();
    m_retryTimer.stop();
    qCWarning(lcDravik).noquote()
        << QStringLiteral("Modbus link lost (%1): %2; outputs are no longer written until the "
                          "next connect")
               .arg(m_settings.describe(), reason);
    abandonClient();
    // Told from the event loop, not from inside the client's signal: the
    // listener may open a dialog.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, reason] {
        if (m_state == LinkState::Lost && m_generation == generation)
            emit LinkLost(reason);
    });
}

qint16 ModbusModule::GetComPort(qint16 index)
{
    return index == 0 ? qint16(m_settings.comPort) : qint16(0);
}

qint16 ModbusModule::GetModuleNumber(qint16 index)
{
    return index == 0 ? qint16(m_settings.moduleNumber) : qint16(0);
}

void ModbusModule::Disconnect()
{
    // Words already given still reach the module; the outputs stay as they
    // are after that.
    if (m_state == LinkState::Open)
        flush(kDisconnectFlushMs);
    m_state = LinkState::Closed;
    m_mayHoldOutputs = false;
    m_pollTimer.stop();
    m_watchdogTimer.stop();
    m_retryTimer.stop();
    if (m_searchLoop)
        m_searchLoop->quit();
    dropClient(false);
}

void ModbusModule::WriteOutputs(qint16 word)
{
    m_lastWord = quint8(word & 0xFF);
    if (m_state != LinkState::Open)
        return;
    if (m_writeQueue.size() >= kMaxQueuedWords)
        m_writeQueue.removeFirst();
    m_writeQueue.append(m_lastWord);
    pumpWrites();
}

void ModbusModule::pumpWrites()
{
    if (m_state != LinkState::Open || m_writeReply || m_retryTimer.isActive() ||
        m_writeQueue.isEmpty())
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

void ModbusModule::onWriteFinished(QModbusReply* reply)
{
    if (reply != m_writeReply) {
        orphan(reply);
        return;
    }
    m_writeReply = nullptr;
    const auto error = reply->error();
    const QString errorText = reply->errorString();
    const bool exception = exceptionCode(*reply).has_value();
    orphan(reply);
    if (error == QModbusDevice::NoError) {
        m_unanswered = 0;
        m_writeRetried = false;
        m_confirmedWord = m_writeWord;
        pumpWrites();
        return;
    }
    if (exception) {
        // The module answered but refused: one more try after a pause; a
        // module that refuses twice does not do what the screen shows.
        m_unanswered = 0;
        if (m_writeRetried) {
            linkLost(QStringLiteral("write refused twice: ") + errorText);
            return;
        }
        m_writeRetried = true;
        retryWrite();
        return;
    }
    noteUnanswered(QStringLiteral("write: ") + errorText, error);
    if (m_state == LinkState::Open)
        retryWrite();
}

// Sends the same word again after about one poll period, unless a newer
// word already waits (that one goes out then instead).
void ModbusModule::retryWrite()
{
    if (m_writeQueue.isEmpty())
        m_writeQueue.append(m_writeWord);
    m_retryTimer.start(m_settings.pollMs);
}

void ModbusModule::poll()
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

void ModbusModule::onReadFinished(QModbusReply* reply)
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
        // A short or foreign answer counts as none; the next poll tries again.
        noteUnanswered(QStringLiteral("read: ") + (error == QModbusDevice::NoError
                                                       ? QStringLiteral("short answer")
                                                       : errorText),
                       error);
        return;
    }
    m_unanswered = 0;
    if (*word != m_inputs) {
        m_inputs = *word;
        emit InputsChanged(0, 0, m_inputs);
    }
}

void ModbusModule::noteUnanswered(const QString& what, int error)
{
    if (error == QModbusDevice::ConnectionError ||
        (m_client && m_client->state() != QModbusDevice::ConnectedState)) {
        linkLost(what);
        return;
    }
    if (++m_unanswered >= kFailuresToLoseLink)
        linkLost(QStringLiteral("%1 requests in a row without an answer, last %2")
                     .arg(m_unanswered)
                     .arg(what));
}

void ModbusModule::watchdog()
{
    const qint64 limit = m_settings.timeoutMs + kWatchdogGraceMs;
    if (m_readReply && m_readSince.elapsed() > limit) {
        orphan(m_readReply);
        m_readReply = nullptr;
        noteUnanswered(QStringLiteral("read: no reply"), QModbusDevice::TimeoutError);
    }
    if (m_state == LinkState::Open && m_writeReply && m_writeSince.elapsed() > limit) {
        orphan(m_writeReply);
        m_writeReply = nullptr;
        noteUnanswered(QStringLiteral("write: no reply"), QModbusDevice::TimeoutError);
        if (m_state == LinkState::Open)
            retryWrite();
    }
}

bool ModbusModule::lastWordConfirmed() const
{
    return !m_writeReply && m_writeQueue.isEmpty() && m_confirmedWord == m_lastWord;
}

bool ModbusModule::flush(int ms)
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

bool ModbusModule::switchOffAfterLoss(int ms)
{
    if (m_state != LinkState::Lost || m_searchLoop)
        return false;
    // Switched off by an earlier attempt since the loss.
    if (!m_mayHoldOutputs)
        return true;
    return finalAllOff(ms);
}

bool ModbusModule::finalAllOff(int ms)
{
    if (!QCoreApplication::instance())
        return false;
    dropClient(true);
    QModbusClient* client = makeClient();
    m_client = client;
    QElapsedTimer clock;
    clock.start();
    // As in flush(): a plain event loop returns at once after the
    // application was told to quit, so wait with a ticking processEvents.
    QTimer tick;
    tick.start(5);
    const auto waitFor = [&](const std::function<bool()>& done) {
        while (!done() && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return done();
    };
    bool off = false;
    if (client->connectDevice() && waitFor([client] {
            return client->state() == QModbusDevice::ConnectedState ||
                   client->state() == QModbusDevice::UnconnectedState;
        }) &&
        client->state() == QModbusDevice::ConnectedState) {
        if (QModbusReply* reply =
                client->sendWriteRequest(coilUnit(m_settings.firstCoil, 0), m_settings.unitId)) {
            waitFor([reply] { return reply->isFinished(); });
            off = reply->isFinished() && reply->error() == QModbusDevice::NoError;
            orphan(reply);
        }
    }
    qCWarning(lcDravik).noquote()
        << (off ? QStringLiteral("Modbus module reached again after the lost link: all outputs "
                                 "off")
                : QStringLiteral("Modbus module not reached again after the lost link (%1 ms); "
                                 "its own watchdog must switch the outputs off")
                      .arg(clock.elapsed()));
    m_mayHoldOutputs = !off;
    // The link stays closed: the module's connection is not kept busy.
    dropClient(false);
    return off;
}

QString ModbusModule::searchFailureText() const
{
    return m_searchFailure;
}

QString ModbusModule::peerDescription() const
{
    if (m_settings.transport == ModbusSettings::Transport::Tcp)
        return QStringLiteral("%1, poort %2").arg(m_settings.host).arg(m_settings.port);
    return QStringLiteral("%1, %2 baud").arg(m_settings.serialDevice).arg(m_settings.baudRate);
}

QString ModbusModule::aboutText() const
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

QString ModbusModule::aboutKey() const
{
    return QStringLiteral("modbus-about-%1").arg(quintptr(this));
}

void ModbusModule::AboutBox()
{
    // It blocks nothing; asked again, the open one shows the state of now.
    platform::messages().showNonModal(aboutKey(), {QStringLiteral("Over de interface"), aboutText(),
                                                   platform::MessageButtons::Ok,
                                                   platform::MessageIcon::Information});
}

} // namespace iface
