#pragma once

#include "klas/klas_messages.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace klas
{

class MqttClient;

// A pupil's program in the class: publishes its status when it changes (at
// most ten times a second, retained, with a last will that marks it
// offline), takes the teacher's hidden faults for this PC, the class-wide
// "Alles uit" and the freeze of the class's plans. It never waits for the
// broker; without one the program works as it does alone. Nothing it
// receives can switch an output on: faults only change what the inputs
// read, and "Alles uit" only switches off.
class PupilLink : public QObject
{
    Q_OBJECT

  public:
    // `client` is this PC's connection (its will set by willFor()), not
    // started yet; `account` the broker account.
    PupilLink(std::unique_ptr<MqttClient> client, const QString& klas, const QString& account,
              QObject* parent = nullptr);
    ~PupilLink() override;

    // What the last will of `account` says.
    static QByteArray willFor(const QString& naam);

    // The status as it is now; published when it differs from the last one
    // sent, at most every 100 ms. The faults in it are filled in here.
    void setStatus(const PupilStatus& status);
    // The least time between two statuses, 100 ms unless set: a class
    // played on one machine runs many rounds of it.
    void setStatusIntervalMs(int ms) { m_throttle.setInterval(ms); }
    // The program carried out the switch-off `id` and then reported
    // `status`. With every output off the id is remembered (the same
    // switch-off sent again is not done twice) and the status, which
    // confirms it to the teacher, goes out at once; true then. With an
    // output still on nothing is confirmed and the next time the teacher
    // sends it, it is carried out again.
    bool allOffCarriedOut(const QString& id, const PupilStatus& status);
    // The class's lesson `id` was taken (`refusal` empty) or refused with
    // that sentence; the status says so. An empty id: none is held.
    void setLessonState(const QString& id, const QString& refusal);
    // Sends this PC's result on the class's lesson (retained); while the
    // broker is away the last one waits for the next connect.
    bool publishResult(const LessonResult& result);
    // The teacher froze the class's plans (the broker's retained word; false
    // until one arrives).
    bool isFrozen() const { return m_frozen; }
    // The teacher's faults as they apply now.
    const Faults& faults() const { return m_faults; }
    MqttClient& client() const { return *m_client; }
    // Says goodbye (status offline) and closes, within `timeoutMs`.
    void stop(int timeoutMs = 300);

  signals:
    void faultsChanged(const klas::Faults& faults);
    // The teacher switched the class off (`id` names that switch-off).
    void allOffRequested(const QString& id);
    // The broker refused this PC's account or password (told once).
    void refused(const QString& reason);
    // The teacher sent the class a lesson this program has not seen yet;
    // `lesson` is the lesson file's bytes, unchecked.
    void lessonArrived(const QString& id, const QByteArray& lesson);
    // The teacher withdrew the class's lesson.
    void lessonWithdrawn();
    // The teacher froze (true) or released (false) the class's plans.
    void frozenChanged(bool frozen);
    // This PC's own result as the broker keeps it: the one an earlier run of
    // the program sent (read back at every connect), or an echo of one sent
    // now.
    void ownResultArrived(const klas::LessonResult& result);

  private:
    void onMessage(const QString& topic, const QByteArray& payload);
    void onLesson(const QByteArray& payload);
    void onFreeze(const QByteArray& payload);
    bool sendResult();
    void publishNow();

    std::unique_ptr<MqttClient> m_client;
    QString m_klas;
    QString m_account;
    PupilStatus m_status;
    QByteArray m_sent;
    Faults m_faults;
    QString m_allOffDone; // the last switch-off confirmed
    QString m_lessonSeen; // the last lesson handed on: never twice
    QString m_lessonId;
    QString m_lessonRefusal;
    QByteArray m_result; // a result not sent yet
    QTimer m_throttle;
    bool m_pending = false;
    bool m_frozen = false;
};

} // namespace klas
