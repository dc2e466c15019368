#include "controls/accessible_controls.h"

#include "controls/controls.h"

#include <QAccessibleWidget>

namespace ctl
{

namespace
{

class AccessibleControl : public QAccessibleWidget
{
  public:
    AccessibleControl(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    QAccessible::Role role() const override
    {
        // An empty picture box is only a coloured background.
        if (const auto* box = qobject_cast<const PictureBox*>(widget()))
            return box->printed().isEmpty() ? QAccessible::Client : QAccessible::StaticText;
        // A shape is a lamp once it is named after what it shows; else it
        // is only a background.
        if (qobject_cast<const Shape*>(widget()) && widget()->accessibleName().isEmpty())
            return QAccessible::Client;
        return QAccessibleWidget::role();
    }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (!own.isEmpty())
            return own;
        if (t == QAccessible::Name) {
            if (const auto* frame = qobject_cast<const Frame*>(widget()))
                return frame->Caption().trimmed();
            if (const auto* label = qobject_cast<const Label*>(widget()))
                return label->Caption();
        }
        if (t == QAccessible::Description) {
            if (const auto* box = qobject_cast<const PictureBox*>(widget())) {
                QStringList lines;
                for (const PrintedText& p : box->printed())
                    lines.append(p.text);
                return lines.join(QLatin1Char('\n'));
            }
        }
        return own;
    }
};

QAccessibleInterface* controlFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (className == QLatin1String("ctl::Frame"))
        return new AccessibleControl(w, QAccessible::Grouping);
    if (className == QLatin1String("ctl::Label"))
        return new AccessibleControl(w, QAccessible::StaticText);
    if (className == QLatin1String("ctl::PictureBox"))
        return new AccessibleControl(w, QAccessible::StaticText);
    if (className == QLatin1String("ctl::Image"))
        return new AccessibleControl(w, QAccessible::Graphic);
    if (className == QLatin1String("ctl::Shape"))
        return new AccessibleControl(w, QAccessible::Indicator);
    return nullptr;
}

} // namespace

void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace ctl
