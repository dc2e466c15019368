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

    const ctl::CommandButton* active = stationButton(m_station.current());
    if (AktieCijfer >= 0 && AktieCijfer <= 5 && byKnop[AktieCijfer]) {
        ctl::CommandButton* hovered = byKnop[AktieCijfer];
        for (ctl::CommandButton* b : all)
            if (b != hovered && b != active)
                b->setBackColor(mw::KleurNormaal);
        if (hovered != active)
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
        const mw::NameTable* outputs = nullptr;
        const mw::NameTable* inputs = nullptr;
        switch (m_station.current()) {
        case station::Station::Transportband:
            outputs = &m.names.NamenUitgangTransportband;
            inputs = &m.names.NamenIngangTransportband;
            break;
        case station::Station::StapelMagazijn:
            outputs = &m.names.NamenUitgangStapelMagazijn;
            inputs = &m.names.NamenIngangStapelMagazijn;
            break;
        case station::Station::Stationhandling:
            outputs = &m.names.NamenUitgangHandling;
            inputs = &m.names.NamenIngangHandling;
            break;
        case station::Station::TransHandling:
            return; // the combined station: captions stay
        case station::Station::Start:
        case station::Station::Interface:
            break;
        }
        for (int i = 0; i < 8; ++i) {
            CMD_SetReset[i]->setCaption(outputs ? (*outputs)[i] : mw::genericOutputName(i));
            Label_Ingang[i]->setCaption(inputs ? (*inputs)[i] : mw::genericInputName(i));
        }
    }
}
