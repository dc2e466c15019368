#include "interface_link/link_policy.h"

#include <QLocale>
#include <algorithm>

namespace iface
{

LinkPolicy::LinkPolicy(platform::Clock& clock, Actions& actions, int pollMs, int timeoutMs)
    : m_clock(clock), m_actions(actions), m_pollMs(pollMs), m_timeoutMs(timeoutMs)
{
}

bool LinkPolicy::search()
{
    if (m_state == State::Searching || m_state == State::Open)
        return false;
    clearTraffic();
    m_lossToTell.reset();
    m_failure.reset();
    m_state = State::Searching;
    m_step = Step::Connect;
    m_connectionGone = false;
    m_searchDeadline = m_clock.nowMs() + kSearchBoundMs;
    m_callerWaiting = true;
    rearm();
    // The transport may report the connection from inside this call (a
    // serial port opens at once).
    if (!m_actions.openConnection() && m_state == State::Searching && m_step == Step::Connect) {
        const LinkFailure why = m_actions.connectionFailure();
        fail(why.english, why.dutch);
    }
    return true;
}

void LinkPolicy::giveUpSearch()
{
    if (m_state != State::Searching)
        return;
    if (m_step == Step::Connect) {
        fail(QStringLiteral("no connection within the time limit"),
             QStringLiteral("binnen %1 s kwam geen verbinding tot stand")
                 .arg(QLocale(QLocale::Dutch).toString(kSearchBoundMs / 1000.0)));
        return;
    }
    fail(QStringLiteral("%1: no answer within the time limit").arg(QLatin1String(stepName(m_step))),
         silentReason());
}

void LinkPolicy::searchReturned()
{
    m_callerWaiting = false;
    rearm();
}

void LinkPolicy::fail(const QString& english, const QString& dutch)
{
    m_failure = LinkFailure{english, dutch};
    m_state = State::Closed;
    clearTraffic();
    m_actions.closeConnection();
    rearm();
}

void LinkPolicy::failStep(const LinkAnswer& answer)
{
    fail(QStringLiteral("%1: %2").arg(QLatin1String(stepName(m_step)), answer.error),
         answer.reason);
}

const char* LinkPolicy::stepName(Step step)
{
    switch (step) {
    case Step::Connect:
        return "connection";
    case Step::Read:
        return "input read";
    case Step::Write:
        return "output write";
    }
    return "";
}

QString LinkPolicy::silentReason() const
{
    return QStringLiteral("de module gaf geen antwoord binnen %1 ms").arg(m_timeoutMs);
}

void LinkPolicy::close()
{
    m_state = State::Closed;
    m_mayHoldOutputs = false;
    m_lossToTell.reset();
    clearTraffic();
    m_actions.closeConnection();
    rearm();
}

void LinkPolicy::stopReading()
{
    m_reading = false;
    m_reportInputs = false;
    rearm();
}

void LinkPolicy::clearTraffic()
{
    m_reportInputs = false;
    m_readDeadline.reset();
    m_writeDeadline.reset();
    m_retryAt.reset();
    m_queue.clear();
}

void LinkPolicy::connected()
{
    if (m_state != State::Searching || m_step != Step::Connect)
        return;
    m_step = Step::Read;
    if (!m_actions.sendRead()) {
        const LinkFailure why = m_actions.connectionFailure();
        fail(QStringLiteral("input read: %1").arg(why.english), why.dutch);
    }
}

void LinkPolicy::linkDown(const QString& reason, bool gone)
{
    if (m_state == State::Open) {
        lose(reason);
        return;
    }
    // While searching only a connection that never came counts here; a
    // request on a closed connection ends with its own answer.
    // The transport names the error only after the state has changed, so
    // the failure is taken from the next wake-up.
    if (m_state == State::Searching && m_step == Step::Connect && gone) {
        m_connectionGone = true;
        rearm();
    }
}

void LinkPolicy::readAnswered(const LinkAnswer& answer)
{
    if (m_state == State::Searching && m_step == Step::Read) {
        if (answer.kind != LinkAnswer::Ok) {
            failStep(answer);
            return;
        }
        m_searchInputs = answer.word;
        // A connect never switches anything on: whatever was given before
        // or during the search is dropped.
        m_step = Step::Write;
        if (!m_actions.sendWrite(0)) {
            const LinkFailure why = m_actions.connectionFailure();
            fail(QStringLiteral("output write: %1").arg(why.english), why.dutch);
        }
        return;
    }
    if (m_state != State::Open || !m_readDeadline)
        return;
    m_readDeadline.reset();
    if (answer.kind != LinkAnswer::Ok) {
        noteMiss(QStringLiteral("read: ") + answer.error, answer.kind == LinkAnswer::Broken);
        rearm();
        return;
    }
    m_misses = 0;
    if (!m_reading) {
        rearm();
        return;
    }
    const bool changed = answer.word != m_inputs || m_reportInputs;
    m_inputs = answer.word;
    if (m_callerWaiting) {
        m_reportInputs = m_reportInputs || changed;
        rearm();
        return;
    }
    m_reportInputs = false;
    rearm();
    if (changed)
        m_actions.inputsChanged(m_inputs);
}

void LinkPolicy::writeAnswered(const LinkAnswer& answer)
{
    if (m_state == State::Searching && m_step == Step::Write) {
        if (answer.kind != LinkAnswer::Ok) {
            failStep(answer);
            return;
        }
        open(m_searchInputs);
        return;
    }
    if (m_state != State::Open || !m_writeDeadline)
        return;
    m_writeDeadline.reset();
    switch (answer.kind) {
    case LinkAnswer::Ok:
        m_misses = 0;
        m_writeRetried = false;
        m_confirmed = m_writeWord;
        pumpWrites();
        break;
    case LinkAnswer::Refused:
        // The module answered but refused: one more try after a pause; a
        // module that refuses twice does not do what the screen shows.
        m_misses = 0;
        if (m_writeRetried) {
            lose(QStringLiteral("write refused twice: ") + answer.error);
            return;
        }
        m_writeRetried = true;
        retryWrite();
        break;
    case LinkAnswer::Missing:
    case LinkAnswer::Broken:
        noteMiss(QStringLiteral("write: ") + answer.error, answer.kind == LinkAnswer::Broken);
        if (m_state == State::Open)
            retryWrite();
        break;
    }
    rearm();
}

void LinkPolicy::open(quint8 inputs)
{
    m_state = State::Open;
    m_mayHoldOutputs = false;
    m_misses = 0;
    m_writeRetried = false;
    m_inputs = inputs;
    m_lastWord = 0;
    m_confirmed = 0;
    m_reading = true;
    m_nextPoll = m_clock.nowMs() + m_pollMs;
    // Reported from the next wake-up: the caller hears the inputs after the
    // search has returned.
    m_reportInputs = true;
    rearm();
}

void LinkPolicy::lose(const QString& reason)
{
    if (m_state != State::Open)
        return;
    m_state = State::Lost;
    // The module may still hold outputs on; the way out tries once more.
    m_mayHoldOutputs = true;
    clearTraffic();
    m_lossToTell = reason;
    rearm();
    m_actions.abandonConnection();
    m_actions.linkLost(reason);
}

void LinkPolicy::noteMiss(const QString& what, bool broken)
{
    if (broken || !m_actions.connectionUp()) {
        lose(what);
        return;
    }
    if (++m_misses >= kFailuresToLoseLink)
        lose(QStringLiteral("%1 requests in a row without an answer, last %2")
                 .arg(m_misses)
                 .arg(what));
}

void LinkPolicy::write(quint8 word)
{
    m_lastWord = word;
    if (m_state != State::Open)
        return;
    if (m_queue.size() >= kMaxQueuedWords)
        m_queue.removeFirst();
    m_queue.append(word);
    pumpWrites();
    rearm();
}

void LinkPolicy::pumpWrites()
{
    if (m_state != State::Open || m_writeDeadline || m_retryAt || m_queue.isEmpty())
        return;
    const quint8 word = m_queue.takeFirst();
    m_writeWord = word;
    m_writeDeadline = m_clock.nowMs() + m_timeoutMs + kReplyGraceMs;
    if (!m_actions.sendWrite(word)) {
        m_writeDeadline.reset();
        lose(m_actions.connectionFailure().english);
    }
}

// Sends the same word again after one poll period, unless a newer word
// already waits (that one goes out then instead).
void LinkPolicy::retryWrite()
{
    if (m_queue.isEmpty())
        m_queue.append(m_writeWord);
    m_retryAt = m_clock.nowMs() + m_pollMs;
}

void LinkPolicy::poll()
{
    if (m_state != State::Open || m_readDeadline)
        return;
    m_readDeadline = m_clock.nowMs() + m_timeoutMs + kReplyGraceMs;
    if (!m_actions.sendRead()) {
        m_readDeadline.reset();
        lose(m_actions.connectionFailure().english);
    }
}

bool LinkPolicy::lastWordConfirmed() const
{
    return !m_writeDeadline && m_queue.isEmpty() && m_confirmed == m_lastWord;
}

void LinkPolicy::switchOffAttempted(bool confirmed)
{
    m_mayHoldOutputs = !confirmed;
}

void LinkPolicy::wake()
{
    const qint64 now = m_clock.nowMs();
    if (m_state == State::Searching) {
        if (m_connectionGone && m_step == Step::Connect) {
            const LinkFailure why = m_actions.connectionFailure();
            fail(why.english, why.dutch);
        } else if (now >= m_searchDeadline) {
            giveUpSearch();
        }
        rearm();
        return;
    }
    if (m_state == State::Lost) {
        std::optional<QString> reason;
        std::swap(reason, m_lossToTell);
        rearm();
        if (reason)
            m_actions.tellLinkLost(*reason);
        return;
    }
    if (m_state != State::Open)
        return;
    if (m_readDeadline && now >= *m_readDeadline) {
        m_readDeadline.reset();
        m_actions.forgetRead();
        noteMiss(QStringLiteral("read: no reply"), false);
    }
    if (m_state == State::Open && m_writeDeadline && now >= *m_writeDeadline) {
        m_writeDeadline.reset();
        m_actions.forgetWrite();
        noteMiss(QStringLiteral("write: no reply"), false);
        if (m_state == State::Open)
            retryWrite();
    }
    if (m_state == State::Open && m_retryAt && now >= *m_retryAt) {
        m_retryAt.reset();
        pumpWrites();
    }
    if (m_state == State::Open && m_reading && now >= m_nextPoll) {
        m_nextPoll += m_pollMs;
        if (m_nextPoll <= now)
            m_nextPoll = now + m_pollMs;
        poll();
    }
    const bool report = m_state == State::Open && m_reportInputs && !m_callerWaiting;
    if (report)
        m_reportInputs = false;
    rearm();
    if (report)
        m_actions.inputsChanged(m_inputs);
}

// One wake-up at a time: the earliest of everything that waits.
void LinkPolicy::rearm()
{
    std::optional<qint64> due;
    const auto consider = [&due](std::optional<qint64> at) {
        if (at && (!due || *at < *due))
            due = at;
    };
    switch (m_state) {
    case State::Closed:
        break;
    case State::Searching:
        if (m_connectionGone && m_step == Step::Connect)
            consider(m_clock.nowMs());
        consider(m_searchDeadline);
        break;
    case State::Lost:
        if (m_lossToTell)
            consider(m_clock.nowMs());
        break;
    case State::Open:
        if (m_reportInputs && !m_callerWaiting)
            consider(m_clock.nowMs());
        if (m_reading)
            consider(m_nextPoll);
        consider(m_readDeadline);
        consider(m_writeDeadline);
        consider(m_retryAt);
        break;
    }
    if (due)
        m_clock.wakeAfter(int(std::max<qint64>(0, *due - m_clock.nowMs())));
    else
        m_clock.cancel();
}

} // namespace iface
