#include "klas/pupil_session.h"

#include "klas/klasoverzicht.h"
#include "klas/lesson_results.h"
#include "klas/mqtt_client.h"
#include "klas/pupil_link.h"
#include "lesson/lesson_file.h"
#include "platform/services.h"

#include <algorithm>

namespace klas
{

MqttClient* makeClient(const KlasSettings& s, QObject* parent, bool withWill)
{
    MqttClient::Options o;
    o.host = s.host;
    o.port = s.port;
    o.caFile = s.caFile;
    o.user = s.gebruiker;
    o.password = s.wachtwoord;
    // One session per account and program run: a second copy of the program
    // on the same PC does not throw the first off the broker, nor can another
    // account guess the id and do so.
    o.clientId = sessionClientId(s.gebruiker);
    if (withWill) {
        o.willTopic = statusTopic(s.klas, s.gebruiker);
        o.willPayload = PupilLink::willFor(s.naam);
    }
    return new MqttClient(o, parent);
}

int openMask(const Faults& f)
{
    int mask = 0;
    for (int i = 0; i < 8; ++i)
        mask |= f.input[i] == Fault::OpenCircuit ? 1 << i : 0;
    return mask;
}

int shortMask(const Faults& f)
{
    int mask = 0;
    for (int i = 0; i < 8; ++i)
        mask |= f.input[i] == Fault::ShortCircuit ? 1 << i : 0;
    return mask;
}

int deadMask(const Faults& f)
{
    int mask = 0;
    for (int i = 0; i < 8; ++i)
        mask |= f.deadOutput[size_t(i)] ? 1 << i : 0;
    return mask;
}

PupilSession::PupilSession(const KlasSettings& settings, Hooks hooks, QObject* parent)
    : QObject(parent), m_hooks(std::move(hooks))
{
    m_link = std::make_unique<PupilLink>(
        std::unique_ptr<MqttClient>(makeClient(settings, nullptr, true)), settings.klas,
        settings.gebruiker);
    connect(m_link.get(), &PupilLink::faultsChanged, this, [this](const Faults& f) {
        if (m_hooks.applyDeadOutputs)
            m_hooks.applyDeadOutputs(deadMask(f));
        m_hooks.applyFaults(openMask(f), shortMask(f));
    });
    connect(m_link.get(), &PupilLink::allOffRequested, this, [this](const QString& id) {
        // Switches off only: the hook is the program's Noodstop path.
        m_hooks.allOff();
        // Told to the teacher and the pupil only when the outputs read off;
        // otherwise the teacher's window sends it again and it is retried.
        if (!m_link->allOffCarriedOut(id, m_hooks.status()) || m_boxOpen)
            return;
        m_boxOpen = true;
        platform::messages().show(m_hooks.boxParent,
                                  {QString(), QStringLiteral("De docent heeft alles uitgezet."),
                                   platform::MessageButtons::Ok, platform::MessageIcon::None});
        m_boxOpen = false;
    });
    connect(m_link.get(), &PupilLink::refused, this, [this](const QString& reason) {
        platform::messages().show(
            m_hooks.boxParent,
            {QString(),
             QStringLiteral("De klasbroker weigert deze pc: %1.\r\rControleer gebruiker en "
                            "wachtwoord onder [klas] in het installatiebestand. Het programma "
                            "werkt verder zonder de klas.")
                 .arg(reason),
             platform::MessageButtons::Ok, platform::MessageIcon::Warning});
    });
    if (!m_hooks.time)
        m_hooks.time = &m_ownTime;
    connect(m_link.get(), &PupilLink::lessonArrived, this, &PupilSession::takeLesson);
    connect(m_link.get(), &PupilLink::ownResultArrived, this, [this](const LessonResult& r) {
        m_kept = r;
        goOnFrom(r);
    });
    connect(m_link.get(), &PupilLink::lessonWithdrawn, this, [this] {
        // What the pupil has open stays; only results stop going out.
        m_lesson.reset();
        m_lessonId.clear();
        m_link->setLessonState({}, {});
    });
    connect(m_link.get(), &PupilLink::frozenChanged, this, [this](bool frozen) {
        if (m_hooks.setFrozen)
            m_hooks.setFrozen(frozen);
    });
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, [this] { m_link->setStatus(m_hooks.status()); });
    m_poll.start();
    m_link->setStatus(m_hooks.status());
}

