#include "main_window/main.h"

#include "interface_link/connection_panel.h"

#include "component_figure/component_panel.h"
#include "instruction/instruction_panel.h"
#include "interface_link/interface_model.h"
#include "main_window/station_buttons.h"
#include "platform/services.h"
#include "station/station_data.h"

void Main::showStation(station::Station s)
{
    const station::StationData& v = station::data(s);

    // Everything off before the points get new names.
    ResetAll();
    m_component->clear();
    for (int i = 0; i < 8; ++i) {
        PictureLabelIngangen[i]->setBackColor(ctl::pointColour(false, v.inputs[i].used));
        CMD_SetReset[i]->setBackColor(ctl::pointColour(true, v.outputs[i].used));
    }
    FrameIngangen->setCaption(v.inputsCaption);
    FrameUitgangen->setCaption(v.outputsCaption);
    // The station frame, the marked button and whatever follows the station.
    m_station.set(s);
    CMD_Filmpje->setToolTipText(v.filmToolTip);
    if (v.filmVisible)
        CMD_Filmpje->setCaption(v.filmCaption);
    CMD_Filmpje->setVisibleProp(v.filmVisible);
    for (int i = 0; i < 8; ++i) {
        const bool input = v.inputs[i].used;
        Label_Ingang[i]->setForeColor(input ? mw::KleurKnopTekst : mw::KleurGrijsTekst);
        Label_Ingang[i]->setEnabledProp(input);
    }
    Image_Module_Holder->setPicture(platform::resolvedPicture(v.picture));
    m_stationButtons->relabelPoints();
    for (int i = 0; i < 8; ++i)
        CMD_SetReset[i]->setEnabledProp(v.outputs[i].used);
    m_instruction->toFirstPage();
    m_instruction->place();
    // The interface view shows the model that answered, when it is known.
    if (!station::isStation(s))
        m_connection->applyModelTable(m_connection->moduleNummer());
}

void Main::SetEasyPort()
{
    showStation(station::Station::Interface);
}
