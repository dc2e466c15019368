#pragma once

#include "main_window/station_tables.h"

#include <QString>

namespace mw
{

// What a station button shows when it is chosen.
struct StationView {
    NameTable outputNames;
    NameTable inputNames;
    quint8 usedOutputs = 0; // bit i: output i is used
    quint8 usedInputs = 0;  // bit i: input i is used
    QString moduleCaption;  // caption of the station frame (the interlocks key on it)
    QString inputsCaption;  // caption of the inputs frame
    QString outputsCaption; // caption of the outputs frame
    bool filmVisible = false;
    QString filmCaption;
    QString filmToolTip;
    QString picture; // file in the picture folder
    // In a single-station view an output button is enabled exactly when its
    // name is not a generic "Uitgang n" name; the combined view enables all.
    bool enableByName = true;
};

enum class StationId { StapelMagazijn, Transportband, Stationhandling, TransHandling };

StationView stationView(StationId id, const NameTables& names);

// Case-sensitive search for "Uitgang" anywhere in an output name.
bool isGenericOutputName(const QString& name);

} // namespace mw
