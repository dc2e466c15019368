#pragma once

#include "station/station.h"

#include <QObject>

namespace station
{

// The one record of which state the station part of the window is in. The
// window's station sequence sets it; everything that depends on the station
// (the button marked light green, the station frame's caption, the
// simulated station, the interlocks, the component, description,
// instruction and video tables) reads it or follows `changed`. A button's
// colour only shows the state to the pupil; it is never read back.
class StationState : public QObject
{
    Q_OBJECT

  public:
    explicit StationState(QObject* parent = nullptr) : QObject(parent) {}

    Station current() const { return m_current; }

    // Records a choice and announces it, also when the station chosen is
    // the one already in view: a choice redraws everything it derives.
    void set(Station s);

  signals:
    void changed(station::Station now);

  private:
    Station m_current = Station::Start;
};

} // namespace station
