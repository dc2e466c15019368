#pragma once

#include <QObject>

#include <functional>

namespace platform
{

// That the program is being left, for everything that must then stop
// asking, waiting or switching: set once, never reset. The window owns it
// and hands it to the controllers, which read it where they would
// otherwise show a box or write a word.
class Ending : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

    bool isStarted() const { return m_started; }

    // Sets the flag, runs `switchOff` (with the flag set, so nothing
    // switches on while it runs), then tells `started`. A second call does
    // nothing and returns false.
    bool start(const std::function<void()>& switchOff = {});

  signals:
    // The program is being left and `switchOff` has run: the outputs are
    // off, the windows not yet gone. Whoever listens must not ask or wait.
    void started();

  private:
    bool m_started = false;
};

} // namespace platform
