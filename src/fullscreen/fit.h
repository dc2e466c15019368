#pragma once

// Where the full-screen window puts its picture. Plain arithmetic, in
// pixels, without rounding.
namespace fs
{

struct Placement {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// Fits a picture of VW × VH pixels into a window of SW × SH pixels. The
// comparison is of free space, not of ratios: when the picture leaves less
// room across than down (SW − VW < SH − VH) it gets the full width and is
// centred vertically; otherwise, equal room included, it gets the full
// height and is centred horizontally. The other dimension keeps the
// picture's own proportions. When that would carry the picture past the
// window's edges the other fit is taken, so the whole picture stays in
// view. A picture without size (none could be loaded) fills the window.
Placement fitPicture(double SW, double SH, double VW, double VH);

} // namespace fs
