#pragma once

#include "controls/controls.h"
#include "fullscreen/fit.h"

#include <QPointer>
#include <QSizeF>
#include <QWidget>
#include <memory>

namespace platform
{
class Ending;
}

namespace station
{
class StationState;
}

// The station's numbered picture over the whole screen, with the
// description window on top. Opened from the station picture of the main
// window; the description window's "Sluiten", Esc and a click on the picture
// close it again. All its work happens when it becomes active; positions and
// sizes are worked out in pixels.
class Full_Screen : public QWidget
{
    Q_OBJECT
  public:
    // Once `ending` has started (the program is being left) the window
    // does nothing more.
    Full_Screen(QWidget* mainWindow, const station::StationState& state,
                std::shared_ptr<const platform::Ending> ending);

    // The description window that belongs to this one: while it is open a
    // new activation changes nothing.
    void setDescriptionWindow(QWidget* description) { m_description = description; }

    // Shows the window maximised and brings it to the front.
    void open();

    // Where the picture was last placed, in pixels (fractional).
    fs::Placement placement() const { return m_placement; }
    // The measured size of the picture in pixels; empty when none loaded.
    QSizeF measured() const { return m_measured; }

    ctl::Image* Image_Show_Fullscreen{};
    ctl::Image* Picture_Measure_Size{}; // hidden; takes the picture's own size

  signals:
    // The picture is in place: the description window is to open.
    void descriptionWanted();
    // The window was closed by the system while the description was open.
    void closedWhileDescribing();
    // The pupil pressed Esc or clicked the picture: both windows are to
    // close, as with "Sluiten".
    void closeRequested();

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    void Form_Activate();
    void place();

    QPointer<QWidget> m_main;
    const station::StationState& m_state;
    std::shared_ptr<const platform::Ending> m_ending;
    QPointer<QWidget> m_description;
    bool m_activated = false; // the activation steps ran for this showing
    QSizeF m_measured;
    fs::Placement m_placement;
};
