#include "main_window/main.h"

#include "interface_link/interface_model.h"
#include "main_window/station_view.h"
#include "platform/services.h"

void Main::showStation(station::Station s)
{
    const mw::StationView v = mw::stationView(s, m.names);

    // Everything off before the points get new names.
    ResetAll();
    ImageSensorActuator->clearPicture();
    for (int i = 0; i < 8; ++i) {
        const bool input = (v.usedInputs >> i) & 1;
        const bool output = (v.usedOutputs >> i) & 1;
        PictureLabelIngangen[i]->setBackColor(input ? m.KleurMintgroen : mw::KleurNormaal);
        CMD_SetReset[i]->setBackColor(output ? m.KleurLila : mw::KleurNormaal);
    }
    FrameSensorActuator->setCaption(QStringLiteral("Sensor / Actuator"));
    FrameIngangen->setCaption(v.inputsCaption);
    FrameUitgangen->setCaption(v.outputsCaption);
    // The station frame, the marked button and whatever follows the station.
    m_station.set(s);
    CMD_Filmpje->setToolTipText(v.filmToolTip);
    if (v.filmVisible)
        CMD_Filmpje->setCaption(v.filmCaption);
    CMD_Filmpje->setVisibleProp(v.filmVisible);
    for (int i = 0; i < 8; ++i) {
        const bool input = (v.usedInputs >> i) & 1;
        Label_Ingang[i]->setForeColor(input ? mw::KleurKnopTekst : mw::KleurGrijsTekst);
        Label_Ingang[i]->setEnabledProp(input);
    }
    Image_Module_Holder->setPicture(platform::resolvedPicture(v.picture));
    for (int i = 0; i < 8; ++i) {
        CMD_SetReset[i]->setCaption(v.outputNames[i]);
        Label_Ingang[i]->setCaption(v.inputNames[i]);
        CMD_SetReset[i]->setEnabledProp(!v.enableByName ||
                                        !mw::isGenericOutputName(v.outputNames[i]));
    }
    m.GetoondeFiguur = -1;
    PictureTekst->setTop(0);
    PlaatsTekst();
    // The interface view shows the model that answered, when it is known.
    if (!station::isStation(s))
        applyModelTable(m_ModuleNummer);
}

ctl::CommandButton* Main::stationButton(station::Station s) const
{
    switch (s) {
    case station::Station::StapelMagazijn:
        return CMD_StapelMagazijn;
    case station::Station::Transportband:
        return CMD_Transportband;
    case station::Station::Stationhandling:
        return CMD_Stationhandling;
    case station::Station::TransHandling:
        return CMD_TransHandling;
    case station::Station::Start:
    case station::Station::Interface:
        break;
    }
    return CMD_Interfacing;
}

void Main::markStation(station::Station s)
{
    FrameModule->setCaption(station::moduleCaption(s));
    const ctl::CommandButton* chosen = stationButton(s);
    for (ctl::CommandButton* b : {CMD_StapelMagazijn, CMD_Transportband, CMD_Stationhandling,
                                  CMD_TransHandling, CMD_Interfacing})
        if (b != chosen)
            b->setBackColor(mw::KleurNormaal);
    stationButton(s)->setBackColor(m.KleurLichtgroen);
}

void Main::SetEasyPort()
{
    showStation(station::Station::Interface);
}

void Main::CMD_Interfacing_Click()
{
    SetEasyPort();
}
