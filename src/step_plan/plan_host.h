#pragma once

#include "outputs/interlocks.h"
#include "station/station.h"

#include <QObject>
#include <QString>

namespace plan
{

// What a running plan needs from the program: the link, the station in
// view, the I/O words, and the two ways the pupil switches outputs. The
// program's main window provides it; tests put a recording double in its
// place.
class PlanHost : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;
    ~PlanHost() override = default;

    virtual bool isConnected() const = 0;
    virtual station::Station station() const = 0;
    // Why station `s` cannot be chosen with the interface connected now
    // (one Dutch sentence saying what to do instead); empty when it can.
    virtual QString stationUnavailable(station::Station s) const
    {
        Q_UNUSED(s);
        return {};
    }
    // Bit i = output i + 1 (input i + 1).
    virtual int outputWord() const = 0;
    virtual int inputWord() const = 0;
    // Switches output i (0..7) the way a pupil's press does (interlock,
    // lamp, write, click sound) but without a message box; returns why it
    // was refused, if it was.
    virtual outputs::Refusal setOutput(int i, bool on) = 0;
    // All outputs off through the emergency-reset path.
    virtual void emergencyReset() = 0;
    // After connectionLost: one bounded attempt to reach the device and
    // switch every output off; the output word goes to 0 only when the
    // device confirmed it. True when it did.
    virtual bool switchOffAfterLoss() { return false; }
    // What keeps a plan off the outputs now (another device driving them);
    // None when a plan may switch them.
    virtual outputs::Refusal outputsRefusal() const { return outputs::Refusal::None; }

  signals:
    void inputsChanged(int word);
    // Another station (or the same one again) was chosen in the main window.
    void stationChanged();
    // The link is about to close ("Verbreek"); emitted while outputs can
    // still be written. `reason` is a Dutch sentence fragment such as "de
    // verbinding is verbroken."
    void connectionEnding(const QString& reason);
    // The link broke by itself: nothing reaches the device any more.
    // `reason` is a Dutch sentence fragment without a full stop.
    void connectionLost(const QString& reason);
    void connected();
    // The program is ending and every output is off already; nothing may
    // ask the pupil anything any more.
    void programEnding();
};

} // namespace plan
