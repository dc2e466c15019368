#include "app/hold_banner.h"

#include "interface_link/capabilities.h"

#include <QAccessible>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace app
{

namespace
{

struct StatusRow {
    QLabel* label;
    QPushButton* release;
};

// The PLC's status line and the hold's release button, in a row of `host`.
StatusRow statusRow(QWidget* host, iface::DrivenElsewhere& driven, const QMargins& margins,
                    const QString& labelName, const QString& buttonName)
{
    auto* layout = new QHBoxLayout(host);
    layout->setContentsMargins(margins);
    auto* label = new QLabel(driven.statusText(), host);
    label->setObjectName(labelName);
    auto* release = new QPushButton(QStringLiteral("Noodstop opheffen"), host);
    release->setObjectName(buttonName);
    release->setEnabled(driven.isHeld());
    layout->addWidget(label, 1);
    layout->addWidget(release);
    QObject::connect(release, &QPushButton::clicked, &driven, &iface::DrivenElsewhere::releaseHold);
    return {label, release};
}

} // namespace

HoldBanner::HoldBanner(iface::DrivenElsewhere& driven, QWidget* anchor, QWidget* window)
    : QFrame(window), m_driven(driven), m_anchor(anchor)
{
    setObjectName(QStringLiteral("Noodstop_Houdt"));
    setAccessibleName(QStringLiteral("Noodstop houdt de uitgangen uit"));
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 236, 160));
    p.setColor(QPalette::WindowText, QColor(120, 0, 0));
    setPalette(p);
    const StatusRow row =
        statusRow(this, m_driven, QMargins(8, 4, 8, 4), QStringLiteral("Noodstop_HoudtTekst"),
                  QStringLiteral("Noodstop_Opheffen"));
    m_label = row.label;
    m_label->setWordWrap(true);
    m_release = row.release;
    connect(&m_driven, &iface::DrivenElsewhere::statusChanged, this, &HoldBanner::follow);
    connect(&m_driven, &iface::DrivenElsewhere::holdChanged, this, &HoldBanner::follow);
    connect(&m_driven, &iface::DrivenElsewhere::waitingForAllOffChanged, this, &HoldBanner::follow);
    m_anchor->installEventFilter(this);
    hide();
    follow();
}

QWidget* HoldBanner::releaseButton() const
{
    return m_release;
}

void HoldBanner::follow()
{
    // Held, or released but the outputs wait for the PLC's all-off word.
    const bool held = m_driven.isHeld();
    const bool shown = held || m_driven.isWaitingForAllOff();
    m_label->setText(m_driven.statusText());
    setAccessibleDescription(m_driven.statusText());
    m_release->setEnabled(held);
    if (shown == isVisible())
        return;
    setVisible(shown);
    if (shown) {
        place();
        raise();
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void HoldBanner::place()
{
    // Over the lower half of the anchor, whatever size the window scaled it to.
    const QRect a(m_anchor->mapTo(parentWidget(), QPoint(0, 0)), m_anchor->size());
    setGeometry(a.x(), a.y() + a.height() / 2, a.width(), a.height() - a.height() / 2);
}

bool HoldBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_anchor && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    return QFrame::eventFilter(watched, event);
}

QWidget* makeStatusBar(iface::DrivenElsewhere& driven, QWidget* parent)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("PLC_Balk"));
    bar->setAutoFillBackground(true);
    const StatusRow row = statusRow(bar, driven, QMargins(6, 3, 6, 3), QStringLiteral("PLC_Status"),
                                    QStringLiteral("PLC_NoodstopOpheffen"));
    row.release->setFocusPolicy(Qt::NoFocus);
    QObject::connect(&driven, &iface::DrivenElsewhere::statusChanged, row.label, &QLabel::setText);
    QObject::connect(&driven, &iface::DrivenElsewhere::holdChanged, row.release,
                     &QPushButton::setEnabled);
    return bar;
}

} // namespace app
