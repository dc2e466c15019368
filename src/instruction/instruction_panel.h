#pragma once

#include <QObject>

class QWidget;

namespace ctl
{
class CommandButton;
class PictureBox;
class Timer;
} // namespace ctl

namespace station
{
class StationState;
}

// The instruction panel below the station picture: the paged text of the
// station in view, the page turns and their red flash, the help message
// and the station's video.
class InstructionPanel : public QObject
{
    Q_OBJECT

  public:
    struct Controls {
        ctl::PictureBox* text{};  // PictureTekst: the drawing surface, one page in view
        ctl::PictureBox* frame{}; // PictureTekstKader: the window onto it
        ctl::Timer* flash{};      // TimerNVT: ends the red flash
        ctl::CommandButton* verder{};
        ctl::CommandButton* terug{};
        ctl::CommandButton* help{};
        ctl::CommandButton* film{}; // CMD_Filmpje
        QWidget* boxParent{};       // the window the help box belongs to
    };

    InstructionPanel(const Controls& controls, const station::StationState& state,
                     QObject* parent = nullptr);

    // Draws the text of the station in view (PlaatsTekst); the page in view
    // stays.
    void place();
    // Slides one page: 0 forward, 1 back (VerschuifTekst).
    void slide(int upDown);
    // The first page in view again (a new station view).
    void toFirstPage();
    // Hands a web address to the desktop (openwebsite).
    void openWebsite(const QString& url);

  signals:
    // "Verder" is about to turn to the handling station's page on the
    // guided cylinder.
    void guidedCylinderPage();

  private:
    void verder();
    void terug();
    void help();
    void film();
    void flashNotPossible();
    void flashEnds();

    Controls m_c;
    const station::StationState& m_state;
};
