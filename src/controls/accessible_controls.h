#pragma once

// What a screen reader learns of the controls that are not Qt's own widgets.
namespace ctl
{

// A frame becomes a group named by its caption, a label static text named
// by its caption, a picture box static text whose description is what was
// printed on it, an image a graphic and a named shape an indicator. A name or
// description set with setAccessibleName/setAccessibleDescription wins.
// Buttons are Qt's own and are named by their captions. Calling it again
// does nothing.
void installAccessibleControls();

} // namespace ctl
