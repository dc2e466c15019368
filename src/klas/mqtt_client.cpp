#include "klas/mqtt_client.h"

#include <MQTTAsync.h>
#include <QLoggingCategory>
#include <QPointer>
#include <QThread>
#include <mutex>
#include <utility>
#include <vector>

Q_LOGGING_CATEGORY(lcKlas, "automatiseren.klas")

namespace klas
{

// Paho's threads reach the client only through this, under its lock; the
// client clears `target` before it goes, so no call lands on a dead object.
struct MqttClient::Bridge {
    std::mutex lock;
    MqttClient* target = nullptr;

    // Runs f(client) on the client's thread, if the client is still there.
    template <typename F> void post(F f)
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (target)
            QMetaObject::invokeMethod(
                target, [t = target, f = std::move(f)] { f(t); }, Qt::QueuedConnection);
    }

    // Messages wait here for the client's thread: a class of PCs sends
    // thousands a second, and one queued call per message would wake the
    // window for each; one call takes every message waiting, in order.
    std::vector<std::pair<QString, QByteArray>> inbox;
    bool drainPosted = false;

    void deliver(QString topic, QByteArray payload)
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!target)
            return;
        inbox.emplace_back(std::move(topic), std::move(payload));
        if (drainPosted)
            return;
        drainPosted = true;
        QMetaObject::invokeMethod(
            target, [t = target] { t->drainInbox(); }, Qt::QueuedConnection);
    }
};

namespace
{

MqttClient::Bridge* bridgeOf(void* context)
{
    return static_cast<MqttClient::Bridge*>(context);
}

// CONNACK return codes of MQTT 3.1.1 that no retry can mend.
bool isRefusal(int code)
{
    return code == 4 /* bad user name or password */ || code == 5 /* not authorised */;
}

} // namespace

MqttClient::MqttClient(Options options, QObject* parent)
    : QObject(parent), m_o(std::move(options)), m_bridge(std::make_shared<Bridge>()),
      m_retryMs(m_o.firstRetryMs)
{
    m_bridge->target = this;
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::connectNow);
    m_drain.setInterval(10);
    connect(&m_drain, &QTimer::timeout, this, &MqttClient::endDrain);
    m_disconnectGuard.setSingleShot(true);
    // Should the library's answer to a disconnect never come, the session
    // counts as closed once the library no longer holds it connected:
    // a connect while it still does would never be answered.
    connect(&m_disconnectGuard, &QTimer::timeout, this, [this] {
        if (m_handle && MQTTAsync_isConnected(m_handle))
            m_disconnectGuard.start();
        else
            onDisconnected();
    });

    const QString uri =
        QStringLiteral("%1://%2:%3")
            .arg(m_o.caFile.isEmpty() ? QStringLiteral("tcp") : QStringLiteral("ssl"))
            .arg(m_o.host)
            .arg(m_o.port);
    MQTTAsync handle = nullptr;
    // No persistence: nothing is written where the program runs.
    const int rc =
        MQTTAsync_create(&handle, uri.toUtf8().constData(), m_o.clientId.toUtf8().constData(),
                         MQTTCLIENT_PERSISTENCE_NONE, nullptr);
    if (rc != MQTTASYNC_SUCCESS) {
        qCWarning(lcKlas) << "MQTT client not created for" << uri << "code" << rc;
        return;
    }
    m_handle = handle;
    MQTTAsync_setCallbacks(
        handle, m_bridge.get(),
        [](void* context, char*) {
            bridgeOf(context)->post([](MqttClient* t) { t->onConnectionLost(); });
        },
        [](void* context, char* topicName, int topicLen, MQTTAsync_message* m) -> int {
            const QString topic = topicLen > 0 ? QString::fromUtf8(topicName, topicLen)
                                               : QString::fromUtf8(topicName);
            const QByteArray payload(static_cast<const char*>(m->payload), m->payloadlen);
            MQTTAsync_freeMessage(&m);
            MQTTAsync_free(topicName);
            bridgeOf(context)->deliver(topic, payload);
            return 1;
        },
        nullptr);
}

MqttClient::~MqttClient()
{
    {
        const std::lock_guard<std::mutex> guard(m_bridge->lock);
        m_bridge->target = nullptr;
    }
    // The window that owns this client is half gone when its children go:
    // the last stop is told to nobody.
    blockSignals(true);
    m_running = false;
    m_retry.stop();
    // Gone now: what is under way gets the library's own short wait.
    if (m_handle && (m_drain.isActive() || m_connected || m_connecting))
        disconnectNow(200);
    m_drain.stop();
    if (m_handle) {
        MQTTAsync handle = m_handle;
        MQTTAsync_destroy(&handle);
        m_handle = nullptr;
    }
}

void MqttClient::start()
{
    if (!m_handle || m_running)
        return;
    m_running = true;
    m_refused = false;
    m_retryMs = m_o.firstRetryMs;
    connectNow();
}

