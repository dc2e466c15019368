#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform
{

// Turns SIGINT, SIGTERM and SIGHUP into the Qt signal exitRequested, delivered
// through the event loop of the thread that installed it, so that the
// program can switch its outputs off and end in order when it is asked to
// stop from outside (Ctrl+C, the terminal closed, logout, shutdown, `kill`).
//
// The handler itself only writes the signal number into a socket pair. It
// removes itself when it runs and is put back once the event loop has
// delivered the request: while the program answers, every signal becomes an
// exitRequested; when the event loop is stuck, the second signal ends the
// process the ordinary way.
class ExitSignals : public QObject
{
    Q_OBJECT

  public:
    // The one instance, created on the first call (with `parent`). Null when
    // the operating system refused the socket pair or the handlers.
    static ExitSignals* install(QObject* parent);
    ~ExitSignals() override;

  signals:
    void exitRequested(int signo);

  private:
    explicit ExitSignals(QObject* parent);
    bool arm();
    void deliverPending();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
