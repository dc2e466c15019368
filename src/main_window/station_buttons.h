#pragma once

#include "station/station.h"

#include <QObject>
#include <array>

namespace ctl
{
class CommandButton;
class Frame;
class Label;
} // namespace ctl

namespace station
{
class StationState;
}

// The five station buttons: a click chooses a station, the chosen one is
// marked light green and named in the station frame's caption, the one
// under the mouse turns white. The marking follows the StationState; no
// colour is ever read back.
class StationButtons : public QObject
{
    Q_OBJECT

  public:
    struct Controls {
        ctl::CommandButton* stapelMagazijn{};  // CMD_StapelMagazijn
        ctl::CommandButton* transportband{};   // CMD_Transportband
        ctl::CommandButton* stationhandling{}; // CMD_Stationhandling
        ctl::CommandButton* transHandling{};   // CMD_TransHandling
        ctl::CommandButton* interfacing{};     // CMD_Interfacing
        ctl::Frame* buttonFrame{};             // Frame_Dravik_Buttons: the mouse left the buttons
        ctl::Frame* stationFrame{};            // FrameModule: its caption names the state
        // The I/O points that carry the names of the station in view.
        std::array<ctl::CommandButton*, 8> outputs{};
        std::array<ctl::Label*, 8> inputs{};
    };

    StationButtons(const Controls& controls, const station::StationState& state,
                   QObject* parent = nullptr);

    ctl::CommandButton* button(station::Station s) const;
    // Marks the button of the present state and captions the station frame
    // (a change of state does this by itself).
    void markCurrent();
    // The I/O points get the names of the station in view.
    void relabelPoints();
    // The station button the mouse last entered (KnopOnderMuis): 0..3 the
    // stations, 5 the interface, -1 none.
    int buttonUnderMouse() const { return m_underMouse; }

    // The colour steps of the window's contract: 0..5 the mouse entered that
    // button, 10 it left the buttons, 15 the I/O points get their station's
    // names back.
    void kleurBeheer(int aktieCijfer);

  signals:
    // A station button was clicked.
    void chosen(station::Station s);

  private:
    void mark(station::Station s);
    void entered(qint16 knop);

    Controls m_c;
    const station::StationState& m_state;
    qint16 m_underMouse = -1;
    // The button shown white under the mouse; cleared when a choice marks
    // the buttons afresh.
    ctl::CommandButton* m_white = nullptr;
};
