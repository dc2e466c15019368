#pragma once

#include "controls/color.h"

// The colours the program paints its controls with, under the names the
// main window's contract gives them.
namespace ctl
{

constexpr OleColor KleurNormaal = kButtonFace;
constexpr OleColor KleurWit = rgb(255, 255, 255);
constexpr OleColor KleurLampAan = rgb(255, 255, 0);   // yellow
constexpr OleColor KleurLampUit = rgb(128, 128, 128); // grey
constexpr OleColor KleurKnopTekst = kButtonText;      // a used input's label
constexpr OleColor KleurGrijsTekst = kGrayText;       // an unused input's label

// The active station's button.
constexpr OleColor KleurLichtgroen = rgb(128, 255, 128);
// The highlighted I/O point of the component figure.
constexpr OleColor KleurLichtblauw = rgb(147, 191, 240);
// A used output's button and a used input's row.
constexpr OleColor KleurLila = rgb(210, 210, 255);
constexpr OleColor KleurMintgroen = rgb(210, 255, 210);

// The back colour of an I/O point: a used output's button lilac, a used
// input's row mint green, an unused point the button face.
constexpr OleColor pointColour(bool output, bool used)
{
    if (!used)
        return KleurNormaal;
    return output ? KleurLila : KleurMintgroen;
}

// The window's frames and buttons.
constexpr OleColor KleurGroen = rgb(192, 255, 192);     // the inputs' side, "Zoek en verbind"
constexpr OleColor KleurBlauw = rgb(174, 210, 234);     // the outputs' side
constexpr OleColor KleurZilver = rgb(192, 192, 192);    // the frames along the bottom
constexpr OleColor KleurMarine = rgb(0, 0, 128);        // their captions
constexpr OleColor KleurDonkergroen = rgb(0, 64, 0);    // the inputs' caption
constexpr OleColor KleurKnopGrijs = rgb(224, 224, 224); // command buttons, a lamp's surround

static_assert(KleurNormaal == 2147483663u && KleurWit == 16777215u && KleurLampAan == 65535u &&
              KleurLampUit == 8421504u && KleurKnopTekst == 2147483666u &&
              KleurGrijsTekst == 2147483660u && KleurLichtgroen == 8454016u &&
              KleurLichtblauw == 15777683u && KleurLila == 16765650u &&
              KleurMintgroen == 13828050u && KleurGroen == 12648384u && KleurBlauw == 15389358u &&
              KleurZilver == 12632256u && KleurMarine == 8388608u && KleurDonkergroen == 16384u &&
              KleurKnopGrijs == 14737632u);

} // namespace ctl
