#pragma once

#include <QList>

class QWidget;

// What a screen reader learns of the controls that are not Qt's own widgets.
namespace ctl
{

// A frame becomes a group named by its caption, a label static text named
// by its caption, a picture box static text whose description is what was
// printed on it, an image a graphic, a lamp (a shape given a lit colour) a
// read-only check box that is checked while lit, and any other named shape
// an indicator. A name or description set with
// setAccessibleName/setAccessibleDescription wins. Buttons are push buttons
// named by their captions.
//
// Frames and picture boxes list their children in reading order (see
// readingOrder), leaving out pure decoration: unnamed, childless
// backgrounds. A plain top-level widget is a window named by its title. A
// combo box that cannot be typed in is named by its accessible name or by
// the label whose buddy it is, and carries its choice as its value and its
// text, not as its name. A command button made checkable (the station in
// view) stays a push button and reads checked while marked. Calling it
// again does nothing.
void installAccessibleControls();

// `widgets` (siblings) in the order they are read: row by row from top to
// bottom, each row from left to right. A widget belongs to a row while its
// top lies within the top quarter of the row's first widget; ties keep the
// given order. Hidden widgets come last, in the given order.
QList<QWidget*> readingOrder(QList<QWidget*> widgets);

} // namespace ctl
