#include "fullscreen/fit.h"

namespace fs
{

namespace
{

Placement fitToWidth(double SW, double SH, double VW, double VH)
{
    Placement p;
    p.width = SW;
    p.height = VH * SW / VW;
    p.top = (SH - p.height) / 2;
    p.left = 0;
    return p;
}

Placement fitToHeight(double SW, double SH, double VW, double VH)
{
    Placement p;
    p.width = VW * SH / VH;
    p.height = SH;
    p.top = 0;
    p.left = (SW - p.width) / 2;
    return p;
}

} // namespace

Placement fitPicture(double SW, double SH, double VW, double VH)
{
    if (VW <= 0 || VH <= 0) {
        // Nothing to keep in proportion: an empty picture over the window.
        Placement p;
        p.width = SW;
        p.height = SH;
        return p;
    }
    if (SW - VW < SH - VH) {
        const Placement p = fitToWidth(SW, SH, VW, VH);
        // Free space and proportions can disagree; a picture pushed past the
        // window's edges would lose the numbers on its parts.
        return p.height <= SH ? p : fitToHeight(SW, SH, VW, VH);
    }
    const Placement p = fitToHeight(SW, SH, VW, VH);
    return p.width <= SW ? p : fitToWidth(SW, SH, VW, VH);
}

} // namespace fs
