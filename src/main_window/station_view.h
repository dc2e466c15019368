#pragma once

#include "main_window/station_tables.h"
#include "station/station.h"

#include <QString>

namespace mw
{

// What the window shows when a station button is chosen.
struct StationView {
    NameTable outputNames;
    NameTable inputNames;
    quint8 usedOutputs = 0; // bit i: output i is used
    quint8 usedInputs = 0;  // bit i: input i is used
    QString inputsCaption;  // caption of the inputs frame
    QString outputsCaption; // caption of the outputs frame
    bool filmVisible = false;
    QString filmCaption;
    QString filmToolTip;
    QString picture; // file in the picture folder
    // In a single-station view an output button is enabled exactly when its
    // name is not a generic "Uitgang n" name; the combined view and the
    // interface view enable all.
    bool enableByName = true;
};

// The view of a station, or of the bare interface (every point used, the
// generic names, the EasyPort Mini's picture); the start state has the
// interface's view.
StationView stationView(station::Station s, const NameTables& names);

// Case-sensitive search for "Uitgang" anywhere in an output name.
bool isGenericOutputName(const QString& name);

} // namespace mw
