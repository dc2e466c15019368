#pragma once

#include "klas/klas_messages.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace klas
{

// One press of "Alles uit" in the teacher's window, without widgets or
// network: which PCs have confirmed it, which are shown as not having done
// so, and when it goes out again. A PC confirms with a status that it sends
// online after carrying this switch-off out with every output off; a status
// from before, a last will or an output still on confirm nothing, so a PC
// that was off the broker stays listed until it comes back and does it.
// Times are milliseconds on one steady clock.
class AllOffRound
{
  public:
    // A PC that has not confirmed by then is shown to the teacher.
    static constexpr qint64 kConfirmWithinMs = 2000;
    // While any PC has not confirmed, the switch-off goes out again this often.
    static constexpr qint64 kResendEveryMs = 1000;

    // A new switch-off `id` for `accounts`, replacing any earlier one.
    void start(const QString& id, const QStringList& accounts, qint64 nowMs);
    // The teacher stops sending; who has not confirmed stays shown.
    void stop() { m_sending = false; }
    // A status on `account`'s topic; true when it confirmed the switch-off now.
    bool onStatus(const QString& account, const PupilStatus& status);

    bool started() const { return !m_id.isEmpty(); }
    const QString& id() const { return m_id; }
    // Still sending: started, not stopped, and not yet out once or not yet
    // confirmed by all.
    bool sending() const { return m_sending && (!m_lastSent || !m_waiting.isEmpty()); }
    // The accounts that have not confirmed, sorted.
    const QStringList& unconfirmed() const { return m_waiting; }
    // The accounts shown as not having confirmed: none before
    // kConfirmWithinMs has passed.
    QStringList late(qint64 nowMs) const;
    // Whether to send it again now.
    bool resendDue(qint64 nowMs) const;
    // Who the next message is for: the whole class (empty) until it went out
    // once, then those that have not confirmed.
    QStringList recipients() const { return m_lastSent ? m_waiting : QStringList(); }
    // It went out to the broker.
    void sent(qint64 nowMs) { m_lastSent = nowMs; }

  private:
    QString m_id;
    QStringList m_waiting;
    qint64 m_start = 0;
    std::optional<qint64> m_lastSent;
    bool m_sending = false;
};

} // namespace klas
