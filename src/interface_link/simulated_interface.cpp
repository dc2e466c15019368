#include "interface_link/simulated_interface.h"

#include "interface_link/simulated_about.h"
#include "simulation/simulated_station.h"

#include <QDialog>
#include <QTimer>

namespace iface
{

namespace
{

// The interface's link, for the window that draws the station.
class Link final : public StationLink
{
  public:
    explicit Link(SimulatedInterface& port) : m_port(port)
    {
        connect(&port, &SimulatedInterface::connectionChanged, this,
                &StationLink::connectionChanged);
        connect(&port, &SimulatedInterface::virtualStationRequested, this,
                &StationLink::virtualStationRequested);
    }
    bool isConnected() const override { return m_port.isConnected(); }
    bool isCableOut() const override { return m_port.isCableOut(); }
    void pullCable() override { m_port.pullCable(); }

  private:
    SimulatedInterface& m_port;
};

} // namespace

SimulatedInterface::SimulatedInterface(const SimulatedSettings& settings,
                                       std::unique_ptr<sim::StationRunner> runner, QObject* parent)
    : EasyPortControl(parent), m_settings(settings),
      m_runner(runner ? std::move(runner) : std::make_unique<sim::SimulatedStation>()),
      m_link(std::make_unique<Link>(*this))
{
    // Any change of the station may change its inputs.
    connect(m_runner.get(), &sim::StationRunner::stateChanged, this,
            &SimulatedInterface::publishInputs);
}

SimulatedInterface::~SimulatedInterface()
{
    delete m_about.data();
}

qint16 SimulatedInterface::SearchAndConnect()
{
    const bool wasConnected = m_connected;
    m_cableOut = false;
    // Nothing is reported before the caller has finished connecting.
    m_connected = false;
    m_runner->setOutputs(0);
    m_connected = true;
    m_reported = -1;
    if (!wasConnected)
        emit connectionChanged(true);
    QMetaObject::invokeMethod(
        this, [this] { publishInputs(); }, Qt::QueuedConnection);
    return 1;
}

qint16 SimulatedInterface::GetComPort(qint16 index)
{
    return index == 0 ? m_settings.comPort : 0;
}

qint16 SimulatedInterface::GetModuleNumber(qint16 index)
{
    return index == 0 ? m_settings.model : 0;
}

void SimulatedInterface::Disconnect()
{
    m_cableOut = false;
    if (!m_connected)
        return;
    m_connected = false;
    m_reported = -1;
    m_runner->setOutputs(0);
    emit connectionChanged(false);
}

void SimulatedInterface::pullCable()
{
    if (!m_connected)
        return;
    // As a module behind a pulled cable: it keeps its outputs, and the
    // window hears of the loss after this call has returned.
    m_connected = false;
    m_cableOut = true;
    m_reported = -1;
    emit connectionChanged(false);
    QTimer::singleShot(0, this, [this] {
        if (m_cableOut)
            emit LinkLost(QStringLiteral("cable pulled in the virtual station"));
    });
}

void SimulatedInterface::WriteOutputs(qint16 word)
{
    if (!m_connected)
        return;
    m_runner->setOutputs(quint8(word & 0xFF));
}

void SimulatedInterface::publishInputs()
{
    if (!m_connected)
        return;
    const qint32 word = m_runner->inputs();
    if (word == m_reported)
        return;
    m_reported = word;
    emit InputsChanged(0, 0, word);
}

void SimulatedInterface::AboutBox()
{
    if (m_about) {
        m_about->show();
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    m_about = makeSimulatedAbout(m_settings, [this] { emit virtualStationRequested(); });
    m_about->show();
}

} // namespace iface
