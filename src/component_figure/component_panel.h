#pragma once

#include <QObject>
#include <QString>
#include <array>

namespace ctl
{
class CommandButton;
class Frame;
class Image;
class Label;
class PictureBox;
class Timer;
} // namespace ctl

namespace station
{
class StationState;
}

// The component panel: pointing at an I/O point shows the component
// behind it on the station in view and highlights the point; an actuator
// alternates with the valve that drives it.
class ComponentPanel : public QObject
{
    Q_OBJECT

  public:
    struct Controls {
        std::array<ctl::CommandButton*, 8> outputs{}; // CMD_SetReset(i): points 0..7
        std::array<ctl::Label*, 8> inputLabels{};     // Label_Ingang(i): points 8..15
        std::array<ctl::PictureBox*, 8> inputRows{};  // PictureLabelIngangen(i): their highlight
        ctl::Image* picture{};                        // ImageSensorActuator
        ctl::Frame* frame{};                          // FrameSensorActuator
        ctl::Timer* alternation{};                    // Timer_Wissel_Afbeelding
    };

    ComponentPanel(const Controls& controls, const station::StationState& state,
                   QObject* parent = nullptr);

    // Shows I/O point `index` (0..7 outputs, 8..15 inputs): the
    // FiguurActuatorSensor step. Other indices are logged and ignored.
    void show(int index);
    // The point shown (GetoondeFiguur), -1 for none.
    int shownPoint() const { return m_shown; }
    // The kind of component shown (FiguurNaam); empty when forgotten.
    const QString& shownKind() const { return m_kind; }

    // The alternation stops and the kind shown is forgotten (part of the
    // reset of all outputs).
    void stop();
    // An empty panel and no point shown (a new station view).
    void clear();
    // The third instruction page of the handling station talks about the
    // guided cylinder: it is shown, and the point it replaces loses its
    // highlight.
    void showGuidedCylinder();

  private:
    void outputHovered(int i);
    void inputHovered(int i);
    void alternate();

    Controls m_c;
    const station::StationState& m_state;
    int m_shown = -1;
    QString m_kind;
};
