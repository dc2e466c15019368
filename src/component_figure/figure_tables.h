#pragma once

#include "station/station.h"

#include <QString>
#include <optional>

// What the component panel of the main window shows for each I/O point, and
// how an actuator's picture alternates with the valve that drives it. Plain
// data and functions, without widgets.
namespace fig
{

// The interface view's one picture and kind.
inline constexpr char kPanelPicture[] = "Multi Connector.bmp";
inline constexpr char kPanelKind[] = "I/O Aansluitpaneel";
// The kind shown for a point that has no component on the active station.
inline constexpr char kGenericKind[] = "Sensor / Actuator";

struct Component {
    QString picture; // file name in the picture folder
    QString kind;    // frame caption, kept in FiguurNaam
};

// The component behind I/O point `index` (0..7 outputs, 8..15 inputs) of one
// of the four stations, from its station table; nullopt when the station has
// nothing there. The start and interface states show kPanelPicture and
// always give nullopt.
std::optional<Component> componentFor(station::Station inView, int index);

// One step of the picture alternation: the picture to load and the kind that
// replaces `figuurNaam`; nullopt when `figuurNaam` names no actuator or valve
// (the caption is then only rewritten).
std::optional<Component> alternate(const QString& figuurNaam);

// Which I/O control shows the highlight of I/O point `point` (0..7 outputs,
// 8..15 inputs).
struct IoControl {
    enum class Kind { None, Output, Input };
    Kind kind = Kind::None;
    int index = -1; // CMD_SetReset(index) or PictureLabelIngangen(index)
};
IoControl highlightedControl(int point);

// The version message's text: a line about the program, then
// "Versie: major.minor.revision".
QString versionText(int major, int minor, int revision);

} // namespace fig
