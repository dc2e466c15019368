#include "station/station.h"

namespace station
{

QString displayName(Station s)
{
    switch (s) {
    case Station::StapelMagazijn:
        return QStringLiteral("Stapel magazijn");
    case Station::Transportband:
        return QStringLiteral("Transportband");
    case Station::Stationhandling:
        return QStringLiteral("Station handling");
    case Station::TransHandling:
        return QStringLiteral("Transportband en Station handling");
    case Station::Start:
    case Station::Interface:
        break;
    }
    return {};
}

std::optional<Station> fromDisplayName(const QString& name)
{
    for (Station s : {Station::StapelMagazijn, Station::Transportband, Station::Stationhandling,
                      Station::TransHandling}) {
        if (name == displayName(s))
            return s;
    }
    return std::nullopt;
}

} // namespace station
