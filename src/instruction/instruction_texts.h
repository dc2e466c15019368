#pragma once

#include "controls/color.h"
#include "station/station.h"

#include <QString>
#include <vector>

// The instruction texts of the panel below the station picture, as data:
// one row per printed line, with the rule that places it, its size and
// colour, its indent and its text. The panel code prints these rows; the
// tests read them without pixels.
namespace instr
{

// The panel shows the text of the station in view; the start state shows
// the interface's text.
using station::Station;

// How a row finds its vertical position on the drawing surface.
enum class Place {
    At,    // `twips` is the absolute position
    Below, // `twips` is added to the position the previous row left
    Next,  // straight on the next line
};

enum class Style { Heading, Body, Red };

struct TextRow {
    int page; // 1..4
    Place place;
    double twips; // absolute position (At) or extra space (Below); 0 for Next
    Style style;
    int indent; // text columns of the row's own font
    QString text;
};

// One page of the panel: the step of every page turn and the visible window.
constexpr double kPageStep = 1815;
// Where the surface's text output starts after the panel is cleared.
constexpr double kTextStart = 90;
constexpr double kBodySize = 12;
constexpr double kHeadingSize = 18;

constexpr ctl::OleColor KleurTekst = 4194304u;        // body text, RGB(0, 0, 64)
constexpr ctl::OleColor KleurKop = 12811264u;         // headings, RGB(0, 124, 195)
constexpr ctl::OleColor KleurRood = 255u;             // "Lees verder in je boek."
constexpr ctl::OleColor KleurPaneel = 16777215u;      // normal background, white
constexpr ctl::OleColor KleurNietMogelijk = 8421631u; // a page turn that cannot be made

double fontSize(Style s);
ctl::OleColor color(Style s);

// The rows of a station's text, top to bottom.
const std::vector<TextRow>& instructionRows(Station s);

// Where a row starts: `indent` columns from the left margin, but never so
// far that the text runs past the right edge of the surface (then it ends
// at the edge), and never left of the margin.
double rowLeft(int indent, double columnWidth, double textWidth, double surfaceWidth);

// `Top` of the drawing surface that shows page `page` (1 → 0, 2 → −1815 ...).
double pageTop(int page);

} // namespace instr
