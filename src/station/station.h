#pragma once

#include <QString>
#include <optional>

namespace station
{

// Every state the station part of the main window can be in. `Start` is the
// window as it opens (the interface button marked, the design caption, no
// view built yet); `Interface` is the bare interface view; the rest are the
// stations a pupil can choose.
enum class Station {
    Start,
    Interface,
    StapelMagazijn,
    Transportband,
    Stationhandling,
    TransHandling
};

// True for the four stations with equipment on the table.
constexpr bool isStation(Station s)
{
    return s == Station::StapelMagazijn || s == Station::Transportband ||
           s == Station::Stationhandling || s == Station::TransHandling;
}

// The Dutch name a pupil reads ("Stapel magazijn", "Transportband",
// "Station handling", "Transportband en Station handling"); empty for the
// start and interface states.
QString displayName(Station s);

// The caption of the main window's station frame ("FrameModule") in each
// state: the design caption at start, the interface's name, the station's
// name, or the combined station's interface.
QString moduleCaption(Station s);

// The station with that display name (exact, case-sensitive); nothing for
// any other text.
std::optional<Station> fromDisplayName(const QString& name);

} // namespace station
