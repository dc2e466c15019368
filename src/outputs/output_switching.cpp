#include "main_window/main.h"

#include "interface_link/easyport_control.h"
#include "outputs/interlocks.h"
#include "platform/services.h"

void Main::setOutputLamp(int i, bool on)
{
    Shape_Lampje[i]->setFillColor(on ? mw::KleurLampAan : mw::KleurLampUit);
}

void Main::CMD_SetReset_Click(int Index)
{
    if (Index < 0 || Index > 7 || m_ending)
        return;
    const bool on = outputs::bitSet(m_DecimaalUit, Index);
    const outputs::Refusal why =
        outputs::interlock(m_station.current(), Index, !on, m_DecimaalIn, m_DecimaalUit);
    if (why != outputs::Refusal::None) {
        platform::messages().show(this,
                                  {outputs::refusalTitle(), outputs::refusalText(why),
                                   platform::MessageButtons::Ok, platform::MessageIcon::None});
    } else {
        m_DecimaalUit ^= (1 << Index);
        setOutputLamp(Index, !on);
    }
    if (m_ending)
        return; // the window was closed while the box was open: outputs are off
    // Refused or not, the device gets the whole word again.
    EasyPort1->WriteOutputs(qint16(m_DecimaalUit));
    playSound(QStringLiteral("Klik 01.wav"));
}

void Main::CMD_ResetAlles_Click()
{
    m_DecimaalUit = 0;
    EasyPort1->WriteOutputs(qint16(m_DecimaalUit));
    for (int i = 0; i < 8; ++i)
        setOutputLamp(i, false);
    KleurBeheer(15);
}

void Main::ResetAll()
{
    Timer_Wissel_Afbeelding->setEnabledProp(false);
    m_DecimaalUit = 0;
    m.FiguurNaam.clear();
    EasyPort1->WriteOutputs(qint16(m_DecimaalUit));
    for (int i = 0; i < 8; ++i)
        setOutputLamp(i, false);
}
