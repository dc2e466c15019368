#include "step_plan/station_points.h"

#include "main_window/station_tables.h"
#include "main_window/station_view.h"

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
    StationPoints p;
    if (!station::isStation(s)) {
        for (int i = 0; i < 8; ++i) {
            p.outputNames[size_t(i)] = mw::genericOutputName(i);
            p.inputNames[size_t(i)] = mw::genericInputName(i);
        }
        return p;
    }
    mw::NameTables names;
    mw::fillNameTables(names);
    const mw::StationView view = mw::stationView(s, names);
    p.outputNames = view.outputNames;
    p.inputNames = view.inputNames;
    p.usedOutputs = view.usedOutputs;
    p.usedInputs = view.usedInputs;
    return p;
}

} // namespace plan
