#pragma once

#include "station/station.h"

#include <QString>
#include <array>

// What each station is: its I/O points, its captions and its picture, one
// immutable table per state, read by the window, the step plan, the
// simulation and the virtual station.
namespace station
{

constexpr int kPointCount = 8;

// The combined station puts the conveyor on its own points (outputs 0-2,
// inputs 0-1) and the handling station on the points this many higher.
constexpr int kHandlingShift = 3;

// One output or input of a station.
struct Point {
    // The component's name ("Grijper"); an unused point carries the
    // generic name "Uitgang n" / "Ingang n" (n = index + 1).
    QString name;
    // The station has something wired to this point: its button or label
    // is coloured and enabled.
    bool used = false;
    // What the component figure shows for the point ("Dubbelwerkende
    // cilinder ADN") and its picture file; both empty when there is none.
    QString component;
    QString picture;
};

// The components the stations are built from, as the component figure
// names them, with their picture files (the names the files have in the
// picture folder).
struct Component {
    const char* kind;
    const char* picture;
};
inline constexpr Component kSingleActingCylinder{"Enkelwerkende cilinder",
                                                 "Cilinder enkelwerkend.bmp"};
inline constexpr Component kDoubleActingCylinder{"Dubbelwerkende cilinder",
                                                 "Cilinder dubbelwerkend.bmp"};
// The guided cylinder: the output that pushes it out shows it actuated, the
// one that pulls it back shows it at rest.
inline constexpr Component kGuidedCylinder{"Dubbelwerkende cilinder ADN",
                                           "Cilinder Dubbelwerkend ADN.bmp"};
inline constexpr Component kGuidedCylinderActuated{"Dubbelwerkende cilinder ADN",
                                                   "Cilinder Dubbelwerkend ADN Bediend.bmp"};
inline constexpr Component kGripper{"Grijper", "Station handling Grijper.bmp"};
inline constexpr Component kMagneticSensor{"Magnetische sensor",
                                           "Stapel magazijn Magnetische Sensor.bmp"};

using Points = std::array<Point, kPointCount>;
using Names = std::array<QString, kPointCount>;

struct StationData {
    Station station = Station::Interface;
    Points outputs;
    Points inputs;
    // Captions of the main window's input and output frames.
    QString inputsCaption;
    QString outputsCaption;
    // The video button: shown or hidden, its caption and tooltip.
    bool filmVisible = false;
    QString filmCaption;
    QString filmToolTip;
    // The station's picture, a file in the picture folder.
    QString picture;

    // Bit i: point i is used.
    quint8 usedOutputs() const;
    quint8 usedInputs() const;
    Names outputNames() const;
    Names inputNames() const;
};

// The table of a state. The start state has the interface's table: every
// point used under its generic name, the EasyPort Mini's picture.
const StationData& data(Station s);

QString genericOutputName(int i); // "Uitgang " + (i + 1)
QString genericInputName(int i);  // "Ingang " + (i + 1)

// The combined station's points from the conveyor's and the handling
// station's: point i is the handling station's point i - kHandlingShift
// from there on, the conveyor's below; a point its station does not use
// becomes an unused point under the generic name of its new place.
enum class Direction { Output, Input };
Points combinedPoints(const Points& conveyor, const Points& handling, Direction d);

// The combined station's output word as the conveyor and the handling
// station each see it, and its input word from theirs.
struct SplitOutputs {
    quint8 conveyor = 0;
    quint8 handling = 0;
};
SplitOutputs splitCombinedOutputs(quint8 word);
quint8 joinCombinedInputs(quint8 conveyor, quint8 handling);

} // namespace station
