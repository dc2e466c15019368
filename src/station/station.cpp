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

QString moduleCaption(Station s)
{
    switch (s) {
    case Station::Start:
        return QStringLiteral("Dravik besturing met Easyport Mini.");
    case Station::Interface:
        return QStringLiteral("Interfacing Easyport Mini");
    case Station::TransHandling:
        return QStringLiteral("Interfacing Easyport D8A");
    case Station::StapelMagazijn:
    case Station::Transportband:
    case Station::Stationhandling:
        break;
    }
    return displayName(s);
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
