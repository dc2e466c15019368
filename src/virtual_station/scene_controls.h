#pragma once

#include "virtual_station/scene_model.h"

#include <QAbstractButton>

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

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Hit m_hit;
};

// What a sensor's control tells a screen reader: whether its input is on,
// and how it is forced ("aan", "uit, draadbreuk").
QString sensorState(bool on, Force force);

// What a scene button does, for a screen reader.
QString buttonDescription(Action action);

} // namespace virt
