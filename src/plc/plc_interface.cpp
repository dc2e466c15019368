#include "plc/plc_interface.h"

#include "platform/services.h"
#include "plc/plc_server.h"
#include "plc/station_adapter.h"

namespace plc
{

PlcDriven::PlcDriven(PlcInterface& plc) : iface::DrivenElsewhere(&plc), m_plc(plc) {}

QString PlcDriven::outputsRefusal() const
{
    return m_plc.outputsRefusal();
}

QString PlcDriven::drivenBy() const
{
    return m_plc.drivenBy();
}

void PlcDriven::emergencyStop()
{
    m_plc.emergencyStop();
}

void PlcDriven::releaseHold()
{
    m_plc.releaseHold();
}

bool PlcDriven::isHeld() const
{
    return m_plc.isHeld();
}

bool PlcDriven::isWaitingForAllOff() const
{
    return m_plc.isWaitingForAllOff();
}

QString PlcDriven::statusText() const
{
    return m_plc.statusText();
}

PlcInterface::PlcInterface(const PlcSettings& settings, const iface::SimulatedSettings& simulated,
                           WakeClock* clock, std::unique_ptr<sim::StationRunner> station,
                           QObject* parent)
    : iface::EasyPortControl(parent), m_settings(settings),
      m_station(std::make_unique<StationAdapter>(simulated, std::move(station))),
      m_driven(new PlcDriven(*this))
{
    if (!clock) {
        m_ownClock = std::make_unique<TimerClock>();
        clock = m_ownClock.get();
    }
    m_server = std::make_unique<PlcServer>(settings, *clock, [this] { return plcInputs(); });
    connect(m_server.get(), &PlcServer::outputsChanged, this, &PlcInterface::onOutputs);
    connect(m_server.get(), &PlcServer::ownershipEvent, this, &PlcInterface::onEvent);
    connect(m_server.get(), &PlcServer::connectionRefused, this,
            [this](const QHostAddress& peer, const QString& why) {
                setStatus(
                    QStringLiteral("Verbinding van %1 gesloten: %2").arg(peer.toString(), why));
            });
    connect(m_station.get(), &StationAdapter::inputsChanged, this, [this](quint8 word) {
        if (m_connected)
            emit InputsChanged(0, 0, word);
    });
    connect(m_station.get(), &StationAdapter::cablePulled, this, [this] {
        if (!m_connected)
            return;
        Disconnect();
        emit LinkLost(QStringLiteral("cable pulled in the virtual station"));
    });
    m_status = QStringLiteral("Niet verbonden: er luistert niets naar een PLC");
}

quint8 PlcInterface::plcInputs() const
{
    // The PLC reads the inputs as the pupil's program does: with the
    // teacher's hidden faults.
    return quint8(iface::withFaults(m_station->inputs(), m_faults));
}

void PlcInterface::setHiddenFaults(const iface::InputFaults& faults)
{
    m_faults = iface::InputFaults::of(faults.open, faults.shorted);
}

PlcInterface::~PlcInterface()
{
    // The server goes first: its last word (all off) still reaches the station.
    m_server.reset();
}

qint16 PlcInterface::SearchAndConnect()
{
    if (m_connected)
        return 1;
    m_failure.clear();
    if (!m_settings.usable()) {
        m_failure =
            QStringLiteral("Er wordt niet naar PLC's geluisterd.\r%1").arg(m_settings.problem);
        return 0;
    }
    m_server->ownership().switchOff();
    if (!m_server->start()) {
        m_failure = m_server->startFailure();
        return 0;
    }
    m_connected = true;
    m_station->open();
    setStatus(waitingText(), true);
    updateWaiting();
    return 1;
}

qint16 PlcInterface::GetComPort(qint16 index)
{
    return index == 0 ? qint16(qBound(0, m_settings.port, 32767)) : 0;
}

qint16 PlcInterface::GetModuleNumber(qint16 index)
{
    return index == 0 ? Model : 0;
}

void PlcInterface::Disconnect()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_server->stop();
    m_station->close();
    setStatus(withHold(QStringLiteral("Niet verbonden: er luistert niets naar een PLC")), true);
    updateWaiting();
}

void PlcInterface::WriteOutputs(qint16 word)
{
    if (!m_connected)
        return;
    m_pupilWriting = true;
    // Switching everything off is always allowed; anything else only while
    // no PLC owns the outputs and no hold is on.
    if ((word & 0xFF) == 0)
        m_server->ownership().switchOff();
    else
        m_server->ownership().pupilWrite(quint8(word & 0xFF));
    m_pupilWriting = false;
}

QString PlcInterface::outputsRefusal() const
{
    const Ownership& own = m_server->ownership();
    return m_connected && own.hasOwner() ? QStringLiteral("De PLC bestuurt de uitgangen.")
                                         : QString();
}

QString PlcInterface::drivenBy() const
{
    const Ownership& own = m_server->ownership();
    return own.hasOwner() ? own.owner().toString() : QString();
}

