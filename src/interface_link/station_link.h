#pragma once

#include <QObject>

namespace iface
{

// The link to a simulated station as "Virtuele opstelling" sees it: whether
// it is open, the teacher's "Kabel los", and the about window's request to
// see the station.
class StationLink : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

    virtual bool isConnected() const = 0;
    // "Kabel los" was pressed and no connect has followed yet.
    virtual bool isCableOut() const = 0;
    // The link breaks as if the cable were pulled; the pupil has to connect
    // again.
    virtual void pullCable() = 0;

  signals:
    // The link was opened (true) or closed (false).
    void connectionChanged(bool connected);
    // The pupil asked, in the about window, to see the station.
    void virtualStationRequested();
};

} // namespace iface
