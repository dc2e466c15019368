#include "outputs/output_panel.h"

#include "controls/controls.h"
#include "controls/palette.h"
#include "interface_link/capabilities.h"
#include "interface_link/connection_panel.h"
#include "platform/services.h"

OutputPanel::OutputPanel(const Controls& controls, iface::EasyPortControl* port,
                         const station::StationState& station, const ConnectionPanel& link,
                         std::shared_ptr<const platform::Ending> ending, QObject* parent)
    : QObject(parent), m_c(controls),
      m_switch(
          port, station, [&link] { return link.interlockWord(); }, std::move(ending))
{
    for (int i = 0; i < 8; ++i)
        connect(m_c.buttons[i], &QAbstractButton::clicked, this,
                [this, i] { setOutput(i, !isOn(i)); });
    // Only the pupil's own Noodstop (button or Esc) holds the outputs of an
    // interface that others drive; a plan's reset does not.
    connect(m_c.reset, &QAbstractButton::clicked, this, [this] {
        emergencyStop();
        if (m_driven)
            m_driven->emergencyStop();
    });
    connect(&m_switch, &outputs::OutputSwitch::wordChanged, this, &OutputPanel::showWord);
    connect(&link, &ConnectionPanel::outputsOffAtDevice, this, &OutputPanel::resetAll);
    connect(&link, &ConnectionPanel::outputsCurrentChanged, this, &OutputPanel::setCurrent);
}

void OutputPanel::setDrivenElsewhere(iface::DrivenElsewhere* driven)
{
    m_driven = driven;
    m_switch.setDrivenElsewhere(driven);
}

void OutputPanel::showWord(int word)
{
    for (int i = 0; i < 8; ++i)
        m_c.lamps[i]->setFillColor(outputs::bitSet(word, i) ? ctl::KleurLampAan
                                                            : ctl::KleurLampUit);
}

outputs::Refusal OutputPanel::setOutput(int i, bool on, Feedback feedback)
{
    outputs::OutputSwitch::Tell box;
    if (feedback == Feedback::Box)
        box = [this](outputs::Refusal why, const QString& text) {
            // The PLC's sentence stands alone; an interlock has its own title.
            const QString title = why == outputs::Refusal::OutputsDrivenElsewhere
                                      ? QString()
                                      : outputs::refusalTitle();
            platform::messages().show(m_c.boxParent, {title, text, platform::MessageButtons::Ok,
                                                      platform::MessageIcon::None});
        };
    return m_switch.setOutput(i, on, box);
}

void OutputPanel::resetAll()
{
    m_switch.resetAll();
}

void OutputPanel::setCurrent(bool current)
{
    m_current = current;
    for (ctl::Shape* lamp : m_c.lamps)
        lamp->setStale(!current);
}

void OutputPanel::emergencyStop()
{
    resetAll();
    emit emergencyReset();
}