void PlcInterface::emergencyStop()
{
    if (m_connected)
        m_server->ownership().setHold(true);
}

void PlcInterface::releaseHold()
{
    m_server->ownership().setHold(false);
}

bool PlcInterface::isHeld() const
{
    return m_server->ownership().isHeld();
}

bool PlcInterface::isWaitingForAllOff() const
{
    const Ownership& own = m_server->ownership();
    return m_connected && !own.isHeld() && own.awaitsAllOff();
}

void PlcInterface::updateWaiting()
{
    const bool waiting = isWaitingForAllOff();
    if (waiting == m_waitingForAllOff)
        return;
    m_waitingForAllOff = waiting;
    emit m_driven->waitingForAllOffChanged(waiting);
}

void PlcInterface::AboutBox()
{
    m_station->showAbout();
}

QString PlcInterface::searchFailureText() const
{
    return m_failure;
}

QString PlcInterface::peerDescription() const
{
    return QStringLiteral("PLC-station op %1, poort %2")
        .arg(m_settings.listen.toString())
        .arg(m_settings.port);
}

sim::StationRunner* PlcInterface::stationRunner() const
{
    return m_station->station();
}

iface::StationLink* PlcInterface::stationLink() const
{
    return m_station->link();
}

QString PlcInterface::waitingText() const
{
    return withHold(QStringLiteral("Wacht op een PLC op poort %1").arg(m_settings.port));
}

QString PlcInterface::withHold(const QString& text) const
{
    // The hold outlives the PLCs and the connection; the line must not hide it.
    return isHeld() ? text + QStringLiteral(" (Noodstop: alle uitgangen blijven uit)") : text;
}

void PlcInterface::onOutputs(quint8 word)
{
    m_station->setOutputs(word);
    // The pupil's own words are on screen already.
    if (m_pupilWriting)
        return;
    emit m_driven->outputsDriven(word);
    // After a refusal or a released hold, the owner's next change shows it drives again.
    const Ownership& own = m_server->ownership();
    if (own.hasOwner())
        setStatus(QStringLiteral("PLC %1 bestuurt de uitgangen").arg(own.owner().toString()));
}

void PlcInterface::onEvent(const Ownership::Event& e)
{
    using E = Ownership::Event;
    const QString peer = e.peer.toString();
    const QString awaitingText = QStringLiteral("Wacht tot de PLC alle uitgangen uitzet");
    switch (e.kind) {
    case E::Waiting:
        if (m_connected)
            setStatus(waitingText(), true);
        break;
    case E::TookOver:
        qCInfo(lcDravik).noquote() << "PLC" << peer << "owns the outputs";
        setStatus(QStringLiteral("PLC %1 bestuurt de uitgangen").arg(peer));
        break;
    case E::OwnerSilent:
    case E::OwnerClosed:
        qCWarning(lcDravik).noquote()
            << "PLC" << peer
            << (e.kind == E::OwnerSilent ? "went silent" : "closed its last connection")
            << "; all outputs off";
        if (m_connected)
            setStatus(QStringLiteral("PLC stil: alle uitgangen uit"));
        break;
    case E::RefusedBusy:
        setStatus(QStringLiteral("PLC %1 geweigerd: PLC %2 bestuurt de uitgangen")
                      .arg(peer, e.owner.toString()));
        break;
    case E::RefusedHeld:
        setStatus(
            QStringLiteral("PLC %1 geweigerd: de Noodstop houdt alle uitgangen uit").arg(peer),
            true);
        break;
    case E::RefusedNotOff:
        // Logged once per wait, not for every write of a cyclic PLC.
        if (m_status != awaitingText)
            qCInfo(lcDravik).noquote()
                << "PLC" << peer << "refused: not every output written off yet";
        setStatus(awaitingText);
        break;
    case E::AllOff:
        qCInfo(lcDravik).noquote() << "PLC" << peer << "wrote every output off";
        setStatus(QStringLiteral("PLC %1 bestuurt de uitgangen").arg(peer));
        break;
    case E::HoldOn:
        setStatus(QStringLiteral("Noodstop: alle uitgangen blijven uit tot \"Noodstop "
                                 "opheffen\""),
                  true);
        emit m_driven->holdChanged(true);
        break;
    case E::HoldReleased:
        // Nothing switches on until a PLC writes every output off.
        if (!m_connected)
            setStatus(QStringLiteral("Niet verbonden: er luistert niets naar een PLC"));
        else
            setStatus(m_server->ownership().connectionCount() > 0 ? awaitingText : waitingText());
        emit m_driven->holdChanged(false);
        break;
    }
    updateWaiting();
}

void PlcInterface::setStatus(const QString& text, bool aboutHold)
{
    if (text == m_status || (isHeld() && !aboutHold))
        return;
    m_status = text;
    emit m_driven->statusChanged(text);
}

} // namespace plc
