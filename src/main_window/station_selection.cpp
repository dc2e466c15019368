#include "main_window/main.h"

#include "main_window/station_view.h"
#include "platform/services.h"

void Main::selectStation(Station s)
{
    const auto id = static_cast<mw::StationId>(s);
    const mw::StationView v = mw::stationView(id, m.names);
    ctl::CommandButton* const buttons[] = {CMD_StapelMagazijn, CMD_Transportband,
                                           CMD_Stationhandling, CMD_TransHandling};
    ctl::CommandButton* chosen = buttons[int(s)];

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
    FrameModule->setCaption(v.moduleCaption);
    for (ctl::CommandButton* b : {CMD_StapelMagazijn, CMD_Transportband, CMD_Stationhandling,
                                  CMD_TransHandling, CMD_Interfacing})
        if (b != chosen)
            b->setBackColor(mw::KleurNormaal);
    chosen->setBackColor(m.KleurLichtgroen);
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
}

void Main::CMD_Interfacing_Click()
{
    SetEasyPort();
}
