#include "component_figure/component_panel.h"

#include "component_figure/figure_tables.h"
#include "controls/controls.h"
#include "controls/palette.h"
#include "platform/services.h"
#include "station/station_data.h"
#include "station/station_state.h"

namespace
{

constexpr int kFirstInput = 8;
constexpr int kLastPoint = 15;

} // namespace

ComponentPanel::ComponentPanel(const Controls& controls, const station::StationState& state,
                               QObject* parent)
    : QObject(parent), m_c(controls), m_state(state)
{
    for (int i = 0; i < 8; ++i) {
        m_c.outputs[i]->setMouseTracking(true);
        connect(m_c.outputs[i], &ctl::CommandButton::MouseMove, this,
                [this, i] { outputHovered(i); });
        m_c.inputLabels[i]->setMouseTracking(true);
        connect(m_c.inputLabels[i], &ctl::Label::MouseMove, this, [this, i] { inputHovered(i); });
    }
    connect(m_c.alternation, &ctl::Timer::Tick, this, &ComponentPanel::alternate);
}

void ComponentPanel::show(int index)
{
    if (index < 0 || index > kLastPoint) {
        qCWarning(lcDravik) << "no I/O point" << index;
        return;
    }
    // 1. The point shown before gets back the colour the station in view
    //    gives it (an input's row stays enabled when its input is unused).
    const fig::IoControl old = fig::highlightedControl(m_shown);
    const station::StationData& inViewData = station::data(m_state.current());
    if (old.kind == fig::IoControl::Kind::Output)
        m_c.outputs[old.index]->setBackColor(
            ctl::pointColour(true, inViewData.outputs[old.index].used));
    else if (old.kind == fig::IoControl::Kind::Input)
        m_c.inputRows[old.index]->setBackColor(
            ctl::pointColour(false, inViewData.inputs[old.index].used));
    // 2. The new point is highlighted.
    if (index < kFirstInput)
        m_c.outputs[index]->setBackColor(ctl::KleurLichtblauw);
    else
        m_c.inputRows[index - kFirstInput]->setBackColor(ctl::KleurLichtgroen);

    // 3. The component on the station in view. A picture that cannot be
    //    loaded leaves the image empty (and is logged once by the image).
    const station::Station inView = m_state.current();
    if (!station::isStation(inView)) {
        // The connection panel is one picture for every point: load it once.
        if (m_kind != QLatin1String(fig::kPanelKind)) {
            m_c.picture->setPicture(
                platform::resolvedPicture(QString::fromLatin1(fig::kPanelPicture)));
            m_kind = QString::fromLatin1(fig::kPanelKind);
        }
    } else if (const std::optional<fig::Component> c = fig::componentFor(inView, index)) {
        m_c.picture->setPicture(platform::resolvedPicture(c->picture));
        m_kind = c->kind;
    } else {
        m_c.picture->clearPicture();
        m_kind = QString::fromLatin1(fig::kGenericKind);
    }

    // 4. The frame names the kind.
    if (m_c.frame->Caption() != m_kind)
        m_c.frame->setCaption(m_kind);

    m_shown = index;
}

void ComponentPanel::outputHovered(int i)
{
    if (i == m_shown)
        return;
    show(i);
    // An actuator alternates with its valve.
    m_c.alternation->setEnabledProp(true);
}

void ComponentPanel::inputHovered(int i)
{
    if (i + kFirstInput == m_shown)
        return;
    show(i + kFirstInput);
    m_c.alternation->setEnabledProp(false);
}

void ComponentPanel::alternate()
{
    if (const std::optional<fig::Component> next = fig::alternate(m_kind)) {
        m_c.picture->setPicture(platform::resolvedPicture(next->picture));
        m_kind = next->kind;
    }
    m_c.frame->setCaption(m_kind);
}

void ComponentPanel::stop()
{
    m_c.alternation->setEnabledProp(false);
    m_kind.clear();
}

void ComponentPanel::clear()
{
    m_c.picture->clearPicture();
    m_c.frame->setCaption(QStringLiteral("Sensor / Actuator"));
    m_shown = -1;
}

void ComponentPanel::showGuidedCylinder()
{
    m_c.picture->setPicture(
        platform::resolvedPicture(QString::fromUtf8(station::kGuidedCylinderActuated.picture)));
    m_c.frame->setCaption(QStringLiteral("ADN cilinder."));
    const fig::IoControl shown = fig::highlightedControl(m_shown);
    if (shown.kind == fig::IoControl::Kind::Output)
        m_c.outputs[shown.index]->setBackColor(ctl::KleurNormaal);
    else if (shown.kind == fig::IoControl::Kind::Input)
        m_c.inputRows[shown.index]->setBackColor(ctl::KleurNormaal);
}
