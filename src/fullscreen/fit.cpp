#include "fullscreen/fit.h"

namespace fs
{

Placement fitPicture(double SW, double SH, double VW, double VH)
{
    Placement p;
    if (VW <= 0 || VH <= 0) {
        // Nothing to keep in proportion: an empty picture over the window.
        p.width = SW;
        p.height = SH;
        return p;
    }
    if (SW - VW < SH - VH) {
        p.width = SW;
        p.height = VH * SW / VW;
        p.top = (SH - p.height) / 2;
        p.left = 0;
    } else {
        p.width = VW * SH / VH;
        p.height = SH;
        p.top = 0;
        p.left = (SW - p.width) / 2;
    }
    return p;
}

} // namespace fs
