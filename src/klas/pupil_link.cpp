#include "klas/pupil_link.h"

#include "klas/mqtt_client.h"

#include <QLoggingCategory>

namespace klas
{

PupilLink::PupilLink(std::unique_ptr<MqttClient> client, const QString& klas,
                     const QString& account, QObject* parent)
    : QObject(parent), m_client(std::move(client)), m_klas(klas), m_account(account)
{
    m_status.online = true;
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(100);
    connect(&m_throttle, &QTimer::timeout, this, [this] {
        if (m_pending)
            publishNow();
    });
    connect(m_client.get(), &MqttClient::messageArrived, this, &PupilLink::onMessage);
    // Every (re)connect: the broker may have been restarted without our
    // retained status, so it is sent again.
    connect(m_client.get(), &MqttClient::connected, this, [this] {
        m_sent.clear();
        publishNow();
        sendResult();
    });
    connect(m_client.get(), &MqttClient::refused, this, &PupilLink::refused);
    m_client->subscribe(faultTopic(m_klas, m_account), 1);
    m_client->subscribe(allOffTopic(m_klas), 1);
    // Before the lesson: the broker sends the retained copies in this order,
    // so the record is there when the lesson is taken.
    m_client->subscribe(resultTopic(m_klas, m_account), 1);
    m_client->subscribe(lessonTopic(m_klas), 1);
    m_client->subscribe(freezeTopic(m_klas), 1);
    m_client->start();
}

PupilLink::~PupilLink()
{
    stop(200);
}

QByteArray PupilLink::willFor(const QString& naam)
{
    return offlineStatus(naam);
}

void PupilLink::setStatus(const PupilStatus& status)
{
    m_status = status;
    m_status.online = true;
    m_status.storingen = m_faults;
    m_status.allesUit = m_allOffDone;
    m_status.opdracht = m_lessonId;
    m_status.opdrachtFout = m_lessonRefusal;
    m_status.bevroren = m_frozen;
    m_pending = true;
    if (!m_throttle.isActive())
        publishNow();
}

void PupilLink::setLessonState(const QString& id, const QString& refusal)
{
    m_lessonId = id;
    m_lessonRefusal = refusal;
    setStatus(m_status);
}

bool PupilLink::publishResult(const LessonResult& result)
{
    m_result = encodeResult(result);
    return sendResult();
}

bool PupilLink::sendResult()
{
    if (m_result.isEmpty() || !m_client->isConnected() ||
        !m_client->publish(resultTopic(m_klas, m_account), m_result, 1, true))
        return false;
    m_result.clear();
    return true;
}

bool PupilLink::allOffCarriedOut(const QString& id, const PupilStatus& status)
{
    if ((status.uitgangen & 0xFF) != 0)
        return false;
    m_allOffDone = id;
    m_status = status;
    m_status.online = true;
    m_status.storingen = m_faults;
    m_status.allesUit = id;
    m_status.opdracht = m_lessonId;
    m_status.opdrachtFout = m_lessonRefusal;
    m_status.bevroren = m_frozen;
    m_pending = true;
    // Not held back by the rate limit: the teacher waits for this one.
    publishNow();
    return true;
}

void PupilLink::publishNow()
{
    const QByteArray payload = encodeStatus(m_status);
    if (payload == m_sent) {
        m_pending = false;
        return;
    }
    if (!m_client->isConnected())
        return; // sent on the next connect
    if (m_client->publish(statusTopic(m_klas, m_account), payload, 1, true)) {
        m_sent = payload;
        m_pending = false;
        m_throttle.start();
    }
}

void PupilLink::onMessage(const QString& topic, const QByteArray& payload)
{
    if (topic == allOffTopic(m_klas)) {
        if (const std::optional<QString> id = allOffToCarryOut(payload, m_account, m_allOffDone))
            emit allOffRequested(*id);
        return;
    }
    if (topic == lessonTopic(m_klas)) {
        onLesson(payload);
        return;
    }
    if (topic == freezeTopic(m_klas)) {
        onFreeze(payload);
        return;
    }
    if (topic == resultTopic(m_klas, m_account)) {
        // Cleared on the broker: nothing to go on from.
        if (payload.isEmpty())
            return;
        if (const std::optional<LessonResult> r = decodeResult(payload))
            emit ownResultArrived(*r);
        else
            qWarning("class broker: this PC's own result that is not one was ignored");
        return;
    }
    if (topic != faultTopic(m_klas, m_account))
        return;
    const std::optional<Faults> f = decodeFaults(payload);
    if (!f) {
        qWarning("class broker: a fault message that is not one was ignored");
        return;
    }
    if (*f == m_faults)
        return;
    m_faults = *f;
    m_status.storingen = m_faults;
    m_pending = true;
    emit faultsChanged(m_faults);
    if (!m_throttle.isActive())
        publishNow();
}

void PupilLink::onLesson(const QByteArray& payload)
{
    // The retained copy is cleared by an empty message.
    if (payload.isEmpty()) {
        if (!m_lessonId.isEmpty() || !m_lessonRefusal.isEmpty())
            emit lessonWithdrawn();
        return;
    }
    const std::optional<LessonMessage> m = decodeLesson(payload);
    if (!m) {
        qWarning("class broker: a lesson message that is not one was ignored");
        return;
    }
    // A reconnect delivers the retained copy again.
    if (m->id == m_lessonSeen)
        return;
    m_lessonSeen = m->id;
    emit lessonArrived(m->id, m->lesson);
}

void PupilLink::onFreeze(const QByteArray& payload)
{
    // A damaged word leaves the state as it is: guessing could release a
    // class in the middle of a test.
    const std::optional<bool> frozen = decodeFreeze(payload);
    if (!frozen) {
        qWarning("class broker: a freeze message that is not one was ignored");
        return;
    }
    if (*frozen == m_frozen)
        return;
    m_frozen = *frozen;
    emit frozenChanged(m_frozen);
    // The status tells the teacher the plan is frozen once it is.
    m_status.bevroren = m_frozen;
    m_pending = true;
    if (!m_throttle.isActive())
        publishNow();
}

void PupilLink::stop(int timeoutMs)
{
    m_throttle.stop();
    if (m_client->isConnected()) {
        PupilStatus gone = m_status;
        gone.online = false;
        m_client->publishAndWait(statusTopic(m_klas, m_account), encodeStatus(gone), 1, true,
                                 timeoutMs);
    }
    m_client->stop(timeoutMs);
}

} // namespace klas
