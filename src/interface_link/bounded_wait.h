#pragma once

#include <QObject>
#include <functional>

namespace iface
{

// Keeps the event loop running until `done` holds, `ms` have passed or
// `guard` has been deleted meanwhile; `done` is not asked after that. True
// when `done` held. A plain nested QEventLoop would not do: after the
// application has been told to quit, a new one returns at once, and the
// way out must still wait for the last word to reach the module.
bool waitUntil(const QObject* guard, int ms, const std::function<bool()>& done);

} // namespace iface
