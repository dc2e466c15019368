#include "main_window/main.h"

#include "interface_link/easyport_control.h"
#include "interface_link/interface_model.h"
#include "outputs/output_panel.h"
#include "platform/services.h"

namespace
{

constexpr ctl::OleColor kStatusGrey = 8421504;
constexpr ctl::OleColor kWhite = 16777215;
constexpr ctl::OleColor kBlack = 0;

} // namespace

void Main::CMD_Verbinding_Click()
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
        EasyPort1->Disconnect();
    } else if (m_Verbonden == 0) {
        CMD_Verbinding->setCaption(QStringLiteral("Zoeken..."));
        CMD_Verbinding->repaint();
        const qint16 found = EasyPort1->SearchAndConnect();
        if (m_ending) {
            // The program was left during the search.
            m_ReageerNiet = 0;
            return;
        }
        if (found == 0) {
            platform::messages().show(
                this, {QString(), link::notFoundMessage(EasyPort1->searchFailureText()),
                       platform::MessageButtons::Ok, platform::MessageIcon::None});
            CMD_Verbinding->setCaption(QStringLiteral("Zoek en verbind"));
        } else {
            playSound(QStringLiteral("Verbonden.wav"));
            m_ComPoort = EasyPort1->GetComPort(0);
            Label_Compoort->setCaption(QString::number(m_ComPoort));
            m_ModuleNummer = EasyPort1->GetModuleNumber(0);
            Label_Modulenummer->setCaption(QString::number(m_ModuleNummer));
            applyModelTable(m_ModuleNummer);
            // The device starts with every output off; so does the screen,
            // whatever was switched before the link was there.
            clearOutputsAfterConnect();
            if (m_ModuleNummer == link::kModelMini) {
                CMD_TransHandling->setEnabledProp(false);
                SetEasyPort();
            }
            m_Verbonden = -1;
            CMD_Verbinding->setCaption(QStringLiteral("Verbreek"));
            Label_VerbindingKader->setBackColor(m.KleurLichtgroen);
            Label_Verbinding->setBackColor(m.KleurLichtgroen);
            Label_Verbinding->setCaption(QStringLiteral("Verbonden"));
            Label_Verbinding->setForeColor(kBlack);
            emit interfaceConnected();
        }
    }
    m_ReageerNiet = 0;
}

void Main::showDisconnected(const QString& status)
{
    m_Verbonden = 0;
    playSound(QStringLiteral("Verbroken.wav"));
    Label_VerbindingKader->setBackColor(kStatusGrey);
    Label_Verbinding->setBackColor(kStatusGrey);
    Label_Verbinding->setCaption(status);
    Label_Verbinding->setForeColor(kWhite);
    CMD_Verbinding->setCaption(QStringLiteral("Zoek en verbind"));
    CMD_TransHandling->setEnabledProp(true);
    Label_Compoort->setCaption(QStringLiteral("-"));
    Label_Modulenummer->setCaption(QStringLiteral("-"));
}

void Main::clearOutputsAfterConnect()
{
    m_outputs->resetAll();
}

void Main::EasyPort1_LinkLost()
{
    // Only an open link can be lost; the control has closed it already, so
    // the window shows what "Verbreek" shows and the pupil reconnects.
    if (m_Verbonden != -1 || m_ending)
        return;
    emit connectionEnding(QStringLiteral("de verbinding met de interface is verbroken."));
    showDisconnected(QStringLiteral("Verbinding verbroken"));
    if (m_linkLostBoxOpen)
        return;
    m_linkLostBoxOpen = true;
    platform::messages().show(this, {link::linkLostTitle(),
                                     link::linkLostMessage(EasyPort1->peerDescription()),
                                     platform::MessageButtons::Ok, platform::MessageIcon::None});
    m_linkLostBoxOpen = false;
}

void Main::applyModelTable(int moduleNummer)
{
    const link::InterfaceModel model = link::interfaceModel(moduleNummer);
    if (!model.known)
        return;
    Image_Module_Holder->setPicture(platform::resolvedPicture(model.picture));
    CMD_Interfacing->setCaption(model.caption);
}

void Main::Command1_Click()
{
    EasyPort1->AboutBox();
}

void Main::FrameEasyPort_MouseUp(Qt::MouseButton)
{
    EasyPort1->AboutBox();
}

void Main::EasyPort1_InputsChanged(int, int, qint32 inputs)
{
    // Only the low 16 bits fit the input word; the lamps use the low 8.
    m_DecimaalIn = qint16(quint16(quint32(inputs) & 0xFFFFu));
    for (int i = 0; i < 8; ++i)
        Shape_LampjeIn[i + 1]->setFillColor(((m_DecimaalIn >> i) & 1) ? mw::KleurLampAan
                                                                      : mw::KleurLampUit);
    playSound(QStringLiteral("Klik 02.wav"));
    emit inputsShown(m_DecimaalIn);
}
