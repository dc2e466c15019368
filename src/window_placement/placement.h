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

// A window opened while the main window is on the screen.
struct Request {
    QRect usable;
    QRect mainOuter; // the main window, frame included
    // Controls of the main window never to cover (screen coordinates), the
    // most important first.
    QVector<QRect> keepClear;
    QSize size;    // the client size the window asks for
    QSize minimum; // the smallest client size it can work with
    QMargins frame;
    Side preferred = Side::Right;
};

// Beside the main window, on the preferred side first, where the screen has
// room for the whole window. Else where it covers none of `keepClear`,
// shrunk (keeping its proportions, not below `minimum`) as far as needed,
// and of those spots the one that covers the least of the main window. If
// not even the smallest window fits clear of them, the spot that covers
// the least of the first of them, then of the next, and so on.
QRect besideMain(const Request& request);

} // namespace placement
