#pragma once

#include "controls/controls.h"
#include "fullscreen/fit.h"

#include <QPointer>
#include <QSizeF>
#include <QWidget>

class Main;

// The active station's numbered picture over the whole screen, with the
// description window on top. Opened from the station picture of the main
// window; the description window closes it again. All its work happens when
// it becomes active; positions and sizes are worked out in pixels.
class Full_Screen : public QWidget
{
    Q_OBJECT
  public:
    explicit Full_Screen(Main* main);

    // Shows the window maximised and brings it to the front.
    void open();

    // Where the picture was last placed, in pixels (fractional).
    fs::Placement placement() const { return m_placement; }
    // The measured size of the picture in pixels; empty when none loaded.
    QSizeF measured() const { return m_measured; }

    ctl::Image* Image_Show_Fullscreen{};
    ctl::Image* Picture_Measure_Size{}; // hidden; takes the picture's own size

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void Form_Activate();
    void place();

    QPointer<Main> m_main;
    bool m_activated = false; // the activation steps ran for this showing
    QSizeF m_measured;
    fs::Placement m_placement;
};
