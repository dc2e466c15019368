#pragma once

#include "outputs/output_switch.h"

#include <QObject>
#include <array>
#include <memory>

class ConnectionPanel;
class QWidget;

namespace ctl
{
class CommandButton;
class Shape;
} // namespace ctl

namespace iface
{
class DrivenElsewhere;
class EasyPortControl;
} // namespace iface

namespace station
{
class StationState;
}

// The eight outputs on the window: the buttons that switch them, their
// lamps, the refusal box and the reset. The word, the interlocks, the write
// and the click are the OutputSwitch's; every switch of an output, from a
// button, a key or a step plan, goes through setOutput(), so each one meets
// the same interlocks and ends in the same write, lamp and click sound.
class OutputPanel : public QObject
{
    Q_OBJECT

  public:
    struct Controls {
        std::array<ctl::CommandButton*, 8> buttons{}; // CMD_SetReset(i)
        std::array<ctl::Shape*, 8> lamps{};           // Shape_Lampje(i)
        ctl::CommandButton* reset{};                  // CMD_ResetAlles
        QWidget* boxParent{};                         // the window a refusal box belongs to
    };

    // How a refusal by the interlocks reaches the pupil.
    enum class Feedback {
        Box,   // the refusal box (a pupil's press)
        NoBox, // no modal box: the caller shows the returned refusal itself
    };

    // The interlocks read the input word `link` keeps; once `ending` has
    // started nothing switches on any more.
    OutputPanel(const Controls& controls, iface::EasyPortControl* port,
                const station::StationState& station, const ConnectionPanel& link,
                std::shared_ptr<const platform::Ending> ending, QObject* parent = nullptr);

    bool isOn(int i) const { return m_switch.isOn(i); }
    int outputWord() const { return m_switch.word(); }
    const outputs::OutputSwitch& outputSwitch() const { return m_switch; }
    // Outputs that another device drives too: its word shows on the lamps,
    // and the pupil's Noodstop holds them (null: only the pupil's).
    void setDrivenElsewhere(iface::DrivenElsewhere* driven);

    // Switches output `i` (0..7) on or off unless the interlocks of the
    // station in view refuse it. Refused or not, the whole word is written
    // to the interface again and the click sounds; the lamp follows the
    // word. With Feedback::Box a refusal is shown in the refusal box. A
    // button press is setOutput(i, !isOn(i)). An index outside 0..7, or a
    // program being left, changes and writes nothing.
    outputs::Refusal setOutput(int i, bool on, Feedback feedback = Feedback::Box);

    // Every output off: the word 0 is written and the lamps go grey.
    void resetAll();
    // While the link is lost the lamps go on following the word, but the
    // device may hold something else: they are marked as not current.
    void setCurrent(bool current);
    bool isCurrent() const { return m_current; }
    // The emergency-stop button's path: resetAll(), then `emergencyReset`.
    void emergencyStop();

  signals:
    // The emergency stop switched everything off.
    void emergencyReset();

  private:
    // The lamps follow the word, whoever changed it.
    void showWord(int word);

    Controls m_c;
    outputs::OutputSwitch m_switch;
    iface::DrivenElsewhere* m_driven = nullptr;
    bool m_current = true;
};
