#pragma once

#include "interface_link/simulated_settings.h"

#include <functional>

class QDialog;

namespace iface
{

// "Over de gesimuleerde interface": what the simulated interface is and how
// it reports itself, with a button that asks to see the station. Not modal;
// it deletes itself when closed.
QDialog* makeSimulatedAbout(const SimulatedSettings& settings, std::function<void()> showStation);

} // namespace iface
