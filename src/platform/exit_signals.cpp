#include "platform/exit_signals.h"

#include <QList>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QtDebug>
#include <csignal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform
{

namespace
{

ExitSignals* g_instance = nullptr;
#ifdef SIGHUP
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
constexpr int kSignals[] = {SIGINT, SIGTERM};
#endif
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

#ifdef Q_OS_UNIX

int g_fds[2] = {-1, -1}; // [0] written by the handler, [1] read by the notifier
volatile sig_atomic_t g_writeFd = -1;
struct sigaction g_previous[kSignalCount];

extern "C" void onExitSignal(int signo)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    if (g_writeFd >= 0) {
        const ssize_t written = ::write(g_writeFd, &byte, 1);
        (void)written; // a full socket already holds a request
    }
    errno = savedErrno;
}

bool setHandler(int signo, struct sigaction* previous)
{
    struct sigaction sa = {};
    sa.sa_handler = onExitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    return ::sigaction(signo, &sa, previous) == 0;
}

bool nonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

#else

volatile sig_atomic_t g_pending = 0;

extern "C" void onExitSignal(int signo)
{
    g_pending = signo;
}

#endif

} // namespace

ExitSignals* ExitSignals::install(QObject* parent)
{
    if (g_instance)
        return g_instance;
    auto* self = new ExitSignals(parent);
    if (!self->arm()) {
        delete self;
        return nullptr;
    }
    return g_instance;
}

ExitSignals::ExitSignals(QObject* parent) : QObject(parent)
{
    g_instance = this;
}

#ifdef Q_OS_UNIX

bool ExitSignals::arm()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) {
        g_fds[0] = g_fds[1] = -1;
        qWarning("Exit signals: no socket pair, Ctrl+C and SIGTERM end the program unhandled");
        return false;
    }
    if (!nonBlocking(g_fds[0]) || !nonBlocking(g_fds[1])) {
        qWarning("Exit signals: socket pair unusable");
        return false;
    }
    g_writeFd = g_fds[0];
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::deliverPending);
    for (int i = 0; i < kSignalCount; ++i) {
        if (!setHandler(kSignals[i], &g_previous[i])) {
            qWarning("Exit signals: could not install the handler for signal %d", kSignals[i]);
            return false;
        }
    }
    return true;
}

void ExitSignals::deliverPending()
{
    QList<int> received;
    unsigned char buffer[16];
    for (;;) {
        const ssize_t n = ::read(g_fds[1], buffer, sizeof buffer);
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i)
                received.append(buffer[i]);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: drained
    }
    // The event loop is alive: take the next signal again.
    for (const int signo : received)
        setHandler(signo, nullptr);
    QPointer<ExitSignals> guard(this);
    for (const int signo : received) {
        emit exitRequested(signo);
        if (!guard)
            return;
    }
}

ExitSignals::~ExitSignals()
{
    if (g_instance == this)
        g_instance = nullptr;
    g_writeFd = -1;
    if (m_notifier) {
        // Put back what was there before (only when we got that far).
        for (int i = 0; i < kSignalCount; ++i)
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    for (int& fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

#else

bool ExitSignals::arm()
{
    for (const int signo : kSignals)
        std::signal(signo, onExitSignal);
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &ExitSignals::deliverPending);
    poll->start(100);
    return true;
}

void ExitSignals::deliverPending()
{
    const int signo = g_pending;
    if (signo == 0)
        return;
    g_pending = 0;
    std::signal(signo, onExitSignal);
    emit exitRequested(signo);
}

ExitSignals::~ExitSignals()
{
    if (g_instance == this)
        g_instance = nullptr;
    for (const int signo : kSignals)
        std::signal(signo, SIG_DFL);
}

#endif

} // namespace platform
