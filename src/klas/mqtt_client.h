#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

// One connection to the class broker through Eclipse Paho's asynchronous C
// client. Paho resolves names, connects and calls back on threads of its
// own; every callback is handed to this object's thread as a queued call,
// so the window never waits for the network. Nothing is written to disk
// (no persistence). A lost or failed connection is tried again with a
// doubling delay; a refused account or password is reported once and not
// tried again until the program restarts.
namespace klas
{

class MqttClient : public QObject
{
    Q_OBJECT

  public:
    struct Options {
        QString host;
        int port = 1883;
        QString caFile; // given: TLS, the broker's certificate checked against it
        QString user;
        QString password;
        QString clientId;
        // Published by the broker if this client goes away unannounced.
        QString willTopic;
        QByteArray willPayload;
        bool willRetained = true;
        int firstRetryMs = 1000;
        int maxRetryMs = 30000;
    };

    explicit MqttClient(Options options, QObject* parent = nullptr);
    // Disconnects within `stopTimeoutMs` at most, never longer.
    ~MqttClient() override;

    // Starts connecting; returns at once.
    void start();
    // Disconnects (the will is not sent) within `timeoutMs`; start() again to
    // reconnect, at once or later: the new session begins once the old one has
    // closed.
    void stop(int timeoutMs = 300);

    bool isConnected() const { return m_connected; }
    bool isRefused() const { return m_refused; }
    // Subscribed at every (re)connect.
    void subscribe(const QString& topicFilter, int qos = 1);
    // Sent when connected; false (and nothing queued) when not.
    bool publish(const QString& topic, const QByteArray& payload, int qos, bool retained);
    // As publish(), then waits until the broker has it, at most `timeoutMs`
    // (for the last word before the program ends).
    bool publishAndWait(const QString& topic, const QByteArray& payload, int qos, bool retained,
                        int timeoutMs);
    // The delay before the next attempt, for the tests.
    int retryDelayMs() const { return m_retryMs; }
    int attempts() const { return m_attempts; }

    // What Paho's threads hold on to; opaque outside the client.
    struct Bridge;

  signals:
    void connected();
    void disconnected();
    // The broker refused the account or the password: `reason` is Dutch.
    void refused(const QString& reason);
    void messageArrived(const QString& topic, const QByteArray& payload);

  private:
    void connectNow();
    void onConnected();
    void onConnectFailed(int code, const QString& why);
    void onConnectionLost();
    void onDisconnected();
    // Asks the library to close the session; onDisconnected() follows.
    void disconnectNow(int timeoutMs);
    void drainInbox();
    // Whether a message handed to the library still waits for the broker.
    bool hasPendingDeliveries() const;
    // Closes the session once nothing is under way, or when the stop's
    // time is up.
    void endDrain();
    void scheduleRetry();
    // Hands a message to Paho; its token, or -1 when it was not taken.
    int send(const QString& topic, const QByteArray& payload, int qos, bool retained);

    Options m_o;
    std::shared_ptr<Bridge> m_bridge;
    void* m_handle = nullptr;
    QStringList m_filters;
    QList<int> m_filterQos;
    QTimer m_retry;
    // A stop waiting for what is under way before the session closes.
    QTimer m_drain;
    QDeadlineTimer m_drainUntil;
    // Ends the wait for a disconnect the library never confirms.
    QTimer m_disconnectGuard;
    int m_retryMs;
    int m_attempts = 0;
    bool m_connected = false;
    // A connect handed to the library and not yet answered. It stays set
    // through stop(): the library answers it either way, and a second
    // connect meanwhile would never be answered.
    bool m_connecting = false;
    // The old session is closing. A connect on the same handle now would
    // never be answered, and what the old session still receives is not
    // passed on.
    bool m_disconnecting = false;
    bool m_refused = false;
    bool m_running = false;
};

} // namespace klas
