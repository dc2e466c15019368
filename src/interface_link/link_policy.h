#pragma once

#include "platform/clock.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace iface
{

// How a request to the module ended, as the transport sees it.
struct LinkAnswer {
    enum Kind {
        Ok,      // answered; `word` holds the inputs of a read
        Refused, // an exception reply: the module answered but refused
        Missing, // no usable answer (time-out, short or foreign answer)
        Broken,  // the connection broke under the request
    };
    Kind kind = Ok;
    quint8 word = 0;
    // For the log, in English ("Response timeout"), and for the pupil, in
    // Dutch ("de module gaf geen antwoord binnen 200 ms").
    QString error;
    QString reason;
};

// Why a search failed: for the log in English, for the pupil in Dutch.
struct LinkFailure {
    QString english;
    QString dutch;
};

// The Modbus link without any socket: the search, the input poll, the
// write queue and its retry, and when the link counts as lost. Time comes
// from a platform::Clock (one wake-up at a time), everything else arrives
// as events from the transport; what goes out is asked of `Actions`.
//
// - A search connects, reads the inputs once and writes the all-off word,
//   each within one bound for the whole search; any failure ends it.
// - Open: the inputs are read every poll period; a changed word is
//   reported, and the first one once right after the connect. Words are
//   written one at a time in the order given; at most kMaxQueuedWords wait
//   (the oldest waiting goes, the newest always stays).
// - An exception reply to a write sends the word again after a poll period;
//   a second refusal in a row loses the link. Any other failed request
//   counts as a miss (a write is then sent again after a poll period);
//   kFailuresToLoseLink misses in a row, a broken connection or a request
//   the transport cannot send lose the link. Any answer starts the count
//   again.
// - A request without any end timeoutMs + kReplyGraceMs after it was sent
//   is given up and counts as a miss.
// - A lost link resets the transport at once (nothing waiting is sent
//   later) and is told once, from a wake-up, not from inside the
//   transport's own call. Nothing reconnects by itself.
class LinkPolicy
{
  public:
    enum class State { Closed, Searching, Open, Lost };

    static constexpr int kSearchBoundMs = 1500;
    static constexpr int kFailuresToLoseLink = 3;
    static constexpr int kMaxQueuedWords = 64;
    static constexpr int kReplyGraceMs = 300;

    class Actions
    {
      public:
        virtual ~Actions() = default;
        // Opens a new connection (dropping any old one); false when it
        // cannot even start. The transport then reports connected() or
        // linkDown().
        virtual bool openConnection() = 0;
        // Sends a request; false when the transport cannot send it. The
        // answer comes back through readAnswered() / writeAnswered().
        virtual bool sendRead() = 0;
        virtual bool sendWrite(quint8 word) = 0;
        // Forgets the request in flight: its answer, if any, is ignored.
        virtual void forgetRead() = 0;
        virtual void forgetWrite() = 0;
        // Ends the connection in good order.
        virtual void closeConnection() = 0;
        // Resets the connection at once: nothing still waiting goes out.
        virtual void abandonConnection() = 0;
        virtual bool connectionUp() const = 0;
        // Why the connection failed or a request could not be sent.
        virtual LinkFailure connectionFailure() const = 0;
        virtual void inputsChanged(quint8 word) = 0;
        // The link was lost just now (the connection is already reset), and,
        // later from a wake-up, the loss to tell the listeners.
        virtual void linkLost(const QString& reason) = 0;
        virtual void tellLinkLost(const QString& reason) = 0;
    };

    LinkPolicy(platform::Clock& clock, Actions& actions, int pollMs, int timeoutMs);

    State state() const { return m_state; }

    // Starts a search from Closed or Lost; false (nothing done) otherwise.
    bool search();
    // The search did not end within its bound: it ends now as failed.
    void giveUpSearch();
    // The caller's search call has returned. Until then nothing is reported:
    // the inputs a search found reach the listener after the call, from the
    // next wake-up, however soon the answers came inside it.
    void searchReturned();
    // Why the last search failed; empty when it did not (or was ended by
    // close()).
    const std::optional<LinkFailure>& searchFailure() const { return m_failure; }

    // The deliberate end (Disconnect): closes the connection, forgets what
    // waits and any loss not yet told.
    void close();

    // The inputs are no longer read or reported (the program is ending);
    // words still go out.
    void stopReading();

    // The pupil's word: kept as the last word, queued only on an open link.
    void write(quint8 word);
    quint8 lastWord() const { return m_lastWord; }
    // No word waits or is on its way, and the module confirmed the last one.
    bool lastWordConfirmed() const;

    // After a loss the module may still hold outputs on, until an attempt
    // to switch them off was confirmed, a deliberate close or a new link.
    bool mayHoldOutputs() const { return m_mayHoldOutputs; }
    void switchOffAttempted(bool confirmed);

    // Events from the transport.
    void connected();
    // The connection is going or gone; `gone` once it is fully closed.
    void linkDown(const QString& reason, bool gone);
    void readAnswered(const LinkAnswer& answer);
    void writeAnswered(const LinkAnswer& answer);

    // The clock's wake-up: runs what is due.
    void wake();

  private:
    enum class Step { Connect, Read, Write };

    void fail(const QString& english, const QString& dutch);
    void failStep(const LinkAnswer& answer);
    void open(quint8 inputs);
    void lose(const QString& reason);
    void noteMiss(const QString& what, bool broken);
    void pumpWrites();
    void retryWrite();
    void poll();
    void clearTraffic();
    void rearm();
    QString silentReason() const;
    static const char* stepName(Step step);

    platform::Clock& m_clock;
    Actions& m_actions;
    const int m_pollMs;
    const int m_timeoutMs;

    State m_state = State::Closed;
    Step m_step = Step::Connect;
    qint64 m_searchDeadline = 0;
    bool m_connectionGone = false;
    std::optional<LinkFailure> m_failure;
    quint8 m_searchInputs = 0;

    quint8 m_inputs = 0;
    bool m_reportInputs = false;
    bool m_callerWaiting = false;
    bool m_reading = false;
    std::optional<QString> m_lossToTell;
    bool m_mayHoldOutputs = false;
    int m_misses = 0;
    qint64 m_nextPoll = 0;

    std::optional<qint64> m_readDeadline;
    std::optional<qint64> m_writeDeadline;
    std::optional<qint64> m_retryAt;
    quint8 m_writeWord = 0;
    bool m_writeRetried = false;
    QList<quint8> m_queue;
    quint8 m_lastWord = 0;
    std::optional<quint8> m_confirmed;
};

} // namespace iface
