#include "interface_link/connection_panel.h"

#include "controls/controls.h"
#include "controls/palette.h"
#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "interface_link/interface_model.h"
#include "platform/ending.h"
#include "platform/services.h"

namespace
{

constexpr ctl::OleColor kStatusGrey = 8421504;
constexpr ctl::OleColor kWhite = 16777215;
constexpr ctl::OleColor kBlack = 0;

} // namespace

ConnectionPanel::ConnectionPanel(const Controls& controls, iface::EasyPortControl* port,
                                 ctl::OleColor connectedColour,
                                 std::shared_ptr<const platform::Ending> ending, QObject* parent)
    : QObject(parent), m_c(controls), m_port(port), m_connectedColour(connectedColour),
      m_ending(std::move(ending))
{
    connect(m_c.connect, &QAbstractButton::clicked, this, &ConnectionPanel::toggle);
    connect(m_c.version, &QAbstractButton::clicked, this, [this] { m_port->AboutBox(); });
    connect(m_c.interfaceFrame, &ctl::Frame::MouseUp, this, [this] { m_port->AboutBox(); });
    connect(m_port, &iface::EasyPortControl::InputsChanged, this,
            [this](int, int, qint32 inputs) { onInputs(inputs); });
    connect(m_port, &iface::EasyPortControl::LinkLost, this, &ConnectionPanel::onLinkLost);
}

void ConnectionPanel::toggle()
{
    // A search can take a while and keeps the event loop running; a second
    // click in that time must do nothing.
    if (m_ReageerNiet != 0)
        return;
    m_ReageerNiet = -1;
    if (m_Verbonden == -1) {
        // Whatever runs on the outputs ends while they can still be written.
        emit connectionEnding(QStringLiteral("de verbinding is verbroken met \"Verbreek\"."));
        showDisconnected(QStringLiteral("Niet verbonden"));
        m_port->Disconnect();
    } else if (m_Verbonden == 0) {
        m_c.connect->setCaption(QStringLiteral("Zoeken..."));
        m_c.connect->repaint();
        const qint16 found = m_port->SearchAndConnect();
        if (m_ending->isStarted()) {
            // The program was left during the search.
            m_ReageerNiet = 0;
            return;
        }
        if (found == 0) {
            platform::messages().show(
                m_c.boxParent, {QString(), iface::notFoundMessage(m_port->searchFailureText()),
                                platform::MessageButtons::Ok, platform::MessageIcon::None});
            m_c.connect->setCaption(QStringLiteral("Zoek en verbind"));
        } else {
            platform::playSound(QStringLiteral("Verbonden.wav"));
            m_ComPoort = m_port->GetComPort(0);
            m_c.comPort->setCaption(QString::number(m_ComPoort));
            m_ModuleNummer = m_port->GetModuleNumber(0);
            m_c.module->setCaption(QString::number(m_ModuleNummer));
            applyModelTable(m_ModuleNummer);
            // The device starts with every output off; so does the screen,
            // whatever was switched before the link was there.
            emit outputsOffAtDevice();
            m_lost = false;
            emit outputsCurrentChanged(true);
            setInputsCurrent(true);
            if (!iface::offersStation(m_ModuleNummer, station::Station::TransHandling)) {
                m_c.combinedStation->setEnabledProp(false);
                emit interfaceViewWanted();
            }
            m_Verbonden = -1;
            m_c.connect->setCaption(QStringLiteral("Verbreek"));
            m_c.statusFrame->setBackColor(m_connectedColour);
            m_c.status->setBackColor(m_connectedColour);
            m_c.status->setCaption(QStringLiteral("Verbonden"));
            m_c.status->setForeColor(kBlack);
            emit interfaceConnected();
        }
    }
    m_ReageerNiet = 0;
}

