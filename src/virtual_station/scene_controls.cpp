#include "virtual_station/scene_controls.h"

#include "controls/accessible_controls.h"
#include "station/station_data.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

namespace virt
{

SceneControl::SceneControl(QWidget* parent, Hit hit, const QString& name)
    : QAbstractButton(parent), m_hit(hit)
{
    setText(name);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SceneControl::setValue(const QString& value)
{
    if (value == m_value)
        return;
    m_value = value;
    QAccessibleValueChangeEvent changed(this, value);
    QAccessible::updateAccessibility(&changed);
}

void SceneControl::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    QPainter p(this);
    p.setPen(QPen(QColor(0x00, 0x3c, 0x8f), 2, Qt::DashLine));
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void SceneControl::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

QString sensorState(bool on, Force force)
{
    QString state = on ? QStringLiteral("aan") : QStringLiteral("uit");
    const QString forced = forceLabel(force);
    if (!forced.isEmpty())
        state += QStringLiteral(", ") + forced;
    return state;
}

QString buttonDescription(Action action)
{
    switch (action) {
    case Action::PlaceMetal:
        return QStringLiteral("Legt een metalen bakje op de band");
    case Action::PlacePlastic:
        return QStringLiteral("Legt een kunststof bakje op de band");
    case Action::ClearBelt:
        return QStringLiteral("Haalt alle bakjes van de band");
    case Action::Refill:
        return QStringLiteral("Vult het magazijn met deksels");
    case Action::ForceInput:
    case Action::None:
        break;
    }
    return QString();
}

} // namespace virt

namespace virt
{

QString pointName(bool input, int index, const QString& name)
{
    const QString generic =
        input ? station::genericInputName(index) : station::genericOutputName(index);
    return name == generic ? generic : generic + QLatin1Char(' ') + name;
}

QVector<Indicator> indicators(const SceneLayout& l, const Pose& pose, quint8 outputs)
{
    QVector<Indicator> out;
    for (const OutputSpot& o : l.outputs) {
        Indicator i;
        i.area = QRectF(o.lamp - QPointF(12, 12), QSizeF(24, 24)).united(o.label);
        i.name = pointName(false, o.output, o.name);
        i.lamp = true;
        i.lit = outputs & (1u << o.output);
        i.value = i.lit ? QStringLiteral("aan") : QStringLiteral("uit");
        out.append(i);
    }
    const auto counter = [&out](QRectF area, const QString& name, int n) {
        // Read as it is written on the screen, the number in the name.
        out.append(Indicator{area, QStringLiteral("%1: %2").arg(name).arg(n), QString()});
    };
    if (l.station == station::Station::StapelMagazijn) {
        counter(QRectF(260, 650, 200, 30), QStringLiteral("In magazijn"), pose.lidsInMagazine);
        counter(QRectF(560, 650, 240, 30), QStringLiteral("Afgeleverd"), pose.lidsDelivered);
    }
    if (l.conveyorX >= 0)
        counter(QRectF(l.conveyorX + geo::DiverterX + 130, 600, 70, 36),
                QStringLiteral("Bakjes in de bak"), pose.partsInSlide);
    if (l.handlingX >= 0) {
        const double bx = l.handlingX + geo::BackX;
        counter(QRectF(bx - 110, 600, 220, 30), QStringLiteral("Afgelegd"), pose.partsDelivered);
        counter(QRectF(bx - 110, 650, 220, 30), QStringLiteral("Gevallen"), pose.partsDropped);
    }
    return out;
}

SceneIndicator::SceneIndicator(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SceneIndicator::setIndicator(const Indicator& indicator)
{
    const Indicator before = m_indicator;
    m_indicator = indicator;
    if (indicator.name != before.name)
        setAccessibleName(indicator.name);
    if (indicator.lamp && indicator.lit != before.lit) {
        QAccessible::State checked;
        checked.checked = true;
        QAccessibleStateChangeEvent changed(this, checked);
        QAccessible::updateAccessibility(&changed);
    }
    if (indicator.value != before.value) {
        QAccessibleValueChangeEvent changed(this, indicator.value);
        QAccessible::updateAccessibility(&changed);
    }
}

namespace
{

class SceneAccessible : public QAccessibleWidget
{
  public:
    SceneAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    QAccessible::Role role() const override
    {
        if (const auto* i = qobject_cast<const SceneIndicator*>(widget()))
            return i->indicator().lamp ? QAccessible::CheckBox : QAccessible::StaticText;
        return QAccessibleWidget::role();
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (const auto* i = qobject_cast<const SceneIndicator*>(widget());
            i && i->indicator().lamp) {
            // The pupil reads a lamp; only the station switches it.
            s.checkable = true;
            s.checked = i->indicator().lit;
            s.readOnly = true;
        }
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) {
            if (const auto* i = qobject_cast<const SceneIndicator*>(widget()))
                return i->indicator().value;
            if (const auto* c = qobject_cast<const SceneControl*>(widget()))
                return c->value();
        }
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            if (const auto* c = qobject_cast<const SceneControl*>(widget()))
                return c->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        if (qobject_cast<const SceneControl*>(widget()))
            return QStringList{pressAction()} << QAccessibleWidget::actionNames();
        return QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override
    {
        if (auto* c = qobject_cast<SceneControl*>(widget()); c && name == pressAction())
            c->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

// The station window reads its children as they lie on the screen, not in
// the order they were made (the buttons of the title row first).
class StationWindowAccessible : public QAccessibleWidget
{
  public:
    explicit StationWindowAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}

    int childCount() const override { return int(children().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> all = children();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index])
                                                : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(children().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

  private:
    QList<QWidget*> children() const
    {
        return ctl::readingOrder(widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    }
};

QAccessibleInterface* sceneFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (className == QLatin1String("virt::SceneControl"))
        return new SceneAccessible(w, QAccessible::Button);
    if (className == QLatin1String("virt::SceneIndicator"))
        return new SceneAccessible(w, QAccessible::StaticText);
    if (className == QLatin1String("virt::VirtualStationWindow"))
        return new StationWindowAccessible(w);
    return nullptr;
}

} // namespace

void installSceneAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(sceneFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace virt
