#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QWidget;

namespace iface
{
class DrivenElsewhere;
}

namespace app
{

// The PLC station's Noodstop hold in the main window, as well as in
// "Virtuele opstelling": a strip over the lower half of `anchor` (the
// instruction frame) that is there only while the hold holds, or while the
// outputs wait for the PLC to write them all off after it, with the PLC's
// status line and the release button. No control of the window moves
// or changes its caption; a screen reader hears the strip when it appears.
class HoldBanner : public QFrame
{
    Q_OBJECT

  public:
    HoldBanner(iface::DrivenElsewhere& driven, QWidget* anchor, QWidget* window);

    // "Noodstop opheffen", for the window's tab order.
    QWidget* releaseButton() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void follow();
    void place();

    iface::DrivenElsewhere& m_driven;
    QWidget* m_anchor;
    QLabel* m_label;
    QPushButton* m_release;
};

// The line "Virtuele opstelling" shows about the device that drives the
// outputs too (PLC_Balk), with the hold's release button.
QWidget* makeStatusBar(iface::DrivenElsewhere& driven, QWidget* parent = nullptr);

} // namespace app
