#include "app/hold_banner.h"

#include "interface_link/capabilities.h"

#include <QAccessible>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace app
{

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
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Noodstop_HoudtTekst"));
    m_label->setWordWrap(true);
    m_release = new QPushButton(QStringLiteral("Noodstop opheffen"), this);
    m_release->setObjectName(QStringLiteral("Noodstop_Opheffen"));
    layout->addWidget(m_label, 1);
    layout->addWidget(m_release);
    connect(m_release, &QPushButton::clicked, &m_driven, &iface::DrivenElsewhere::releaseHold);
    connect(&m_driven, &iface::DrivenElsewhere::statusChanged, this, &HoldBanner::follow);
    connect(&m_driven, &iface::DrivenElsewhere::holdChanged, this, &HoldBanner::follow);
    connect(&m_driven, &iface::DrivenElsewhere::waitingForAllOffChanged, this, &HoldBanner::follow);
    m_anchor->installEventFilter(this);
    hide();
    follow();
}

QString HoldBanner::text() const
{
    return m_label->text();
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
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(6, 3, 6, 3);
    auto* label = new QLabel(driven.statusText(), bar);
    label->setObjectName(QStringLiteral("PLC_Status"));
    auto* release = new QPushButton(QStringLiteral("Noodstop opheffen"), bar);
    release->setObjectName(QStringLiteral("PLC_NoodstopOpheffen"));
    release->setFocusPolicy(Qt::NoFocus);
    release->setEnabled(driven.isHeld());
    layout->addWidget(label, 1);
    layout->addWidget(release);
    QObject::connect(&driven, &iface::DrivenElsewhere::statusChanged, label, &QLabel::setText);
    QObject::connect(&driven, &iface::DrivenElsewhere::holdChanged, release,
                     &QPushButton::setEnabled);
    QObject::connect(release, &QPushButton::clicked, &driven, &iface::DrivenElsewhere::releaseHold);
    return bar;
}

} // namespace app
