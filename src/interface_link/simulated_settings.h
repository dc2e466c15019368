#pragma once

#include <QtGlobal>

class QSettings;

namespace iface
{

// What the simulated interface reports about itself on connecting.
struct SimulatedSettings {
    static constexpr qint16 DefaultComPort = 1;
    // The EasyPort D8A: every station, the combined one included, can be
    // chosen with it, and a connect keeps the station in view.
    static constexpr qint16 DefaultModel = 2;

    qint16 comPort = DefaultComPort;
    qint16 model = DefaultModel;

    // Reads the group "simulated" (keys "com_port", 1..255, and "model",
    // 1, 2 or 5). A missing key gives the default; a value of the wrong
    // kind or out of range gives the default and one warning.
    static SimulatedSettings fromSettings(QSettings& settings);
};

} // namespace iface
