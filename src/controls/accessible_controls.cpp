#include "controls/accessible_controls.h"

#include "controls/controls.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

#include <algorithm>

namespace ctl
{

QList<QWidget*> readingOrder(QList<QWidget*> widgets)
{
    // A hidden widget keeps whatever place it had, or none a layout gave it.
    const auto hidden = std::stable_partition(widgets.begin(), widgets.end(),
                                              [](const QWidget* w) { return !w->isHidden(); });
    QList<QWidget*> ordered;
    ordered.reserve(widgets.size());
    const QList<QWidget*> left(hidden, widgets.end());
    widgets.erase(hidden, widgets.end());
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    auto rowStart = widgets.begin();
    while (rowStart != widgets.end()) {
        const int rowEnd = (*rowStart)->y() + std::max(1, (*rowStart)->height() / 4);
        auto rowStop = std::find_if(rowStart, widgets.end(),
                                    [rowEnd](const QWidget* w) { return w->y() >= rowEnd; });
        QList<QWidget*> row(rowStart, rowStop);
        std::stable_sort(row.begin(), row.end(),
                         [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        ordered.append(row);
        rowStart = rowStop;
    }
    ordered.append(left);
    return ordered;
}

namespace
{

// A background a screen reader has nothing to say about.
bool isDecoration(QAccessibleInterface* a)
{
    const QAccessible::Role r = a->role();
    return (r == QAccessible::Client || r == QAccessible::Grouping ||
            r == QAccessible::StaticText) &&
           a->childCount() == 0 && a->text(QAccessible::Name).trimmed().isEmpty() &&
           a->text(QAccessible::Description).trimmed().isEmpty();
}

class AccessibleControl : public QAccessibleWidget
{
  public:
    AccessibleControl(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    QAccessible::Role role() const override
    {
        // An empty picture box is only a coloured background.
        if (const auto* box = qobject_cast<const PictureBox*>(widget()))
            return box->printed().isEmpty() ? QAccessible::Client : QAccessible::StaticText;
        if (const auto* shape = qobject_cast<const Shape*>(widget())) {
            if (shape->isLamp())
                return QAccessible::CheckBox;
            // A shape is an indicator once it is named after what it shows;
            // else it is only a background.
            if (widget()->accessibleName().isEmpty())
                return QAccessible::Client;
        }
        return QAccessibleWidget::role();
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (const auto* shape = qobject_cast<const Shape*>(widget()); shape && shape->isLamp()) {
            // The pupil reads a lamp; only the device switches it.
            s.checkable = true;
            s.checked = shape->isLit();
            s.readOnly = true;
        }
        return s;
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

    // The children in reading order: the order in which controls are
    // stacked is the order their drawing needs, not the order they are read.
    int childCount() const override { return int(children().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QAccessibleInterface*> all = children();
        return index >= 0 && index < all.size() ? all.at(index) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        const QList<QAccessibleInterface*> all = children();
        for (int i = 0; i < all.size(); ++i)
            if (all.at(i)->object() == child->object())
                return i;
        return -1;
    }

  private:
    QList<QAccessibleInterface*> children() const
    {
        QList<QWidget*> widgets;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* c = QAccessibleWidget::child(i);
            if (c && c->object() && c->object()->isWidgetType() && !isDecoration(c))
                widgets.append(static_cast<QWidget*>(c->object()));
        }
        QList<QAccessibleInterface*> ordered;
        for (QWidget* w : readingOrder(widgets))
            ordered.append(QAccessible::queryAccessibleInterface(w));
        return ordered;
    }
};

// Qt names a combo box by its current choice on this platform; a screen
// reader then says "blijft" where the pupil needs to hear which output. The
// choice is the box's value and its (read-only) text: AT-SPI carries no
// value that is not a number, so a reader finds the choice as the text.
class NamedComboBox : public QAccessibleWidget, public QAccessibleTextInterface
{
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return box()->currentText();
        if (t == QAccessible::Name) {
            // A label "Station:" names the box "Station".
            QString name = own.trimmed();
            if (name.endsWith(QLatin1Char(':')))
                name.chop(1);
            return name;
        }
        return own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        return s;
    }

    int childCount() const override { return box()->view() ? 1 : 0; }

    QAccessibleInterface* child(int index) const override
    {
        return index == 0 && box()->view() ? QAccessible::queryAccessibleInterface(box()->view())
                                           : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && box()->view() && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }

    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

    // The text: the current choice, nothing to select or edit in it.
    QString text(int start, int end) const override
    {
        const QString all = box()->currentText();
        if (end < 0 || end > all.size())
            end = int(all.size());
        start = std::clamp(start, 0, end);
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(box()->currentText().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

// A push button named by its caption. One made checkable stays marked while
// its choice holds (the station in view): still a push button, as it looks
// and acts, that reads checked while marked.
class CommandButtonAccess : public QAccessibleWidget
{
  public:
    explicit CommandButtonAccess(QAbstractButton* b) : QAccessibleWidget(b, QAccessible::PushButton)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return button()->text();
        return own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        if (button()->isCheckable()) {
            s.checkable = true;
            s.checked = button()->isChecked();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (button()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& name) override
    {
        if (name == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
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
    if (className == QLatin1String("ctl::CommandButton"))
        return new CommandButtonAccess(static_cast<QAbstractButton*>(w));
    if (className == QLatin1String("QComboBox") && !static_cast<QComboBox*>(w)->isEditable())
        return new NamedComboBox(static_cast<QComboBox*>(w));
    // Qt makes a plain widget a "filler" even when it is a window of its own.
    if (className == QLatin1String("QWidget") &&
        (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
        return new QAccessibleWidget(w, QAccessible::Window);
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
