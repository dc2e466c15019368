#pragma once

#include "window_placement/placement.h"

#include <functional>

class QWidget;

// Puts the program's windows where the placement rules say, on the screen
// the platform's screen service describes. The window manager's frame is
// only known once a window is on the screen: until then the frame of
// another window of the program stands in for it (or a common title bar),
// and the window is placed again as soon as its own frame is known. When
// the screen's usable area changes, a window is placed again unless the
// pupil moved or resized it.
namespace placement
{

// The frame around `window` as far as known: its own once it is on the
// screen, else that of another visible window of the program, else a
// common title bar and border.
QMargins frameOf(const QWidget* window);

// Screen rectangles of the main window's Noodstop and station buttons.
QRect noodstopOf(const QWidget* mainWindow);
QRect stationButtonsOf(const QWidget* mainWindow);

// Gives `window` the geometry `place` computes for a frame now, once more
// when the window's real frame turns out to differ from the one used, and
// again when the screen changes while the window stands where it was put.
// `again` is true for the placements after the first.
void placeWindow(QWidget* window, std::function<QRect(const QMargins& frame, bool again)> place);

// The main window at its design client size (see mainWindow()).
void placeMainWindow(QWidget* window, QSize design);

// Makes "Virtuele opstelling" (`station`, may be null) and "Stappenplan"
// (`plan`) the side windows of `mainWindow`, placed together (see
// sideWindows()).
void pairSideWindows(QWidget* mainWindow, QWidget* station, QWidget* plan);

// A window of client size `size` beside `mainWindow`: as one of its paired
// side windows, or else on its own on the `preferred` side.
void placeBesideMain(QWidget* window, const QWidget* mainWindow, QSize size, Side preferred);

} // namespace placement
