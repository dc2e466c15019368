#pragma once

#include <QtGlobal>

class QSettings;

namespace iface
{

// What the simulated interface reports about itself on connecting.
struct SimulatedSettings {
    static constexpr qint16 DefaultComPort = 1;
    static constexpr qint16 DefaultModel = 5; // EasyPort Mini

    qint16 comPort = DefaultComPort;
    qint16 model = DefaultModel;

    // Reads the group "simulated" (keys "com_port", 1..255, and "model",
    // 1, 2 or 5). A missing key gives the default; a value of the wrong
    // kind or out of range gives the default and one warning.
    static SimulatedSettings fromSettings(QSettings& settings);
};

} // namespace iface
