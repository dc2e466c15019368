#include "plain_window.h"

#include "controls/color.h"
#include "main_window/control_table.h"

#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace
{

void paint(QWidget* w, qint64 color, QPalette::ColorRole role)
{
    if (color == mw::kNoColor)
        return;
    QPalette p = w->palette();
    p.setColor(role, ctl::toQColor(ctl::OleColor(color), p));
    w->setPalette(p);
    if (role == QPalette::Window)
        w->setAutoFillBackground(true);
}

} // namespace

std::unique_ptr<QWidget> makePlainWindow()
{
    // The faces the program's fonts stand for here, named the plain way.
    QFont::insertSubstitutions(QStringLiteral("Comic Sans MS"),
                               {QStringLiteral("Comic Neue"), QStringLiteral("Sans Serif")});
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif"));
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Automatiseren voor het VMBO"));
    window->resize(ctl::twipsToPixels(mw::kDesignClientWidth),
                   ctl::twipsToPixels(mw::kDesignClientHeight));
    QHash<QString, QObject*> byName;
    for (const mw::ControlRow& r : mw::mainControlTable()) {
        QObject* parentObject = r.container.isEmpty() ? window.get() : byName.value(r.container);
        auto* parent = qobject_cast<QWidget*>(parentObject);
        QWidget* w = nullptr;
        switch (r.kind) {
        case mw::Kind::Frame:
            if (r.flags & mw::NoBorder)
                w = new QFrame(parent);
            else
                w = new QGroupBox(r.caption, parent);
            paint(w, r.back, QPalette::Window);
            paint(w, r.fore, QPalette::WindowText);
            break;
        case mw::Kind::Button: {
            auto* b = new QPushButton(r.caption, parent);
            b->setToolTip(r.toolTip);
            w = b;
            paint(w, r.back, QPalette::Button);
            break;
        }
        case mw::Kind::Label: {
            auto* l = new QLabel(r.caption, parent);
            l->setWordWrap(true);
            if (r.flags & mw::Centred)
                l->setAlignment(Qt::AlignCenter);
            w = l;
            if (!(r.flags & mw::Transparent))
                paint(w, r.back, QPalette::Window);
            paint(w, r.fore, QPalette::WindowText);
            break;
        }
        case mw::Kind::PictureBox:
        case mw::Kind::Image:
            w = new QLabel(parent);
            paint(w, r.back, QPalette::Window);
            break;
        case mw::Kind::Shape: {
            auto* f = new QFrame(parent);
            f->setFrameShape(QFrame::Box);
            w = f;
            paint(w, r.back, QPalette::Window);
            break;
        }
        case mw::Kind::Timer: {
            auto* t = new QTimer(parentObject);
            t->setInterval(r.interval);
            t->setObjectName(r.name);
            byName.insert(r.name, t);
            continue;
        }
        case mw::Kind::Interface:
            w = new QWidget(parent);
            break;
        }
        w->setObjectName(r.name);
        w->setGeometry(ctl::twipsToPixels(r.left), ctl::twipsToPixels(r.top),
                       ctl::twipsToPixels(r.width), ctl::twipsToPixels(r.height));
        if (!r.fontName.isEmpty()) {
            QFont font(r.fontName);
            font.setPointSizeF(r.fontSize);
            font.setBold(r.flags & mw::Bold);
            w->setFont(font);
        }
        if (r.flags & mw::Hidden)
            w->hide();
        byName.insert(r.name, w);
    }
    return window;
}
