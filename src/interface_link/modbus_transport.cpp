#include "interface_link/modbus_transport.h"

#include <QAbstractSocket>
#include <QModbusDataUnit>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QModbusTcpClient>
#include <QVariant>
#include <optional>

namespace iface
{

namespace
{

constexpr int kWordBits = 8;

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

// Lets a reply go: it no longer reaches `owner` and deletes itself once done.
void orphan(QModbusReply* reply, const QObject* owner)
{
    if (!reply)
        return;
    QObject::disconnect(reply, nullptr, owner, nullptr);
    if (reply->isFinished())
        reply->deleteLater();
    else
        QObject::connect(reply, &QModbusReply::finished, reply, &QObject::deleteLater);
}

} // namespace

ModbusTransport::ModbusTransport(const ModbusSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings)
{
}

ModbusTransport::~ModbusTransport()
{
    close(true);
}

QModbusClient* ModbusTransport::makeClient()
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
    // Failed requests are counted by the link policy, not repeated by the
    // client, so that every request ends within one timeout.
    client->setNumberOfRetries(0);
    return client;
}

bool ModbusTransport::open()
{
    close();
    m_client = makeClient();
    QModbusClient* client = m_client;
    connect(client, &QModbusDevice::stateChanged, this, [this](QModbusDevice::State s) {
        if (s == QModbusDevice::ConnectedState) {
            if (onConnected)
                onConnected();
        } else if (s != QModbusDevice::ConnectingState && onDown) {
            onDown(QStringLiteral("connection closed"), s == QModbusDevice::UnconnectedState);
        }
    });
    connect(client, &QModbusDevice::errorOccurred, this, [this, client](QModbusDevice::Error) {
        if (client->state() != QModbusDevice::ConnectedState && onDown)
            onDown(client->errorString(), client->state() == QModbusDevice::UnconnectedState);
    });
    return client->connectDevice();
}

bool ModbusTransport::isConnected() const
{
    return m_client && m_client->state() == QModbusDevice::ConnectedState;
}

bool ModbusTransport::isClosed() const
{
    return !m_client || m_client->state() == QModbusDevice::UnconnectedState;
}

bool ModbusTransport::sendRead()
{
    if (!m_client)
        return false;
    QModbusReply* reply = m_client->sendReadRequest(
        QModbusDataUnit(QModbusDataUnit::DiscreteInputs, m_settings.firstInput, kWordBits),
        m_settings.unitId);
    if (!reply)
        return false;
    forget(m_read);
    m_read = reply;
    deliver(reply, true);
    return true;
}

bool ModbusTransport::sendWrite(quint8 word)
{
    if (!m_client)
        return false;
    QModbusReply* reply =
        m_client->sendWriteRequest(coilUnit(m_settings.firstCoil, word), m_settings.unitId);
    if (!reply)
        return false;
    forget(m_write);
    m_write = reply;
    deliver(reply, false);
    return true;
}

// Hands the answer on once the reply has finished, from the event loop
// when it finished already; a reply forgotten meanwhile is not handed on.
void ModbusTransport::deliver(QModbusReply* reply, bool read)
{
    QPointer<QModbusReply> guard = reply;
    const auto done = [this, guard, read] {
        QPointer<QModbusReply>& slot = read ? m_read : m_write;
        if (!guard || slot != guard)
            return;
        QModbusReply* finished = guard;
        slot = nullptr;
        const LinkAnswer answer = answerOf(*finished, read);
        orphan(finished, this);
        const auto& handler = read ? onRead : onWrite;
        if (handler)
            handler(answer);
    };
    if (reply->isFinished())
        QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
    else
        connect(reply, &QModbusReply::finished, this, done);
}

LinkAnswer ModbusTransport::answerOf(const QModbusReply& reply, bool read) const
{
    LinkAnswer answer;
    if (reply.error() == QModbusDevice::NoError) {
        if (!read)
            return answer;
        if (const std::optional<quint8> word = inputWord(reply.result())) {
            answer.word = *word;
            return answer;
        }
        // A short or foreign answer counts as none.
        answer.kind = LinkAnswer::Missing;
        answer.error = QStringLiteral("short answer");
        answer.reason =
            QStringLiteral("de module gaf een onvolledig antwoord op het lezen van de ingangen");
        return answer;
    }
    answer.error = reply.errorString();
    answer.reason = replyReason(reply);
    if (exceptionCode(reply))
        answer.kind = LinkAnswer::Refused;
    else if (reply.error() == QModbusDevice::ConnectionError)
        answer.kind = LinkAnswer::Broken;
    else
        answer.kind = LinkAnswer::Missing;
    return answer;
}

void ModbusTransport::forget(QPointer<QModbusReply>& slot)
{
    QModbusReply* reply = slot;
    slot = nullptr;
    orphan(reply, this);
}

void ModbusTransport::forgetRead()
{
    forget(m_read);
}

void ModbusTransport::forgetWrite()
{
    forget(m_write);
}

void ModbusTransport::release(bool abort, bool now)
{
    forget(m_read);
    forget(m_write);
    if (!m_client)
        return;
    QModbusClient* client = m_client;
    m_client = nullptr;
    disconnect(client, nullptr, this, nullptr);
    if (abort) {
        if (auto* socket = client->findChild<QAbstractSocket*>())
            socket->abort();
    }
    client->disconnectDevice();
    // The client may be emitting the signal that brought us here.
    if (now)
        delete client;
    else
        client->deleteLater();
}

void ModbusTransport::close(bool now)
{
    release(false, now);
}

void ModbusTransport::abandon()
{
    release(true, false);
}

LinkFailure ModbusTransport::connectionFailure() const
{
    const QString error = m_client ? m_client->errorString() : QString();
    return {error, connectionReason(error)};
}

QString ModbusTransport::connectionReason(const QString& errorText) const
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

QString ModbusTransport::replyReason(const QModbusReply& reply) const
{
    switch (reply.error()) {
    case QModbusDevice::ProtocolError:
        if (const std::optional<int> code = exceptionCode(reply)) {
            return QStringLiteral("de module antwoordde met uitzonderingscode %1 (%2)")
                .arg(*code)
                .arg(exceptionMeaning(*code));
        }
        return QStringLiteral("de module gaf een antwoord dat niet bij de vraag past");
    case QModbusDevice::TimeoutError:
        return QStringLiteral("de module gaf geen antwoord binnen %1 ms").arg(m_settings.timeoutMs);
    case QModbusDevice::ConnectionError:
    case QModbusDevice::ReplyAbortedError:
        return QStringLiteral("de verbinding werd verbroken");
    default:
        return QStringLiteral("fout bij het antwoord (%1)").arg(reply.errorString());
    }
}

} // namespace iface