void MqttClient::stop(int timeoutMs)
{
    m_running = false;
    m_retry.stop();
    if (!m_handle)
        return;
    if (m_connected && !m_disconnecting && timeoutMs > 0 && hasPendingDeliveries()) {
        // What is still under way gets up to `timeoutMs` to be delivered;
        // then the session closes at once. (Left to wait by itself, the
        // library closes it only on its next round, a second or two later,
        // and a start() meanwhile waits for that.)
        m_disconnecting = true;
        m_drainUntil.setRemainingTime(timeoutMs);
        m_drain.start();
    } else if ((m_connected || m_connecting) && !m_drain.isActive()) {
        disconnectNow(0);
        // A connect the close ends is answered no more; one not yet far
        // enough to close still is, and is closed then.
        if (m_disconnecting)
            m_connecting = false;
    }
    const bool was = m_connected;
    m_connected = false;
    if (was)
        emit disconnected();
}

void MqttClient::disconnectNow(int timeoutMs)
{
    MQTTAsync_disconnectOptions opts = MQTTAsync_disconnectOptions_initializer;
    opts.timeout = timeoutMs;
    opts.context = m_bridge.get();
    opts.onSuccess = [](void* context, MQTTAsync_successData*) {
        bridgeOf(context)->post([](MqttClient* t) { t->onDisconnected(); });
    };
    opts.onFailure = [](void* context, MQTTAsync_failureData*) {
        bridgeOf(context)->post([](MqttClient* t) { t->onDisconnected(); });
    };
    if (MQTTAsync_disconnect(m_handle, &opts) != MQTTASYNC_SUCCESS)
        return; // nothing left to close
    m_disconnecting = true;
    // On a busy machine the library takes seconds beyond its timeout.
    m_disconnectGuard.start(timeoutMs + 1000);
}

bool MqttClient::hasPendingDeliveries() const
{
    MQTTAsync_token* tokens = nullptr;
    if (MQTTAsync_getPendingTokens(m_handle, &tokens) != MQTTASYNC_SUCCESS || !tokens)
        return false;
    const bool pending = tokens[0] != -1;
    MQTTAsync_free(tokens);
    return pending;
}

void MqttClient::endDrain()
{
    if (hasPendingDeliveries() && !m_drainUntil.hasExpired() && MQTTAsync_isConnected(m_handle))
        return;
    m_drain.stop();
    m_disconnecting = false;
    disconnectNow(0);
    if (!m_disconnecting)
        connectNow(); // nothing was left to close
}

void MqttClient::onDisconnected()
{
    if (!m_disconnecting)
        return;
    m_disconnecting = false;
    m_disconnectGuard.stop();
    // Started again while the old session closed.
    connectNow();
}

void MqttClient::connectNow()
{
    // A connect still unanswered or a session still closing calls again
    // when it ends.
    if (!m_running || m_connecting || m_disconnecting || m_connected || !m_handle)
        return;
    ++m_attempts;
    const QByteArray user = m_o.user.toUtf8();
    const QByteArray password = m_o.password.toUtf8();
    const QByteArray willTopic = m_o.willTopic.toUtf8();
    const QByteArray ca = m_o.caFile.toUtf8();

    MQTTAsync_connectOptions opts = MQTTAsync_connectOptions_initializer;
    opts.keepAliveInterval = 10;
    opts.cleansession = 1;
    opts.connectTimeout = 5;
    opts.MQTTVersion = MQTTVERSION_3_1_1;
    opts.automaticReconnect = 0; // our own back-off, which also subscribes again
    if (!user.isEmpty()) {
        opts.username = user.constData();
        opts.password = password.constData();
    }
    MQTTAsync_willOptions will = MQTTAsync_willOptions_initializer;
    if (!willTopic.isEmpty()) {
        will.topicName = willTopic.constData();
        will.message = nullptr;
        will.payload.data = m_o.willPayload.constData();
        will.payload.len = int(m_o.willPayload.size());
        will.qos = 1;
        will.retained = m_o.willRetained ? 1 : 0;
        opts.will = &will;
    }
    MQTTAsync_SSLOptions ssl = MQTTAsync_SSLOptions_initializer;
    if (!ca.isEmpty()) {
        ssl.trustStore = ca.constData();
        ssl.enableServerCertAuth = 1;
        ssl.verify = 1;
        opts.ssl = &ssl;
    }
    opts.context = m_bridge.get();
    opts.onSuccess = [](void* context, MQTTAsync_successData*) {
        bridgeOf(context)->post([](MqttClient* t) { t->onConnected(); });
    };
    opts.onFailure = [](void* context, MQTTAsync_failureData* response) {
        const int code = response ? response->code : MQTTASYNC_FAILURE;
        const QString why =
            response && response->message ? QString::fromUtf8(response->message) : QString();
        bridgeOf(context)->post([code, why](MqttClient* t) { t->onConnectFailed(code, why); });
    };
    m_connecting = true;
    // Returns at once: the name lookup and the connect run on Paho's thread.
    const int rc = MQTTAsync_connect(m_handle, &opts);
    if (rc != MQTTASYNC_SUCCESS) {
        m_connecting = false;
        qCWarning(lcKlas) << "MQTT connect not started, code" << rc;
        scheduleRetry();
    }
}

