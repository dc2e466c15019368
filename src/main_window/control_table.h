#pragma once

#include "controls/color.h"

#include <QString>
#include <vector>

namespace mw
{

enum class Kind { Frame, Button, Label, PictureBox, Image, Shape, Timer, Interface };

enum Flag : unsigned {
    NoFlags = 0,
    NoBorder = 1u << 0,    // frame without border or caption
    Hidden = 1u << 1,      // not visible at start
    Transparent = 1u << 2, // label without background
    Centred = 1u << 3,     // centred label text
    Rounded = 1u << 4,     // rounded rectangle shape
    Behind = 1u << 5,      // lies behind its siblings
    Bold = 1u << 6,
};

constexpr qint64 kNoColor = -1;

// One control of the main window as it stands when the window opens.
struct ControlRow {
    QString name; // objectName; array elements carry their index: "CMD_SetReset(3)"
    Kind kind = Kind::Frame;
    QString container; // objectName of the container; empty for the window itself
    QString caption;
    double left = 0, top = 0, width = 0, height = 0; // twips
    qint64 back = kNoColor;                          // BackColor (FillColor for shapes)
    qint64 fore = kNoColor;
    QString fontName; // empty: the control has no font
    double fontSize = 0;
    unsigned flags = NoFlags;
    QString toolTip;
    int interval = 0;            // timers
    QString picture;             // design picture (a resource path)
    qint64 shapeBack = kNoColor; // back colour of a shape
};

// All 84 controls in the window's control order: every container before
// its contents.
const std::vector<ControlRow>& mainControlTable();

// Design client size of the main window, twips.
constexpr double kDesignClientWidth = 15870;
constexpr double kDesignClientHeight = 10905;

} // namespace mw
