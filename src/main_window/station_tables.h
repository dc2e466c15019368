#pragma once

#include "controls/color.h"

#include <QString>
#include <array>

namespace mw
{

// Eight names, index i = output i (or input i).
using NameTable = std::array<QString, 8>;

// The per-station names of the I/O points. Entries with a component name
// are the points the station really uses; the others carry the generic
// name "Uitgang n" / "Ingang n" (n = i + 1).
struct NameTables {
    NameTable NamenUitgangTransportband;
    NameTable NamenIngangTransportband;
    NameTable NamenUitgangStapelMagazijn;
    NameTable NamenIngangStapelMagazijn;
    NameTable NamenUitgangHandling;
    NameTable NamenIngangHandling;
};

// Fills the six tables: the named entries first, then the generic ones.
void fillNameTables(NameTables& t);

QString genericOutputName(int i); // "Uitgang " + (i + 1)
QString genericInputName(int i);  // "Ingang " + (i + 1)

// Colours shared by the whole window.
constexpr ctl::OleColor KleurNormaal = 2147483663u; // button face
constexpr ctl::OleColor KleurWit = 16777215u;
constexpr ctl::OleColor KleurLampAan = 65535u;         // yellow
constexpr ctl::OleColor KleurLampUit = 8421504u;       // grey
constexpr ctl::OleColor KleurKnopTekst = 2147483666u;  // button text: a used input
constexpr ctl::OleColor KleurGrijsTekst = 2147483660u; // greyed text: an unused input

// What the features of the main window share: the name tables and the
// colours set at start.
struct ModuleState {
    NameTables names;
    ctl::OleColor KleurLichtgroen = 0;
    ctl::OleColor KleurLichtblauw = 0;
    ctl::OleColor KleurLila = 0;
    ctl::OleColor KleurMintgroen = 0;
};

} // namespace mw
