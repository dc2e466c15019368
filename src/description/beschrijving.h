#pragma once

#include "controls/controls.h"

#include <QPointer>
#include <QWidget>
#include <array>

class Main;

// The small "Info" window beside the full-screen picture: the pupil picks a
// part number and reads the part's name and purpose, while the full-screen
// picture changes to the version in which that part is marked. Closing it
// closes the full-screen picture too and brings back the main window.
class Beschrijving : public QWidget
{
    Q_OBJECT
  public:
    explicit Beschrijving(Main* main);
    // Ending the window object runs the closing steps once more (they
    // change nothing by then), unless the program itself is ending.
    ~Beschrijving() override;

    // Shows the window on top and brings it to the front.
    void open();
    // The closing steps: the full-screen window enabled and hidden, this
    // window hidden, the main window shown.
    void closeAll();

    ctl::TextBox* Text_Benaming{};
    ctl::TextBox* Text_Info{};
    std::array<ctl::OptionButton*, 12> Option_Nummers{}; // indices 1..11
    ctl::CommandButton* CMD_Close{};

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

    QPointer<Main> m_main;
    bool m_mainGone = false;
    bool m_activated = false; // the activation steps ran for this showing
};
