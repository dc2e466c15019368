#pragma once

class Main;
class QWidget;

namespace mw
{

// The main window's keys. Each press is the button's own click, so it takes
// exactly the pupil's path: a disabled button does nothing, an interlock
// refuses with its box, the click sound plays.
//   1 .. 8              output buttons 1 .. 8 (also on the number pad)
//   Escape              the emergency reset (the Noodstop picture button),
//                       in every window of the program, also behind a box
//   Page Down / Page Up "Verder" / "Terug"
//   F1                  "Help"
// The others are shortcuts of the main window only: typing in another window, or
// in a text box that takes the key, never switches an output, and a key
// held down acts once. The buttons' tooltips name their keys. Tab walks the
// buttons as they are laid out: outputs top to bottom, then the stations,
// the ways to the side windows, then the commands.
void installKeys(Main& main);

// The output keys 1 .. 8 also act while `window` (a window of
// its own beside the main window) is the active one, the same way as in the
// main window. Safe with null.
void shareOutputKeys(Main& main, QWidget* window);

} // namespace mw
