#pragma once

#include "station/station.h"

#include <QString>
#include <array>

namespace plan
{

// The I/O points of a station as the main window shows them: the names of
// its outputs and inputs and which of them it uses, from the station
// tables.
struct StationPoints {
    std::array<QString, 8> outputNames;
    std::array<QString, 8> inputNames;
    quint8 usedOutputs = 0; // bit n-1: output n is used
    quint8 usedInputs = 0;  // bit n-1: input n is used

    // n = 1..8.
    bool usesOutput(int n) const { return n >= 1 && n <= 8 && ((usedOutputs >> (n - 1)) & 1); }
    bool usesInput(int n) const { return n >= 1 && n <= 8 && ((usedInputs >> (n - 1)) & 1); }
    QString outputName(int n) const;
    QString inputName(int n) const;
    // "Eindschakelaar cil. 1 Voor (ingang 2)".
    QString inputLabel(int n) const;
    QString outputLabel(int n) const;
};

// Nothing is used in the start and interface states.
StationPoints stationPoints(station::Station s);

} // namespace plan
