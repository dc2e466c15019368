#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QModbusTcpServer>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

// Real Modbus peers on 127.0.0.1 for the tests of the Modbus interface: a
// module (Qt's own server) and a relay in front of it that can cut or mute
// the link the way a pulled or broken cable does.
namespace testing
{

// A free TCP port on 127.0.0.1 (so that tests running side by side do not
// clash).
int freeTcpPort();

// Eight coils and eight discrete inputs from address 0, unit 1. Records the
// coil byte of every "write multiple coils" and can refuse writes with an
// exception reply.
class ModbusServerPeer : public QModbusTcpServer
{
  public:
    ModbusServerPeer();
    bool start(int port);

    quint8 coils() const;
    void setInputs(quint8 word);

    QList<quint8> writtenWords;
    // Milliseconds since start() at which each write arrived.
    QList<qint64> writeTimes;
    // The next this-many writes are answered with exception code 4.
    int refuseWrites = 0;

  protected:
    QModbusResponse processRequest(const QModbusPdu& request) override;

  private:
    QElapsedTimer m_clock;
};

// Passes bytes between the program and a module. `cut()` closes every
// connection it carries (the program sees the connection closed) while new
// ones still get through; `mute` swallows what the program sends while the
// connection stays open (the module looks silent); `delayMs` holds each
// answer back. `silences` picks single requests to swallow: each request
// takes its first character, 'x' swallows that request and any other
// passes it; once it is empty every request passes.
class ModbusRelay : public QObject
{
  public:
    bool start(int listenPort, int modulePort);
    void cut();
    int connectionsSeen() const { return m_seen; }

    bool mute = false;
    int delayMs = 0;
    QString silences;

  private:
    // Passes or swallows each whole request in `bytes` and keeps an
    // unfinished one in `pending` until the rest arrives.
    void forward(QByteArray& pending, const QByteArray& bytes, QTcpSocket* module);

    // Before the server: its sockets report their end into this list.
    QList<QPair<QTcpSocket*, QTcpSocket*>> m_pairs;
    QTcpServer m_server;
    int m_modulePort = 0;
    int m_seen = 0;
};

} // namespace testing
