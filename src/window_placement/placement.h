#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QVector>

// Where the program's windows open. Pure functions of the screen's usable
// area (the screen without task bars and panels), the window's client size
// and the frame the window manager draws around it; they return the client
// geometry to give the window (QWidget::setGeometry), chosen so that the
// whole window, frame included, lies inside the usable area.
namespace placement
{

// Room left between two windows placed side by side.
constexpr int Gap = 8;

enum class Side { Left, Right };

// The outer rectangle (frame included) of a client rectangle, and back.
QRect outerRect(const QRect& client, const QMargins& frame);
QRect clientRect(const QRect& outer, const QMargins& frame);

// The main window: at its design client size, centred in the usable area.
// A side that does not fit shrinks until it does (each side on its own, so
// the window's scaling shrinks the fonts with the smaller factor). Should
// both sides shrink by exactly the same factor, the height gives up one
// pixel more: with equal factors the window's scaling keeps the fonts at
// their design size, too large for the smaller window.
QRect mainWindow(const QRect& usable, QSize design, const QMargins& frame);

// A window that opens beside the main window: to be placed, or already
// standing where the pupil or an earlier placement put it.
struct SideWindow {
    enum class Kind { Absent, Place, Fixed };
    Kind kind = Kind::Absent;
    QSize size;     // Place: the client size the window asks for
    QSize minimum;  // Place: the smallest client size it works at
    QMargins frame; // Place: the frame the window manager draws
    QRect outer;    // Fixed: where it stands, frame included

    static SideWindow place(QSize size, QSize minimum, const QMargins& frame)
    {
        return {Kind::Place, size, minimum, frame, {}};
    }
    static SideWindow fixed(const QRect& outer) { return {Kind::Fixed, {}, {}, {}, outer}; }
};

// The two side windows: "Virtuele opstelling" (preferably right of the main
// window) and "Stappenplan" (preferably left).
struct SideRequest {
    QRect usable;
    QRect mainOuter; // the main window, frame included
    // Controls of the main window no side window may cover (screen
    // coordinates): Noodstop above all, then the station buttons.
    QRect noodstop;
    QRect stationButtons;
    // Controls better left in sight where there is a choice: the outputs
    // and inputs, the connection and the command buttons.
    QVector<QRect> rather;
    SideWindow station;
    SideWindow plan;
};

// Client rectangles for the windows of kind Place; null for the others.
struct SidePlaces {
    QRect station;
    QRect plan;
};

// Each window beside the main window, on its own side where the screen has
// room for it (shrunk to the room, not below its smallest size). A window
// that has no room there opens at its smallest size over the main window,
// where it covers, in this order of importance: never Noodstop (the plan
// window least of all), not the station buttons, not the other side
// window, the least of the `rather` controls, and the least of the main
// window. When both cannot keep clear of each other, the plan window goes
// over "Virtuele opstelling".
SidePlaces sideWindows(const SideRequest& request);

} // namespace placement
