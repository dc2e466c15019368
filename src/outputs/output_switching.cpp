#include "main_window/main.h"

#include "interface_link/easyport_control.h"

void Main::setOutputLamp(int i, bool on)
{
    Shape_Lampje[i]->setFillColor(on ? mw::KleurLampAan : mw::KleurLampUit);
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

// Output switching and the reset button: not built yet.
void Main::CMD_SetReset_Click(int) {}
void Main::CMD_ResetAlles_Click() {}
