#pragma once

#include "klas/klas_messages.h"
#include "klas/klas_settings.h"
#include "lesson/lesson_check.h"
#include "lesson/live_check.h"
#include "platform/clock.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace klas
{

class MqttClient;
class PupilLink;
class Klasoverzicht;

// The client options for this PC's account from its [klas] settings.
MqttClient* makeClient(const KlasSettings& s, QObject* parent, bool withWill);

// A pupil's program joined to its class: the status is read from the
// program every 100 ms (and published only when it changed), the teacher's
// faults go to `applyFaults` as stuck-off and stuck-on masks, "Alles uit"
// to `allOff`, the teacher's lesson to `openLesson` (once per sending).
// The program knows nothing of MQTT; this knows nothing of the program.
class PupilSession : public QObject
{
    Q_OBJECT

  public:
    struct Hooks {
        std::function<PupilStatus()> status;
        std::function<void(int openMask, int shortMask)> applyFaults;
        // The outputs that do not work; told before applyFaults. Optional.
        std::function<void(int deadMask)> applyDeadOutputs;
        std::function<void()> allOff;
        // Opens the class's lesson in Stappenplan; never switches an output.
        // Returns why it could not be opened here, or empty.
        std::function<QString(const lesson::Lesson&)> openLesson;
        // The class's fault-finding lesson, open now, goes on from the record
        // an earlier run of the program sent on it. Optional.
        std::function<void(const lesson::Lesson&, const lesson::HuntResult&)> goOnHunting;
        // The teacher froze (true) or released (false) the plan editor.
        std::function<void(bool frozen)> setFrozen;
        QWidget* boxParent = nullptr;
        // The time since a lesson arrived is counted on; the program's own
        // when null. Not owned.
        const platform::TimeSource* time = nullptr;
    };

    PupilSession(const KlasSettings& settings, Hooks hooks, QObject* parent = nullptr);
    ~PupilSession() override;

    PupilLink& link() const { return *m_link; }
    // The pupil checked `plan` against `lesson`: when it is the class's
    // lesson the result goes to the teacher.
    void lessonChecked(const lesson::Lesson& lesson, const lesson::Report& report,
                       const plan::Plan& plan);
    // The pupil checked `lesson` live with the PLC that drives the station:
    // sent as a check is, without a plan, and counted with the other checks.
    void lessonCheckedLive(const lesson::Lesson& lesson, const lesson::LiveReport& report);
    // The pupil answered "Storing melden…" on `lesson`: the result goes to
    // the teacher when it is the class's lesson or the teacher's own fault.
    void faultReported(const lesson::Lesson& lesson, const lesson::HuntResult& result);
    // The class's lesson while one is held.
    const std::optional<lesson::Lesson>& classLesson() const { return m_lesson; }
    // Says goodbye to the broker; bounded.
    void stop();

  private:
    void takeLesson(const QString& id, const QByteArray& bytes);
    // Goes on from this PC's result that the broker kept, when it is about
    // the lesson held now.
    void goOnFrom(const LessonResult& kept);
    int nextAttempt(int& seconds);

    Hooks m_hooks;
    platform::SteadyTime m_ownTime;
    std::optional<lesson::Lesson> m_lesson;
    QString m_lessonId;
    qint64 m_lessonSinceMs = 0;
    int m_attempts = 0;
    // This PC's last result the broker kept: a restarted program goes on
    // counting from it rather than from 0.
    std::optional<LessonResult> m_kept;
    std::unique_ptr<PupilLink> m_link;
    QTimer m_poll;
    bool m_boxOpen = false;
};

// Masks of a fault set: bit i = input i + 1.
int openMask(const Faults& f);
int shortMask(const Faults& f);
int deadMask(const Faults& f);

// The teacher's window from the teacher's [klas] settings (it owns its
// client).
std::unique_ptr<Klasoverzicht> makeTeacherWindow(const KlasSettings& settings);

} // namespace klas
