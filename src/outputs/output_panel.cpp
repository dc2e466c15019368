#include "outputs/output_panel.h"

#include "controls/controls.h"
#include "controls/palette.h"
#include "interface_link/easyport_control.h"
#include "platform/services.h"
#include "station/station_state.h"

OutputPanel::OutputPanel(const Controls& controls, iface::EasyPortControl* port,
                         const station::StationState& station, std::function<int()> inputWord,
                         std::function<bool()> ending, QObject* parent)
    : QObject(parent), m_c(controls), m_port(port), m_station(station),
      m_inputWord(std::move(inputWord)), m_ending(std::move(ending))
{
    for (int i = 0; i < 8; ++i)
        connect(m_c.buttons[i], &QAbstractButton::clicked, this,
                [this, i] { setOutput(i, !isOn(i)); });
    // Only the pupil's own Noodstop (button or Esc) holds the outputs of an
    // interface that others drive; a plan's reset does not.
    connect(m_c.reset, &QAbstractButton::clicked, this, [this] {
        emergencyStop();
        m_port->emergencyStop();
    });
    connect(m_port, &iface::EasyPortControl::OutputsDriven, this, &OutputPanel::showDriven);
}

void OutputPanel::setLamp(int i, bool on)
{
    m_c.lamps[i]->setFillColor(on ? ctl::KleurLampAan : ctl::KleurLampUit);
}

outputs::Refusal OutputPanel::setOutput(int i, bool on, Feedback feedback)
{
    if (i < 0 || i > 7 || m_ending())
        return outputs::Refusal::None;
    // While a PLC drives the outputs nothing is written, not even the word again.
    if (const QString busy = m_port->outputsRefusal(); !busy.isEmpty()) {
        if (feedback == Feedback::Box)
            platform::messages().show(m_c.boxParent, {QString(), busy, platform::MessageButtons::Ok,
                                                      platform::MessageIcon::None});
        return outputs::Refusal::OutputsDrivenElsewhere;
    }
    const outputs::Refusal why =
        outputs::interlock(m_station.current(), i, on, m_inputWord(), m_word);
    if (why == outputs::Refusal::None) {
        m_word = on ? (m_word | (1 << i)) : (m_word & ~(1 << i));
        setLamp(i, on);
    } else if (feedback == Feedback::Box) {
        platform::messages().show(m_c.boxParent,
                                  {outputs::refusalTitle(), outputs::refusalText(why),
                                   platform::MessageButtons::Ok, platform::MessageIcon::None});
    }
    if (m_ending())
        return why; // the window was closed while the box was open: outputs are off
    // Refused or not, the device gets the whole word again.
    m_port->WriteOutputs(qint16(m_word));
    platform::playSound(QStringLiteral("Klik 01.wav"));
    return why;
}

void OutputPanel::resetAll()
{
    m_word = 0;
    m_port->WriteOutputs(qint16(m_word));
    for (int i = 0; i < 8; ++i)
        setLamp(i, false);
}

void OutputPanel::setCurrent(bool current)
{
    m_current = current;
    for (ctl::Shape* lamp : m_c.lamps)
        lamp->setStale(!current);
}

void OutputPanel::showDriven(qint32 word)
{
    m_word = int(word & 0xFF);
    for (int i = 0; i < 8; ++i)
        setLamp(i, outputs::bitSet(m_word, i));
}

void OutputPanel::emergencyStop()
{
    resetAll();
    emit emergencyReset();
}
