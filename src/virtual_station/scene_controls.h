#pragma once

#include "virtual_station/scene_model.h"

#include <QAbstractButton>
#include <QVector>

namespace virt
{

// The keyboard's and the screen reader's way into the drawn scene: a
// focusable button over one thing a click acts on (a sensor to force, a
// button drawn in the scene). It draws only its focus frame and lets the
// mouse through, so the drawing and the mouse stay the window's own; Space
// or Enter presses it.
class SceneControl : public QAbstractButton
{
    Q_OBJECT

  public:
    SceneControl(QWidget* parent, Hit hit, const QString& name);
    Hit hit() const { return m_hit; }

    // What a screen reader reads after the name ("aan", "uit, draadbreuk").
    QString value() const { return m_value; }
    void setValue(const QString& value);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Hit m_hit;
    QString m_value;
};

// A lamp or a counter of the scene as a screen reader finds it: where it is
// drawn, its name and what it shows. A lamp reads as a read-only check box,
// checked while lit.
struct Indicator {
    QRectF area;
    QString name;
    QString value;
    bool lamp = false;
    bool lit = false;
};

// The output lamps and the counters of `layout` for `pose` and the output
// word `outputs`.
QVector<Indicator> indicators(const SceneLayout& layout, const Pose& pose, quint8 outputs);

// "Ingang 3 Inductieve sensor" / "Uitgang 2 Gelijkstroom motor"; a point
// that carries only its generic name is read once ("Uitgang 4").
QString pointName(bool input, int index, const QString& name);

// The invisible stand-in of one Indicator over the drawing; it neither paints
// nor takes the mouse or the focus.
class SceneIndicator : public QWidget
{
    Q_OBJECT

  public:
    explicit SceneIndicator(QWidget* parent);
    const Indicator& indicator() const { return m_indicator; }
    // Takes the new state and tells a screen reader what changed.
    void setIndicator(const Indicator& indicator);

  private:
    Indicator m_indicator;
};

// The accessible roles of the scene's controls and indicators; calling it
// again does nothing.
void installSceneAccessibility();

// What a sensor's control tells a screen reader: whether its input is on,
// and how it is forced ("aan", "uit, draadbreuk").
QString sensorState(bool on, Force force);

// What a scene button does, for a screen reader.
QString buttonDescription(Action action);

} // namespace virt
