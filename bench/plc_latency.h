#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The PLC station (interface type plc) under a loopback client on its own
// thread: a read of the discrete inputs and a write of the coils, 200 pairs
// a second for 10 s (median and p99 per request, requests lost), and the
// time from a coil write to the changed discrete input once the simulated
// pressing cylinder (500 ms travel) arrives. No window exists meanwhile.
QList<QPair<QString, double>> measurePlcLatency(int seconds = 10);
