#include "interface_link/simulated_interface.h"
#include "platform/services.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <optional>

namespace iface
{

namespace
{

QString modelName(qint16 model)
{
    switch (model) {
    case 1:
        return QStringLiteral("EasyPort D16");
    case 2:
        return QStringLiteral("EasyPort D8A");
    case 5:
        return QStringLiteral("EasyPort Mini");
    }
    return QString::number(model);
}

// Longest stretch of time that one tick makes up for (after the machine
// has been suspended, say).
constexpr qint64 MaxCatchUpMs = 1000;

} // namespace

SimulatedInterface::SimulatedInterface(const SimulatedSettings& settings, QObject* parent)
    : EasyPortControl(parent), m_settings(settings)
{
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &SimulatedInterface::tick);
}

SimulatedInterface::~SimulatedInterface()
{
    delete m_about.data();
}

qint16 SimulatedInterface::SearchAndConnect()
{
    const bool wasConnected = m_connected;
    m_connected = true;
    m_cableOut = false;
    m_reported = -1;
    m_sim.setOutputs(0);
    if (m_sim.isMoving() && !m_timer.isActive()) {
        m_clock.start();
        m_timer.start();
    }
    emit stateChanged();
    if (!wasConnected)
        emit connectionChanged(true);
    // The first report comes once the caller has finished connecting.
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
    m_sim.setOutputs(0);
    afterChange();
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
    emit stateChanged();
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
    m_sim.setOutputs(quint8(word & 0xFF));
    afterChange();
}

void SimulatedInterface::setStation(station::Station inView)
{
    const station::Station before = m_sim.station();
    m_sim.setStation(inView);
    if (m_sim.station() != before)
        afterChange();
}

void SimulatedInterface::setInputForce(int input, sim::Force force)
{
    if (input < 0 || input >= sim::Simulation::InputCount || m_sim.force(input) == force)
        return;
    m_sim.setForce(input, force);
    afterChange();
}

bool SimulatedInterface::placePart(bool metal)
{
    if (!m_sim.placePart(metal))
        return false;
    afterChange();
    return true;
}

bool SimulatedInterface::refillMagazine()
{
    if (!m_sim.refillMagazine())
        return false;
    afterChange();
    return true;
}

void SimulatedInterface::tick()
{
    const qint64 elapsed = std::clamp<qint64>(m_clock.restart(), 0, MaxCatchUpMs);
    m_sim.step(int(elapsed));
    if (!m_sim.isMoving())
        m_timer.stop();
    emit stateChanged();
    publishInputs();
}

void SimulatedInterface::afterChange()
{
    if (m_sim.isMoving() && !m_timer.isActive()) {
        m_clock.start();
        m_timer.start();
    }
    emit stateChanged();
    publishInputs();
}

void SimulatedInterface::publishInputs()
{
    if (!m_connected)
        return;
    const qint32 word = m_sim.inputs();
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
    auto* box = new QDialog;
    box->setObjectName(QStringLiteral("SimulatedAbout"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowTitle(QStringLiteral("Over de gesimuleerde interface"));

    auto* layout = new QVBoxLayout(box);
    auto* title = new QLabel(QStringLiteral("<b>Gesimuleerde interface</b>"), box);
    auto* version = new QLabel(QStringLiteral("Versie %1.%2.%3")
                                   .arg(DRAVIK_VERSION_MAJOR)
                                   .arg(DRAVIK_VERSION_MINOR)
                                   .arg(DRAVIK_VERSION_PATCH),
                               box);
    auto* text = new QLabel(
        QStringLiteral("Deze interface bestaat alleen in de computer. Hij speelt het station na "
                       "dat in het venster staat: de uitgangen bewegen de cilinders en de band, "
                       "de ingangen volgen de eindschakelaars en sensoren."),
        box);
    text->setWordWrap(true);
    auto* identity = new QLabel(QStringLiteral("Meldt zich als %1 op COM-poort %2.")
                                    .arg(modelName(m_settings.model))
                                    .arg(m_settings.comPort),
                                box);
    auto* buttons = new QDialogButtonBox(box);
    QPushButton* show = buttons->addButton(QStringLiteral("Toon virtuele opstelling"),
                                           QDialogButtonBox::ActionRole);
    show->setObjectName(QStringLiteral("ToonVirtueleOpstelling"));
    connect(show, &QPushButton::clicked, this, &SimulatedInterface::virtualStationRequested);
    buttons->addButton(QStringLiteral("Sluiten"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::close);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(text);
    layout->addWidget(identity);
    layout->addWidget(buttons);

    m_about = box;
    box->show();
}

} // namespace iface
