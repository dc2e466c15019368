#pragma once

#include "instruction/instruction_texts.h"

#include <QString>
#include <functional>
#include <optional>

// Page turning and help for the instruction panel, without widgets. The
// page is the `Top` of the drawing surface; nothing else counts pages.
namespace instr
{

enum class PageAction {
    Nothing,
    Slide,           // one page further
    SlideShowingAdn, // one page further, showing the guided cylinder first
    Flash,           // the turn cannot be made: flash the panel red
};

// `Top` of the last page a station's text can turn to with "Verder".
double lastPageTop(Station s);

// What "Verder" does for the station's text at the surface position `top`.
PageAction verderAction(Station s, double top);
// What "Terug" does at the surface position `top` (the same for every text).
PageAction terugAction(double top);

// Direction codes of a page turn.
constexpr int kForward = 0;  // the surface moves up
constexpr int kBackward = 1; // the surface moves down

// Walks the surface one page from `start`: calls `assign` with every twip
// position from start to start ∓ 1815 inclusive, in order (1816 calls).
// Returns the end position.
double slidePage(double start, int upDown, const std::function<void(double top)>& assign);

// The help message of a station; none for the combined station. The start
// state has the interface's help.
struct HelpMessage {
    QString title;
    QString text; // lines ended by a carriage return each
};
std::optional<HelpMessage> helpMessage(Station s);

} // namespace instr
