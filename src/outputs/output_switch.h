#pragma once

#include "outputs/interlocks.h"

#include <QObject>
#include <functional>
#include <memory>

namespace iface
{
class DrivenElsewhere;
class EasyPortControl;
} // namespace iface

namespace platform
{
class Ending;
}

namespace station
{
class StationState;
}

namespace outputs
{

// The rules of switching the eight outputs, without widgets: the output
// word, the interlocks of the station in view, the refusal, the guard while
// the program is being left, the write of the whole word and the click
// sound. The window's output panel switches through it, so a press, a key
// and a plan step meet the same rules.
class OutputSwitch : public QObject
{
    Q_OBJECT

  public:
    // Shows a refusal to whoever asked, before the word is written again:
    // `why` and its Dutch text (the PLC's own sentence while one drives the
    // outputs).
    using Tell = std::function<void(Refusal why, const QString& text)>;

    // `inputWord` gives the word the interlocks read; once `ending` has
    // started nothing switches any more.
    OutputSwitch(iface::EasyPortControl* port, const station::StationState& station,
                 std::function<int()> inputWord, std::shared_ptr<const platform::Ending> ending,
                 QObject* parent = nullptr);

    int word() const { return m_word; }
    bool isOn(int i) const { return i >= 0 && i < 8 && bitSet(m_word, i); }
    // Outputs that another device drives too (null: only the pupil's).
    void setDrivenElsewhere(iface::DrivenElsewhere* driven);
    // OutputsDrivenElsewhere while another device drives the outputs, else None.
    Refusal outputsRefusal() const;

    // Switches output `i` (0..7) on or off unless the interlocks refuse it.
    // Refused or not, the whole word is written again and the click
    // sounds; a refusal is handed to `tell` first. While a PLC drives the
    // outputs nothing is written. An index outside 0..7, or a program being
    // left (also while `tell` held a box open), changes and writes nothing.
    Refusal setOutput(int i, bool on, const Tell& tell = {});
    // Every output off: the word 0 is written, without a click.
    void resetAll();

  signals:
    // The word changed: by a switch, a reset, or a PLC driving the outputs.
    void wordChanged(int word);
    // A switch went through to the device (refused or not): what was asked,
    // and the refusal, if any.
    void switched(int i, bool on, outputs::Refusal why);

  private:
    void setWord(int word);
    // The word another device (a PLC) switched: no write, no click.
    void showDriven(qint32 word);
    // That device's own sentence while it drives the outputs; empty when not.
    QString drivenRefusal() const;

    iface::EasyPortControl* m_port;
    iface::DrivenElsewhere* m_driven = nullptr;
    const station::StationState& m_station;
    std::function<int()> m_inputWord;
    std::shared_ptr<const platform::Ending> m_ending;
    int m_word = 0;
};

} // namespace outputs
