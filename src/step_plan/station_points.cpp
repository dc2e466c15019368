#include "step_plan/station_points.h"

#include "station/station_data.h"

namespace plan
{

QString StationPoints::outputName(int n) const
{
    return n >= 1 && n <= 8 ? outputNames[size_t(n - 1)] : QString();
}

QString StationPoints::inputName(int n) const
{
    return n >= 1 && n <= 8 ? inputNames[size_t(n - 1)] : QString();
}

QString StationPoints::inputLabel(int n) const
{
    return inputName(n) + QStringLiteral(" (ingang %1)").arg(n);
}

QString StationPoints::outputLabel(int n) const
{
    return outputName(n) + QStringLiteral(" (uitgang %1)").arg(n);
}

StationPoints stationPoints(station::Station s)
{
    const station::StationData& d = station::data(s);
    StationPoints p;
    p.outputNames = d.outputNames();
    p.inputNames = d.inputNames();
    // The bare interface has all its points, but a plan for it uses none.
    if (station::isStation(s)) {
        p.usedOutputs = d.usedOutputs();
        p.usedInputs = d.usedInputs();
    }
    return p;
}

} // namespace plan
