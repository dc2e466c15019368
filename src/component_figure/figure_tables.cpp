#include "component_figure/figure_tables.h"

#include "station/station_data.h"

namespace fig
{

namespace
{

using station::kDoubleActingCylinder;
using station::kGripper;
using station::kGuidedCylinder;
using station::kSingleActingCylinder;

constexpr char kMonoValve[] = "Stapel magazijn 4-2 Ventiel Mono stabiel.bmp";
constexpr char kBiValve[] = "Stapel magazijn 4-2 Ventiel Bistabiel.bmp";

struct Step {
    const char* before;
    const char* picture;
    const char* after;
};

// Each actuator has its own valve name, so that the way back always leads
// to the component the alternation started from. The guided cylinder comes
// back at rest, whichever picture it was first shown with.
constexpr Step kAlternation[] = {
    {kSingleActingCylinder.kind, kMonoValve, "4-2 Ventiel monostabiel"},
    {kDoubleActingCylinder.kind, kBiValve, "4-2 Ventiel bistabiel"},
    {kGuidedCylinder.kind, kBiValve, "4-2 Ventiel bistabiel ADN"},
    {kGripper.kind, kMonoValve, "4-2 Ventiel Mono stabiel Grijper"},
    {"4-2 Ventiel monostabiel", kSingleActingCylinder.picture, kSingleActingCylinder.kind},
    {"4-2 Ventiel bistabiel", kDoubleActingCylinder.picture, kDoubleActingCylinder.kind},
    {"4-2 Ventiel bistabiel ADN", kGuidedCylinder.picture, kGuidedCylinder.kind},
    {"4-2 Ventiel Mono stabiel Grijper", kGripper.picture, kGripper.kind},
};

} // namespace

std::optional<Component> componentFor(station::Station inView, int index)
{
    if (!station::isStation(inView) || index < 0 || index >= 2 * station::kPointCount)
        return std::nullopt;
    const station::StationData& d = station::data(inView);
    const station::Point& p =
        index < station::kPointCount ? d.outputs[index] : d.inputs[index - station::kPointCount];
    if (p.component.isEmpty())
        return std::nullopt;
    return Component{p.picture, p.component};
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

QString versionText(int major, int minor, int revision)
{
    return QStringLiteral("Automatiseren voor het VMBO: besturen van de Dravik stations.") +
           QLatin1Char('\r') +
           QStringLiteral("Versie: %1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace fig
