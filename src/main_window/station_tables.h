#pragma once

#include "controls/palette.h"
#include "station/station_data.h"

#include <QString>
#include <array>

namespace mw
{

// Eight names, index i = output i (or input i).
using NameTable = station::Names;

// The stations' point names under the window's names for them, read from
// the station tables.
struct NameTables {
    NameTable NamenUitgangTransportband;
    NameTable NamenIngangTransportband;
    NameTable NamenUitgangStapelMagazijn;
    NameTable NamenIngangStapelMagazijn;
    NameTable NamenUitgangHandling;
    NameTable NamenIngangHandling;
};
const NameTables& nameTables();

// The colours of the window.
using ctl::KleurGrijsTekst;
using ctl::KleurKnopTekst;
using ctl::KleurLampAan;
using ctl::KleurLampUit;
using ctl::KleurLichtblauw;
using ctl::KleurLichtgroen;
using ctl::KleurLila;
using ctl::KleurMintgroen;
using ctl::KleurNormaal;
using ctl::KleurWit;

} // namespace mw
