#include "klas/all_off_round.h"

namespace klas
{

void AllOffRound::start(const QString& id, const QStringList& accounts, qint64 nowMs)
{
    m_id = id;
    m_waiting = accounts;
    m_waiting.removeAll(QString());
    m_waiting.removeDuplicates();
    m_waiting.sort();
    m_start = nowMs;
    m_lastSent.reset();
    m_sending = true;
}

bool AllOffRound::onStatus(const QString& account, const PupilStatus& status)
{
    if (!started() || !status.online || status.allesUit != m_id || status.uitgangen != 0)
        return false;
    // Once confirmed it stays so: the pupil may switch on again afterwards.
    return m_waiting.removeOne(account);
}

QStringList AllOffRound::late(qint64 nowMs) const
{
    return nowMs - m_start >= kConfirmWithinMs ? m_waiting : QStringList();
}

bool AllOffRound::resendDue(qint64 nowMs) const
{
    return sending() && (!m_lastSent || nowMs - *m_lastSent >= kResendEveryMs);
}

} // namespace klas