void PupilSession::takeLesson(const QString& id, const QByteArray& bytes)
{
    const lesson::ReadResult read =
        lesson::parseLesson(bytes, QStringLiteral("de opdracht van de docent"));
    if (!read.lesson) {
        // The lesson held before is no longer the class's.
        m_lesson.reset();
        m_lessonId.clear();
        m_link->setLessonState(id, read.error);
        platform::messages().showNonModal(QStringLiteral("klas-opdracht"),
                                          {QStringLiteral("Opdracht van de docent"), read.error,
                                           platform::MessageButtons::Ok,
                                           platform::MessageIcon::Warning});
        return;
    }
    // Refused here (a fault this interface cannot have): told as a damaged
    // lesson is, to the pupil and on the teacher's tile.
    const QString refusal = m_hooks.openLesson ? m_hooks.openLesson(*read.lesson) : QString();
    if (!refusal.isEmpty()) {
        m_lesson.reset();
        m_lessonId.clear();
        m_link->setLessonState(id, refusal);
        platform::messages().showNonModal(QStringLiteral("klas-opdracht"),
                                          {QStringLiteral("Opdracht van de docent"), refusal,
                                           platform::MessageButtons::Ok,
                                           platform::MessageIcon::Warning});
        return;
    }
    m_lesson = read.lesson;
    m_lessonId = id;
    m_lessonSinceMs = m_hooks.time->nowMs();
    m_attempts = 0;
    // The broker's copy of a lesson this PC already worked on (the program
    // restarted): its checks and time go on.
    if (m_kept)
        goOnFrom(*m_kept);
    m_link->setLessonState(id, {});
    // Waits for nothing: the pupil may be in the middle of something.
    platform::messages().showNonModal(
        QStringLiteral("klas-opdracht"),
        {QStringLiteral("Opdracht van de docent"),
         QStringLiteral("De docent heeft een opdracht gestuurd: %1").arg(m_lesson->title),
         platform::MessageButtons::Ok, platform::MessageIcon::Information});
}

// A new sending of the same file has a new id, so it starts afresh; so does
// a lesson after a withdrawn one.
void PupilSession::goOnFrom(const LessonResult& kept)
{
    if (!m_lesson || m_lessonId.isEmpty() || kept.id != m_lessonId)
        return;
    // Fault finding counts in the pane. An answer to the teacher's own
    // fault is no record of the lesson's search.
    if (kept.hunt) {
        if (m_lesson->hunt && !kept.docent && m_hooks.goOnHunting)
            m_hooks.goOnHunting(*m_lesson,
                                {kept.found(), kept.pogingen, kept.seconden, kept.bediend, false});
        return;
    }
    // The echo of a result just sent changes nothing.
    m_attempts = std::max(m_attempts, kept.pogingen);
    m_lessonSinceMs =
        std::min(m_lessonSinceMs, m_hooks.time->nowMs() - qint64(kept.seconden) * 1000);
}

int PupilSession::nextAttempt(int& seconds)
{
    seconds = int((m_hooks.time->nowMs() - m_lessonSinceMs) / 1000);
    return ++m_attempts;
}

void PupilSession::lessonChecked(const lesson::Lesson& lesson, const lesson::Report& report,
                                 const plan::Plan& plan)
{
    if (!m_lesson || !(lesson == *m_lesson))
        return;
    int seconds = 0;
    const int attempt = nextAttempt(seconds);
    m_link->publishResult(makeResult(m_lessonId, report, plan, attempt, seconds));
}

void PupilSession::lessonCheckedLive(const lesson::Lesson& lesson, const lesson::LiveReport& report)
{
    if (!m_lesson || !(lesson == *m_lesson) || !report.notRun.isEmpty())
        return;
    int seconds = 0;
    const int attempt = nextAttempt(seconds);
    m_link->publishResult(makeLiveResult(m_lessonId, report, attempt, seconds));
}

void PupilSession::faultReported(const lesson::Lesson& lesson, const lesson::HuntResult& result)
{
    const bool classLesson = m_lesson && lesson == *m_lesson;
    if (!classLesson && !result.teacher)
        return;
    m_link->publishResult(
        makeHuntResult(classLesson ? m_lessonId : QString(), lesson.title, result));
}

PupilSession::~PupilSession()
{
    stop();
}

void PupilSession::stop()
{
    m_poll.stop();
    if (m_link)
        m_link->stop(300);
}

std::unique_ptr<Klasoverzicht> makeTeacherWindow(const KlasSettings& settings)
{
    auto* client = makeClient(settings, nullptr, false);
    auto window = std::make_unique<Klasoverzicht>(client, settings.klas, settings.leerlingen);
    client->setParent(window.get());
    return window;
}

} // namespace klas
