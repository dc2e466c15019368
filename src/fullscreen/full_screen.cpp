#include "fullscreen/full_screen.h"

#include "description/beschrijving.h"
#include "description/description_tables.h"
#include "platform/ending.h"
#include "platform/services.h"
#include "station/station_state.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

using ctl::kTwipsPerPixel;

Full_Screen::Full_Screen(QWidget* mainWindow, const station::StationState& state,
                         std::shared_ptr<const platform::Ending> ending)
    : QWidget(mainWindow, Qt::Window), m_main(mainWindow), m_state(state),
      m_ending(std::move(ending))
{
    setObjectName(QStringLiteral("Full_Screen"));
    setWindowTitle(mainWindow ? mainWindow->windowTitle() : QString());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    Picture_Measure_Size = new ctl::Image(this);
    Picture_Measure_Size->setObjectName(QStringLiteral("Picture_Measure_Size"));
    Picture_Measure_Size->setVisibleProp(false);

    Image_Show_Fullscreen = new ctl::Image(this);
    Image_Show_Fullscreen->setObjectName(QStringLiteral("Image_Show_Fullscreen"));
    // Design size until the first fit.
    Image_Show_Fullscreen->setTwipGeometry(0, 0, 3045, 1785);
    connect(Image_Show_Fullscreen, &ctl::Image::Click, this, &Full_Screen::closeRequested);
}

void Full_Screen::open()
{
    // Take the whole screen's room at once; the window manager's maximising
    // may come only later.
    if (!isVisible())
        if (const QScreen* s = screen())
            setGeometry(s->availableGeometry());
    showMaximized();
    raise();
    activateWindow();
    // Showing opened the description already; it must end up in front of
    // the picture, not behind it.
    if (m_description && m_description->isVisible()) {
        m_description->raise();
        m_description->activateWindow();
    }
}

bool Full_Screen::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        Form_Activate();
        // Where the window manager does not keep the description on top,
        // the picture coming forward must not hide it.
        if (m_description && m_description->isVisible())
            m_description->raise();
    }
    // Esc stays the Noodstop: the override is only watched, never taken, and
    // the windows close once the stop has run.
    if (desc::isPlainEscape(e))
        QTimer::singleShot(0, this, &Full_Screen::closeRequested);
    return QWidget::event(e);
}

void Full_Screen::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit closeRequested();
}

void Full_Screen::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // Activation is not delivered everywhere (offscreen, some window
    // managers); showing counts as the first activation.
    Form_Activate();
}

void Full_Screen::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    if (!e->spontaneous())
        m_activated = false;
}

void Full_Screen::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    // The window manager may maximise the window only after it was shown:
    // fit again to the size it really got.
    if (m_activated)
        place();
}

void Full_Screen::closeEvent(QCloseEvent* e)
{
    // Closing this window by the system leaves the description alone on
    // the screen unless it closes the way the description does.
    if (m_description && m_description->isVisible() && m_main && !m_ending->isStarted())
        emit closedWhileDescribing();
    e->accept();
}

void Full_Screen::Form_Activate()
{
    if (!m_main || m_ending->isStarted() || !isVisible())
        return;
    // While the description is open, a new activation changes nothing.
    if (m_activated || (m_description && m_description->isVisible()))
        return;
    const station::Station station = m_state.current();
    if (!desc::isDescribed(station))
        return; // only the three single stations have a numbered picture
    m_activated = true;

    const QString name = desc::stationPicture(station);
    m_measured = QSizeF();
    if (Image_Show_Fullscreen->setPicture(platform::resolvedPicture(name))) {
        // The measuring box takes the picture's own size.
        Picture_Measure_Size->setPicture(platform::resolvedPicture(name));
        const QSize natural = Picture_Measure_Size->picture().size();
        Picture_Measure_Size->setTwipGeometry(0, 0, natural.width() * kTwipsPerPixel,
                                              natural.height() * kTwipsPerPixel);
        m_measured = QSizeF(Picture_Measure_Size->Width() / kTwipsPerPixel,
                            Picture_Measure_Size->Height() / kTwipsPerPixel);
    } else {
        // Missing or unreadable (already logged): an empty picture.
        Picture_Measure_Size->clearPicture();
        Picture_Measure_Size->setTwipGeometry(0, 0, 0, 0);
    }
    place();
    emit descriptionWanted();
}

void Full_Screen::place()
{
    // The picture lives in the client area, so that is the room it gets.
    m_placement = fs::fitPicture(width(), height(), m_measured.width(), m_measured.height());
    Image_Show_Fullscreen->setTwipGeometry(
        m_placement.left * kTwipsPerPixel, m_placement.top * kTwipsPerPixel,
        m_placement.width * kTwipsPerPixel, m_placement.height * kTwipsPerPixel);
}
