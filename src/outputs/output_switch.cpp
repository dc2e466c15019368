#include "outputs/output_switch.h"

#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "platform/ending.h"
#include "platform/services.h"
#include "station/station_state.h"

namespace outputs
{

OutputSwitch::OutputSwitch(iface::EasyPortControl* port, const station::StationState& station,
                           std::function<int()> inputWord,
                           std::shared_ptr<const platform::Ending> ending, QObject* parent)
    : QObject(parent), m_port(port), m_station(station), m_inputWord(std::move(inputWord)),
      m_ending(std::move(ending))
{
}

void OutputSwitch::setDrivenElsewhere(iface::DrivenElsewhere* driven)
{
    if (m_driven)
        disconnect(m_driven, nullptr, this, nullptr);
    m_driven = driven;
    if (m_driven)
        connect(m_driven, &iface::DrivenElsewhere::outputsDriven, this, &OutputSwitch::showDriven);
}

QString OutputSwitch::drivenRefusal() const
{
    return m_driven ? m_driven->outputsRefusal() : QString();
}

Refusal OutputSwitch::outputsRefusal() const
{
    return drivenRefusal().isEmpty() ? Refusal::None : Refusal::OutputsDrivenElsewhere;
}

Refusal OutputSwitch::setOutput(int i, bool on, const Tell& tell)
{
    if (i < 0 || i > 7 || m_ending->isStarted())
        return Refusal::None;
    // While a PLC drives the outputs nothing is written, not even the word again.
    if (!drivenRefusal().isEmpty()) {
        if (tell)
            tell(Refusal::OutputsDrivenElsewhere, refusalText(Refusal::OutputsDrivenElsewhere));
        return Refusal::OutputsDrivenElsewhere;
    }
    const Refusal why = interlock(m_station.current(), i, on, m_inputWord(), m_word);
    if (why == Refusal::None)
        setWord(on ? (m_word | (1 << i)) : (m_word & ~(1 << i)));
    else if (tell)
        tell(why, refusalText(why));
    if (m_ending->isStarted())
        return why; // the program was left while the refusal was shown: outputs are off
    // Refused or not, the device gets the whole word again.
    m_port->WriteOutputs(qint16(m_word));
    platform::playSound(QStringLiteral("Klik 01.wav"));
    emit switched(i, on, why);
    return why;
}

void OutputSwitch::resetAll()
{
    m_word = 0;
    m_port->WriteOutputs(qint16(m_word));
    emit wordChanged(m_word);
}

void OutputSwitch::setWord(int word)
{
    if (word == m_word)
        return;
    m_word = word;
    emit wordChanged(m_word);
}

void OutputSwitch::showDriven(qint32 word)
{
    m_word = int(word & 0xFF);
    emit wordChanged(m_word);
}

} // namespace outputs
