#pragma once

#include "station/station.h"

#include <QString>
#include <optional>

// The numbered parts of the three single stations: the name and the purpose
// of each part, and the file of the station picture in which it is marked.
// Plain data and functions, without widgets.
namespace desc
{

using station::Station;

inline constexpr int kFirstPart = 1;
inline constexpr int kLastPart = 11;

// The stem every picture file name of the station starts with, e.g.
// "Station Transportband cijfers".
QString stem(Station station);

// The unnumbered picture with all part numbers: stem + ".jpg".
QString stationPicture(Station station);

struct Part {
    QString benaming;
    QString info;
};

// Name and purpose of part `number` (1..11); nullopt outside 1..11. The
// conveyor has eight parts: its numbers 9..11 give two empty texts.
std::optional<Part> part(Station station, int number);

struct PartPicture {
    QString fileName; // in the picture folder
    bool mustExist{}; // a missing file is reported to the pupil
};

// The picture that marks part `number` (1..11): stem, " " and the number
// with two digits, ".jpg". The conveyor's numbers 9..11 give its unnumbered
// picture, which is loaded without being reported when missing.
PartPicture partPicture(Station station, int number);

// True for the three single stations, the ones with numbered parts; the
// other functions take only these.
constexpr bool isDescribed(Station s)
{
    return s == Station::StapelMagazijn || s == Station::Transportband ||
           s == Station::Stationhandling;
}

} // namespace desc
