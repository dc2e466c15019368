#include "description/description_tables.h"

namespace desc
{

namespace
{

struct Row {
    const char* benaming;
    const char* info;
};

constexpr char kSensorInfo[] = "Geeft een signaal af, zodra de zuiger van de dubbelwerkende "
                               "cilinder dichtbij de sensor komt";
constexpr char kPanel[] = "I/O aansluitpaneel";
constexpr char kPanelInfo[] = "Elektrische aansluiting van sensoren en actuatoren";
constexpr char kSpeed[] = "Snelheidsregelventiel";
constexpr char kSpeedInfo[] = "Snelheidsregeling van de cilinder";
constexpr char kShutOffInfo[] = "Afsluiten van de perslucht";

constexpr Row kStapelMagazijn[11] = {
    {kSpeed, kSpeedInfo},
    {"Enkelwerkende cilinder", "Aandrukken van deksels"},
    {"Product montageplaats", "Plaats voor producten"},
    {kPanel, kPanelInfo},
    {"4/2 Magneetventiel, bi-stabiel", "Aansturing van de dubbelwerkende cilinder"},
    {"4/2 Magneetventiel, monostabiel", "Aansturing van de enkelwerkende cilinder"},
    {"Dubbelwerkende cilinder", "Doorschuiven Magazijn voorraad"},
    {"Magnetische eindschakelaar", kSensorInfo},
    {"3/2 stuurventiel, handbediend", kShutOffInfo},
    {"Kabelgoot", "Nette geleiding van elektrische bedrading"},
    {"Magazijn", "Opslag van producten"},
};

constexpr Row kTransportband[11] = {
    {"Optische sensor.", "Neemt waar of producten aanwezig zijn aan het begin van de band."},
    {"Gelijkstroommotor (DC)", "Drijft de transportband aan (vooruit en achteruit)"},
    {"Relais.", "Sturen van de gelijkstroommotor."},
    {kPanel, kPanelInfo},
    {"Elektromagnetische wissel/stopper", "Uitsorteren van producten maar de glijbaan."},
    {"Inductieve sensor.", "Waarnemen van metalen producten"},
    {"Glijbaan.", "Opslag van uitgesorteerde producten."},
    {"Kabelgoot.", "Nette geleiding van elektrische bedrading."},
    {"", ""},
    {"", ""},
    {"", ""},
};
constexpr int kTransportbandParts = 8;

constexpr Row kStationhandling[11] = {
    {"Magnetische eindschakalaar (Steker)", kSensorInfo},
    {"Dubbelwerkende cilinder met geleiding",
     "Pneumatische aandrijving voor de beweging in z-richting"},
    {"Grijper", "Oppakken van het product"},
    {"Plaats voor producten", "Plaats voor het oppakken, wegleggen of monteren van producten "},
    {kPanel, kPanelInfo},
    {kSpeed, kSpeedInfo},
    {"Dubbelwerkende cilinder met geleiding",
     "Pneumatische aandrijving voor de beweging in x-richting"},
    {"Magnetische eindschakalaar", kSensorInfo},
    {"Magneetventiel", "Aansturen van een cilinder"},
    {"3/2-Stuurventiel, handbediend", kShutOffInfo},
    {"Kabelgoot", "Nette geleiding van de elektrische bedrading"},
};

const Row* table(Station station)
{
    switch (station) {
    case Station::StapelMagazijn:
        return kStapelMagazijn;
    case Station::Transportband:
        return kTransportband;
    case Station::Stationhandling:
        return kStationhandling;
    default:
        break;
    }
    return kStapelMagazijn;
}

bool inRange(int number)
{
    return number >= kFirstPart && number <= kLastPart;
}

} // namespace

QString stem(Station station)
{
    switch (station) {
    case Station::StapelMagazijn:
        return QStringLiteral("Station Stapel Magazijn cijfers");
    case Station::Transportband:
        return QStringLiteral("Station Transportband cijfers");
    case Station::Stationhandling:
        return QStringLiteral("Station Handling cijfers");
    default:
        break;
    }
    return {};
}

QString stationPicture(Station station)
{
    return stem(station) + QStringLiteral(".jpg");
}

std::optional<Part> part(Station station, int number)
{
    if (!inRange(number))
        return std::nullopt;
    const Row& r = table(station)[number - 1];
    return Part{QString::fromUtf8(r.benaming), QString::fromUtf8(r.info)};
}

PartPicture partPicture(Station station, int number)
{
    if (station == Station::Transportband && number > kTransportbandParts)
        return {stationPicture(station), false};
    return {stem(station) + QLatin1Char(' ') +
                QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')) + QStringLiteral(".jpg"),
            true};
}

} // namespace desc
