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

static_assert(KleurNormaal == 2147483663u && KleurWit == 16777215u && KleurLampAan == 65535u &&
              KleurLampUit == 8421504u && KleurKnopTekst == 2147483666u &&
              KleurGrijsTekst == 2147483660u && KleurLichtgroen == 8454016u &&
              KleurLichtblauw == 15777683u && KleurLila == 16765650u &&
              KleurMintgroen == 13828050u);

} // namespace ctl
