#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace klas
{
class MqttClient;
}

// A private class broker for the tests: scripts/klas-broker.sh writes its
// configuration (accounts pc01.. and docent, the ACL) into a temporary
// folder and mosquitto serves it on a free port of 127.0.0.1. A test that
// cannot start it fails; it never skips.
namespace testing
{

class ClassBroker
{
  public:
    ~ClassBroker();
    // Writes the configuration for `pcs` pupil PCs of class `klas` and starts
    // the broker; false with `error()` saying why.
    bool start(int pcs = 2, const QString& klas = QStringLiteral("klas"));
    // Stops the broker (a broker going away mid-lesson) and starts it again
    // on the same port.
    void stop();
    bool restart();

    int port() const { return m_port; }
    QString klas() const { return m_klas; }
    QString password(const QString& account) const;
    QString error() const { return m_error; }
    QString folder() const { return m_dir.path(); }

  private:
    bool launch();

    QTemporaryDir m_dir;
    QProcess m_broker;
    QString m_klas;
    QString m_error;
    int m_port = 0;
};

// Keeps the MQTT library's network thread turning. That thread takes up a
// connection opened while it waits (up to a second) only when the wait
// ends, so a client that connects while others are connected would take
// one to two seconds. This client of `account` publishes every 30 ms (QoS
// 1, to a topic its account may not write: the broker drops the message
// and acknowledges it), and every acknowledgement ends that wait. Nothing
// it sends reaches another client.
class LibraryWaker
{
  public:
    LibraryWaker(const ClassBroker& broker, const QString& account);
    ~LibraryWaker();

  private:
    std::unique_ptr<klas::MqttClient> m_client;
    QTimer m_tick;
};

} // namespace testing
