#include "main_window/main.h"

namespace
{

constexpr int kLeave = 10;
constexpr int kRelabel = 15;

} // namespace

void Main::stationButtonMouseMove(qint16 knop)
{
    // Mouse moves come many times a second; only entering a button counts.
    if (m.KnopOnderMuis == knop)
        return;
    m.KnopOnderMuis = knop;
    KleurBeheer(knop);
}

void Main::KleurBeheer(int AktieCijfer)
{
    ctl::CommandButton* const byKnop[] = {
        CMD_Transportband, CMD_StapelMagazijn, CMD_Stationhandling, CMD_TransHandling,
        nullptr,           CMD_Interfacing};
    const std::initializer_list<ctl::CommandButton*> all = {CMD_Transportband, CMD_StapelMagazijn,
                                                            CMD_Stationhandling, CMD_TransHandling,
                                                            CMD_Interfacing};

    if (AktieCijfer >= 0 && AktieCijfer <= 5 && byKnop[AktieCijfer]) {
        ctl::CommandButton* hovered = byKnop[AktieCijfer];
        for (ctl::CommandButton* b : all)
            if (b != hovered && !isActive(b))
                b->setBackColor(mw::KleurNormaal);
        if (!isActive(hovered))
            hovered->setBackColor(mw::KleurWit);
        return;
    }
    if (AktieCijfer == kLeave) {
        for (ctl::CommandButton* b : all)
            if (b->BackColor() == mw::KleurWit) {
                b->setBackColor(mw::KleurNormaal);
                break;
            }
        m.KnopOnderMuis = -1;
        return;
    }
    if (AktieCijfer == kRelabel) {
        const ctl::CommandButton* active = firstActive(
            {CMD_Transportband, CMD_StapelMagazijn, CMD_Stationhandling, CMD_Interfacing});
        const mw::NameTable* outputs = nullptr;
        const mw::NameTable* inputs = nullptr;
        if (active == CMD_Transportband) {
            outputs = &m.names.NamenUitgangTransportband;
            inputs = &m.names.NamenIngangTransportband;
        } else if (active == CMD_StapelMagazijn) {
            outputs = &m.names.NamenUitgangStapelMagazijn;
            inputs = &m.names.NamenIngangStapelMagazijn;
        } else if (active == CMD_Stationhandling) {
            outputs = &m.names.NamenUitgangHandling;
            inputs = &m.names.NamenIngangHandling;
        } else if (active != CMD_Interfacing) {
            return; // the combined station, or nothing active: captions stay
        }
        for (int i = 0; i < 8; ++i) {
            CMD_SetReset[i]->setCaption(outputs ? (*outputs)[i] : mw::genericOutputName(i));
            Label_Ingang[i]->setCaption(inputs ? (*inputs)[i] : mw::genericInputName(i));
        }
    }
}
