#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Loopback timings of the Modbus interface control against a Modbus TCP
// server in the same process, in milliseconds:
// - WriteOutputs until the coils have changed at the server (median, max);
// - a change of the server's discrete inputs until InputsChanged (median,
//   max), with the default 20 ms poll period.
// Empty when no server could be started.
QList<QPair<QString, double>> measureModbusLatency();
