#include "virtual_station/scene_controls.h"

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
