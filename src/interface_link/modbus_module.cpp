#include "interface_link/modbus_module.h"
#include "interface_link/bounded_wait.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QtDebug>
#include <utility>

namespace iface
{

namespace
{

constexpr int kWordBits = 8;

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

ModbusModule::ModbusModule(const ModbusSettings& settings, QObject* parent, platform::Clock* clock)
    : EasyPortControl(parent), m_settings(settings),
      m_ownClock(clock ? nullptr : std::make_unique<platform::TimerClock>()),
      m_clock(clock ? *clock : *m_ownClock), m_transport(new ModbusTransport(m_settings, this)),
      m_policy(m_clock, *this, m_settings.pollMs, m_settings.timeoutMs)
{
    m_clock.setWakeHandler([this] { m_policy.wake(); });
    m_transport->onConnected = [this] { m_policy.connected(); };
    m_transport->onDown = [this](const QString& reason, bool gone) {
        m_policy.linkDown(reason, gone);
    };
    m_transport->onRead = [this](const LinkAnswer& a) { m_policy.readAnswered(a); };
    m_transport->onWrite = [this](const LinkAnswer& a) { m_policy.writeAnswered(a); };
}

ModbusModule::~ModbusModule()
{
    // Nobody listens to the inputs any more; only the outputs matter now.
    m_policy.stopReading();
    // Deleted from within our own search: that frame only notes it.
    if (!m_searching) {
        if (m_policy.state() == LinkState::Open) {
            flush(kExitBoundMs);
        } else if (m_policy.mayHoldOutputs()) {
            // The link broke earlier in this session and the module may
            // still hold outputs on: one bounded attempt to switch them off.
            finalAllOff(kExitBoundMs);
        }
    }
    m_clock.cancel();
    m_clock.setWakeHandler(nullptr);
    m_transport->onConnected = nullptr;
    m_transport->onDown = nullptr;
    m_transport->onRead = nullptr;
    m_transport->onWrite = nullptr;
    m_transport->close(true);
    platform::messages().closeNonModal(aboutKey());
}

qint16 ModbusModule::SearchAndConnect()
{
    if (m_policy.state() == LinkState::Open)
        return 1;
    if (m_policy.state() == LinkState::Searching)
        return 0;
    m_searchFailure.clear();
    if (!m_settings.usable()) {
        // Nothing is contacted: a guessed address might be someone else's
        // module.
        m_searchFailure =
            QStringLiteral("Er is geen verbinding gezocht.\r%1").arg(m_settings.problem);
        qCWarning(lcDravik) << "Modbus module not searched: the [modbus] settings cannot be used";
        return 0;
    }
    const QPointer<ModbusModule> alive = this;
    m_searching = true;
    m_policy.search();
    // Disconnect or deletion meanwhile ends the search.
    waitUntil(this, kSearchBoundMs, [this] { return m_policy.state() != LinkState::Searching; });
    if (!alive)
        return 0;
    m_searching = false;
    m_policy.giveUpSearch();
    m_policy.searchReturned();
    if (m_policy.state() == LinkState::Open)
        return 1;
    if (const std::optional<LinkFailure>& failure = m_policy.searchFailure()) {
        qCWarning(lcDravik).noquote() << QStringLiteral("Modbus module not found (%1): %2")
                                             .arg(m_settings.describe(), failure->english);
        m_searchFailure =
            QStringLiteral("Geprobeerd: %1.\rReden: %2.")
                .arg(m_settings.describe(),
                     failure->dutch.isEmpty() ? QStringLiteral("onbekend") : failure->dutch);
    }
    return 0;
}

bool ModbusModule::openConnection()
{
    return m_transport->open();
}

bool ModbusModule::sendRead()
{
    return m_transport->sendRead();
}

bool ModbusModule::sendWrite(quint8 word)
{
    return m_transport->sendWrite(word);
}

void ModbusModule::forgetRead()
{
    m_transport->forgetRead();
}

void ModbusModule::forgetWrite()
{
    m_transport->forgetWrite();
}

void ModbusModule::closeConnection()
{
    m_transport->close();
}

void ModbusModule::abandonConnection()
{
    m_transport->abandon();
}

bool ModbusModule::connectionUp() const
{
    return m_transport->isConnected();
}

LinkFailure ModbusModule::connectionFailure() const
{
    return m_transport->connectionFailure();
}

void ModbusModule::inputsChanged(quint8 word)
{
    emit InputsChanged(0, 0, word);
}

void ModbusModule::linkLost(const QString& reason)
{
    qCWarning(lcDravik).noquote()
        << QStringLiteral("Modbus link lost (%1): %2; outputs are no longer written until the "
                          "next connect")
               .arg(m_settings.describe(), reason);
}

void ModbusModule::tellLinkLost(const QString& reason)
{
    // From the clock's wake-up, not from inside the client's signal: the
    // listener may open a dialog.
    emit LinkLost(reason);
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
    if (m_policy.state() == LinkState::Open)
        flush(kDisconnectFlushMs);
    m_policy.close();
}

void ModbusModule::WriteOutputs(qint16 word)
{
    m_policy.write(quint8(word & 0xFF));
}

bool ModbusModule::flush(int ms)
{
    const auto confirmed = [this] {
        return m_policy.state() == LinkState::Open && m_policy.lastWordConfirmed();
    };
    if (m_policy.state() != LinkState::Open)
        return false;
    const QPointer<ModbusModule> alive = this;
    waitUntil(this, ms,
              [this, &confirmed] { return m_policy.state() != LinkState::Open || confirmed(); });
    return alive && confirmed();
}

bool ModbusModule::switchOffAfterLoss(int ms)
{
    if (m_policy.state() != LinkState::Lost || m_searching)
        return false;
    // Switched off by an earlier attempt since the loss.
    if (!m_policy.mayHoldOutputs())
        return true;
    return finalAllOff(ms);
}

// A fresh connection, the all-off word, and the link closed again: the
// module's connection is not kept busy.
bool ModbusModule::finalAllOff(int ms)
{
    if (!QCoreApplication::instance())
        return false;
    const QPointer<ModbusModule> alive = this;
    m_transport->close(true);
    QElapsedTimer clock;
    clock.start();
    std::optional<LinkAnswer> answer;
    auto toPolicy =
        std::exchange(m_transport->onWrite, [&answer](const LinkAnswer& a) { answer = a; });
    bool off = false;
    if (m_transport->open() &&
        waitUntil(this, ms,
                  [this] { return m_transport->isConnected() || m_transport->isClosed(); }) &&
        m_transport->isConnected() && m_transport->sendWrite(0)) {
        waitUntil(this, int(ms - clock.elapsed()), [&answer] { return answer.has_value(); });
        off = answer && answer->kind == LinkAnswer::Ok;
    }
    if (!alive)
        return false;
    m_transport->onWrite = std::move(toPolicy);
    qCWarning(lcDravik).noquote()
        << (off ? QStringLiteral("Modbus module reached again after the lost link: all outputs "
                                 "off")
                : QStringLiteral("Modbus module not reached again after the lost link (%1 ms); "
                                 "its own watchdog must switch the outputs off")
                      .arg(clock.elapsed()));
    m_policy.switchOffAttempted(off);
    m_transport->close();
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
        .arg(stateText(m_policy.state()));
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
