#pragma once

#include "controls/controls.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class QEvent;

namespace platform
{
class Ending;
}

namespace station
{
class StationState;
}

namespace desc
{
// The check for Esc that comes before a shortcut: Esc alone. The picture and
// the description close on it; Esc itself stays the Noodstop.
bool isPlainEscape(const QEvent* e);
} // namespace desc

// The small "Info" window beside the full-screen picture: the pupil picks a
// part number and reads the part's name and purpose, while the full-screen
// picture changes to the version in which that part is marked. Closing it
// ("Sluiten", Esc) closes the full-screen picture too and brings back the
// main window. It stands over the picture (its transient window) and tells a
// screen reader the chosen part's name and purpose.
class Beschrijving : public QWidget
{
    Q_OBJECT
  public:
    // Once `ending` has started (the program is being left) closing shows
    // nothing.
    Beschrijving(QWidget* mainWindow, const station::StationState& state,
                 std::shared_ptr<const platform::Ending> ending);
    // Ending the window object runs the closing steps once more (they
    // change nothing by then), unless the program itself is ending.
    ~Beschrijving() override;

    // Shows the window on top and brings it to the front.
    void open();
    // The closing steps: the full-screen window enabled and hidden, this
    // window hidden, the main window shown.
    void closeAll();
    // The full-screen picture this window closes with it.
    void setPictureWindow(QWidget* picture) { m_picture = picture; }

    ctl::TextBox* Text_Benaming{};
    ctl::TextBox* Text_Info{};
    std::array<ctl::OptionButton*, 12> Option_Nummers{}; // indices 1..11
    ctl::CommandButton* CMD_Close{};

  signals:
    // The pupil chose a part: the full-screen picture is to show `path`.
    void partPictureChosen(const QString& path);

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void Form_Activate();
    void Option_Nummers_Click(int Index);
    void CMD_Close_Click();
    void Form_Unload();
    void Form_Terminate();

    QPointer<QWidget> m_main;
    const station::StationState& m_state;
    std::shared_ptr<const platform::Ending> m_ending;
    QPointer<QWidget> m_picture;
    bool m_mainGone = false;
    bool m_activated = false; // the activation steps ran for this showing
};
