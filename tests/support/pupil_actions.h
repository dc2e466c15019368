#pragma once

#include <QString>
#include <QtGlobal>
#include <random>

// What a pupil (and the interface) can do to the main window, as plain
// values that can be generated from a seed, printed and replayed.
namespace testing
{

class MainFixture;

struct PupilAction {
    enum Kind : quint8 {
        Station,      // value: 0..4 station button
        Output,       // value: output button 0..7
        Reset,        // the reset button
        Connect,      // the connection button; value: search result, extra: model
        HoverOutput,  // value: 0..7
        HoverInput,   // value: 0..7
        HoverStation, // value: 0..4
        HoverFrame,   // the background of the station buttons' frame
        Verder,
        Terug,
        Help,
        PictureClick,     // the station picture (full screen and description)
        Choose,           // value: part number 1..11 in the description window
        CloseDescription, // "Sluiten"
        VersionClick,     // the small picture: version message
        Resize,           // value x extra: new client size in pixels
        TickFlash,        // TimerNVT
        TickAlternation,  // Timer_Wissel_Afbeelding
        Inputs,           // value: any 32-bit input word from the interface
    };
    Kind kind = Reset;
    qint32 value = 0;
    qint32 extra = 0;

    QString describe() const;
};

// The station buttons in the order PupilAction::Station numbers them.
QString stationButtonName(int index);

// A seeded stream of actions, weighted towards what pupils do most: output
// presses, input changes and hovers; resizes are rare.
class PupilActionGenerator
{
  public:
    explicit PupilActionGenerator(quint64 seed) : m_random(seed) {}
    PupilAction next();

  private:
    std::mt19937_64 m_random;
};

// Carries out one action on the fixture's window.
void perform(MainFixture& fx, const PupilAction& action);

} // namespace testing