void ConnectionPanel::showDisconnected(const QString& status)
{
    m_Verbonden = 0;
    platform::playSound(QStringLiteral("Verbroken.wav"));
    m_c.statusFrame->setBackColor(kStatusGrey);
    m_c.status->setBackColor(kStatusGrey);
    m_c.status->setCaption(status);
    m_c.status->setForeColor(kWhite);
    m_c.connect->setCaption(QStringLiteral("Zoek en verbind"));
    m_c.combinedStation->setEnabledProp(true);
    m_c.comPort->setCaption(QStringLiteral("-"));
    m_c.module->setCaption(QStringLiteral("-"));
}

void ConnectionPanel::onLinkLost()
{
    // Only an open link can be lost; the control has closed it already, so
    // the window shows what "Verbreek" shows and the pupil reconnects. The
    // device was told nothing: the output word and lamps stay as they are,
    // marked as not current. Nothing reads the sensors any more either, so
    // the input lamps are marked too.
    if (m_Verbonden != -1 || m_ending->isStarted())
        return;
    showDisconnected(QStringLiteral("Verbinding verbroken"));
    m_lost = true;
    emit outputsCurrentChanged(false);
    setInputsCurrent(false);
    emit connectionLost(QStringLiteral("de verbinding met de interface is verbroken"));
    if (m_ending->isStarted())
        return;
    if (m_linkLostBoxOpen)
        return;
    m_linkLostBoxOpen = true;
    // In front of every window of the program: the pupil may be looking at
    // the step plan, the virtual station or the full-screen picture.
    platform::messages().show(
        m_c.boxParent, {iface::linkLostTitle(), iface::linkLostMessage(m_port->peerDescription()),
                        platform::MessageButtons::Ok, platform::MessageIcon::None, true});
    m_linkLostBoxOpen = false;
}

void ConnectionPanel::setInputsCurrent(bool current)
{
    for (int i = 1; i <= 8; ++i)
        m_c.inputLamps[i]->setStale(!current);
}

bool ConnectionPanel::switchOffAfterLoss()
{
    if (!m_lost || m_Verbonden != 0 || m_ReageerNiet != 0 || m_ending->isStarted())
        return false;
    // The attempt keeps the event loop running: no search may start meanwhile.
    m_ReageerNiet = -1;
    const bool off = m_port->switchOffAfterLoss(AllOffAttemptMs);
    m_ReageerNiet = 0;
    if (off && !m_ending->isStarted())
        emit outputsOffAtDevice();
    return off;
}

void ConnectionPanel::applyModelTable(int moduleNummer)
{
    const iface::InterfaceModel model = iface::interfaceModel(moduleNummer);
    if (!model.known)
        return;
    m_c.modulePicture->setPicture(platform::resolvedPicture(model.picture));
    m_c.interfaceButton->setCaption(model.caption);
}

int ConnectionPanel::interlockWord() const
{
    return iface::interlockInputs(m_rawIn, m_faults,
                                  m_faultsTarget && m_faultsTarget->readsRealSensors());
}

void ConnectionPanel::setHiddenFaults(int openMask, int shortMask)
{
    const iface::InputFaults faults = iface::InputFaults::of(openMask, shortMask);
    if (faults == m_faults)
        return;
    m_faults = faults;
    if (m_faultsTarget)
        m_faultsTarget->setHiddenFaults(faults);
    // A broken wire shows the moment it breaks, as any input change does.
    if (m_Verbonden == -1)
        onInputs(m_rawIn);
}

void ConnectionPanel::onInputs(qint32 inputs)
{
    // Only the low 16 bits fit the input word; the lamps use the low 8.
    m_rawIn = qint16(quint16(quint32(inputs) & 0xFFFFu));
    m_DecimaalIn = qint16(quint16(iface::withFaults(m_rawIn, m_faults)));
    for (int i = 0; i < 8; ++i)
        m_c.inputLamps[i + 1]->setFillColor(((m_DecimaalIn >> i) & 1) ? ctl::KleurLampAan
                                                                      : ctl::KleurLampUit);
    platform::playSound(QStringLiteral("Klik 02.wav"));
    emit inputsShown(m_DecimaalIn);
}
