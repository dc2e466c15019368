#include "component_figure/figure_tables.h"

#include <array>

namespace fig
{

namespace
{

struct Row {
    int index;
    const char* picture;
    const char* kind;
};

constexpr char kStopper[] = "Transportband Magneetspoel Stopper.bmp";
constexpr char kMotor[] = "Transportband Elektro Motor.bmp";
constexpr char kRelais[] = "Transportband Relais.bmp";
constexpr char kInductief[] = "Transportband Inductieve Sensor.bmp";
constexpr char kOptisch[] = "Transportband Optische Sensor.bmp";
constexpr char kMagnetisch[] = "Stapel magazijn Magnetische Sensor.bmp";
constexpr char kAdn[] = "Cilinder Dubbelwerkend ADN.bmp";
constexpr char kAdnBediend[] = "Cilinder Dubbelwerkend ADN Bediend.bmp";
constexpr char kGrijper[] = "Station handling Grijper.bmp";
constexpr char kMonoValve[] = "Stapel magazijn 4-2 Ventiel Mono stabiel.bmp";
constexpr char kBiValve[] = "Stapel magazijn 4-2 Ventiel Bistabiel.bmp";

constexpr char kAdnKind[] = "Dubbelwerkende cilinder ADN";
constexpr char kMagnetischKind[] = "Magnetische sensor";

constexpr Row kTransportband[] = {
    {0, kStopper, "Magneetspoel stopper"}, {1, kMotor, "Gelijkstroom motor"},
    {2, kRelais, "Motor relais"},          {8, kInductief, "Inductieve sensor"},
    {9, kOptisch, "Optische sensor"},
};

constexpr Row kStapelMagazijn[] = {
    {0, "Cilinder dubbelwerkend.bmp", "Dubbelwerkende cilinder"},
    {1, "Cilinder dubbelwerkend.bmp", "Dubbelwerkende cilinder"},
    {2, "Cilinder enkelwerkend.bmp", "Enkelwerkende cilinder"},
    {8, kMagnetisch, kMagnetischKind},
};

// The output that pushes a guided cylinder out shows it actuated, the one
// that pulls it back shows it at rest.
constexpr Row kStationhandling[] = {
    {0, kAdnBediend, kAdnKind},         {1, kAdn, kAdnKind},
    {2, kAdnBediend, kAdnKind},         {3, kAdn, kAdnKind},
    {4, kGrijper, "Grijper"},           {8, kMagnetisch, kMagnetischKind},
    {9, kMagnetisch, kMagnetischKind},  {10, kMagnetisch, kMagnetischKind},
    {11, kMagnetisch, kMagnetischKind},
};

// Conveyor points first, then the handling station's shifted by three.
constexpr Row kTransHandling[] = {
    {0, kStopper, "Magneetspoel stopper"},
    {1, kMotor, "Gelijkstroom motor"},
    {2, kRelais, "Motor relais"},
    {3, kAdnBediend, kAdnKind},
    {4, kAdn, kAdnKind},
    {5, kAdnBediend, kAdnKind},
    {6, kAdn, kAdnKind},
    {7, kGrijper, "Grijper"},
    {8, kInductief, "Inductieve sensor"},
    {9, kOptisch, "Optische sensor"},
    {11, kMagnetisch, kMagnetischKind},
    {12, kMagnetisch, kMagnetischKind},
    {13, kMagnetisch, kMagnetischKind},
    {14, kMagnetisch, kMagnetischKind},
};

template <std::size_t N> std::optional<Component> find(const Row (&rows)[N], int index)
{
    for (const Row& r : rows)
        if (r.index == index)
            return Component{QString::fromUtf8(r.picture), QString::fromUtf8(r.kind)};
    return std::nullopt;
}

struct Step {
    const char* before;
    const char* picture;
    const char* after;
};

// Each actuator has its own valve name, so that the way back always leads
// to the component the alternation started from. The guided cylinder comes
// back at rest, whichever picture it was first shown with.
constexpr Step kAlternation[] = {
    {"Enkelwerkende cilinder", kMonoValve, "4-2 Ventiel monostabiel"},
    {"Dubbelwerkende cilinder", kBiValve, "4-2 Ventiel bistabiel"},
    {kAdnKind, kBiValve, "4-2 Ventiel bistabiel ADN"},
    {"Grijper", kMonoValve, "4-2 Ventiel Mono stabiel Grijper"},
    {"4-2 Ventiel monostabiel", "Cilinder Enkelwerkend.bmp", "Enkelwerkende cilinder"},
    {"4-2 Ventiel bistabiel", "Cilinder dubbelwerkend.bmp", "Dubbelwerkende cilinder"},
    {"4-2 Ventiel bistabiel ADN", kAdn, kAdnKind},
    {"4-2 Ventiel Mono stabiel Grijper", kGrijper, "Grijper"},
};

} // namespace

std::optional<Component> componentFor(station::Station inView, int index)
{
    using station::Station;
    switch (inView) {
    case Station::Transportband:
        return find(kTransportband, index);
    case Station::StapelMagazijn:
        return find(kStapelMagazijn, index);
    case Station::Stationhandling:
        return find(kStationhandling, index);
    case Station::TransHandling:
        return find(kTransHandling, index);
    case Station::Start:
    case Station::Interface:
        break;
    }
    return std::nullopt;
}

std::optional<Component> alternate(const QString& figuurNaam)
{
    for (const Step& s : kAlternation)
        if (figuurNaam == QLatin1String(s.before))
            return Component{QString::fromUtf8(s.picture), QString::fromUtf8(s.after)};
    return std::nullopt;
}

IoControl highlightedControl(int point)
{
    if (point >= 0 && point <= 7)
        return {IoControl::Kind::Output, point};
    if (point >= 8 && point <= 15)
        return {IoControl::Kind::Input, point - 8};
    return {};
}

ctl::OleColor restoredColour(const mw::ModuleState& m, bool output, bool enabled)
{
    if (!enabled)
        return mw::KleurNormaal;
    return output ? m.KleurLila : m.KleurMintgroen;
}

QString versionText(int major, int minor, int revision)
{
    return QStringLiteral("Automatiseren voor het VMBO: besturen van de Dravik stations.") +
           QLatin1Char('\r') +
           QStringLiteral("Versie: %1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace fig