void MqttClient::onConnected()
{
    m_connecting = false;
    // An answer to a connect the stop closed: the session is going, and
    // the new one starts when it is gone.
    if (m_disconnecting)
        return;
    if (!m_running) {
        // Stopped while the connect was under way.
        disconnectNow(100);
        return;
    }
    m_connected = true;
    m_retryMs = m_o.firstRetryMs;
    for (int i = 0; i < m_filters.size(); ++i) {
        MQTTAsync_responseOptions opts = MQTTAsync_responseOptions_initializer;
        MQTTAsync_subscribe(m_handle, m_filters[i].toUtf8().constData(), m_filterQos[i], &opts);
    }
    qCInfo(lcKlas) << "connected to the class broker" << m_o.host << m_o.port;
    emit connected();
}

void MqttClient::drainInbox()
{
    std::vector<std::pair<QString, QByteArray>> messages;
    {
        const std::lock_guard<std::mutex> guard(m_bridge->lock);
        messages.swap(m_bridge->inbox);
        m_bridge->drainPosted = false;
    }
    const QPointer<MqttClient> alive(this);
    for (const auto& [topic, payload] : messages) {
        // A receiver may end this client (a window closed on a message), or
        // stop it: a stopped client passes nothing on, also what the broker
        // sent while the disconnect was under way, after a start() too.
        if (!alive || !m_running || m_disconnecting)
            return;
        emit messageArrived(topic, payload);
    }
}

void MqttClient::onConnectFailed(int code, const QString& why)
{
    m_connecting = false;
    if (!m_running)
        return;
    if (isRefusal(code)) {
        // A wrong account or password stays wrong: asking again every few
        // seconds would only fill the broker's log.
        m_refused = true;
        m_running = false;
        qCWarning(lcKlas) << "the class broker refused the account" << m_o.user;
        emit refused(code == 4 ? QStringLiteral("de gebruikersnaam of het wachtwoord is onjuist")
                               : QStringLiteral("het account is niet toegestaan"));
        return;
    }
    qCInfo(lcKlas) << "class broker not reached:" << code << why << "- again in" << m_retryMs
                   << "ms";
    scheduleRetry();
}

void MqttClient::onConnectionLost()
{
    if (!m_connected)
        return;
    m_connected = false;
    qCInfo(lcKlas) << "connection to the class broker lost";
    emit disconnected();
    scheduleRetry();
}

void MqttClient::scheduleRetry()
{
    if (!m_running)
        return;
    m_retry.start(m_retryMs);
    m_retryMs = qMin(m_retryMs * 2, m_o.maxRetryMs);
}

void MqttClient::subscribe(const QString& topicFilter, int qos)
{
    m_filters.append(topicFilter);
    m_filterQos.append(qos);
    if (m_connected) {
        MQTTAsync_responseOptions opts = MQTTAsync_responseOptions_initializer;
        MQTTAsync_subscribe(m_handle, topicFilter.toUtf8().constData(), qos, &opts);
    }
}

int MqttClient::send(const QString& topic, const QByteArray& payload, int qos, bool retained)
{
    if (!m_connected || !m_handle)
        return -1;
    MQTTAsync_message msg = MQTTAsync_message_initializer;
    msg.payload = const_cast<char*>(payload.constData());
    msg.payloadlen = int(payload.size());
    msg.qos = qos;
    msg.retained = retained ? 1 : 0;
    MQTTAsync_responseOptions opts = MQTTAsync_responseOptions_initializer;
    if (MQTTAsync_sendMessage(m_handle, topic.toUtf8().constData(), &msg, &opts) !=
        MQTTASYNC_SUCCESS)
        return -1;
    return opts.token;
}

bool MqttClient::publish(const QString& topic, const QByteArray& payload, int qos, bool retained)
{
    return send(topic, payload, qos, retained) >= 0;
}

bool MqttClient::publishAndWait(const QString& topic, const QByteArray& payload, int qos,
                                bool retained, int timeoutMs)
{
    const int token = send(topic, payload, qos, retained);
    if (token < 0)
        return false;
    // Looked at every 2 ms: the library's own wait looks every 100 ms, so
    // a word the broker had within a millisecond held the window 100 ms.
    const QDeadlineTimer until(timeoutMs);
    for (;;) {
        if (MQTTAsync_isComplete(m_handle, token) == MQTTASYNC_TRUE)
            return true;
        if (until.hasExpired())
            return false;
        QThread::usleep(2000);
    }
}

} // namespace klas
