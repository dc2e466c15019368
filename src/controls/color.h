#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QtGlobal>

namespace ctl
{

// Colours are numbers with red in the lowest byte (red + 256 green +
// 65536 blue); 0x80000000 + n names the system colour n.
using OleColor = quint32;

constexpr OleColor kSystemColorFlag = 0x80000000u;
constexpr OleColor systemColor(unsigned n)
{
    return kSystemColorFlag + n;
}
constexpr OleColor rgb(int r, int g, int b)
{
    return OleColor(r) | (OleColor(g) << 8) | (OleColor(b) << 16);
}

// The system colours the program uses.
constexpr OleColor kWindowBackground = systemColor(5);
constexpr OleColor kGrayText = systemColor(12);
constexpr OleColor kButtonFace = systemColor(15);
constexpr OleColor kButtonText = systemColor(18);
constexpr OleColor k3DLight = systemColor(22);

QColor toQColor(OleColor color, const QPalette& palette);

// Twips are 1/1440 inch; at 96 device-independent pixels per inch one pixel
// is 15 twips.
constexpr double kTwipsPerPixel = 15.0;
int twipsToPixels(double twips);

// The program's fonts mapped to faces that exist here: "Comic Sans MS"
// falls back to Comic Neue, "MS Sans Serif" to the platform's sans face.
void installFontSubstitutes();
QFont makeFont(const QString& name, double points, bool bold);

} // namespace ctl
