#pragma once

#include "interface_link/link_policy.h"
#include "interface_link/modbus_settings.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QModbusClient;
class QModbusReply;

namespace iface
{

// The thin layer over Qt's Modbus client: one connection at a time, at
// most one input read and one output write in flight, each answer sorted
// into a LinkAnswer with its reason in Dutch. It decides nothing; the
// handlers pass what happens on.
class ModbusTransport : public QObject
{
    Q_OBJECT

  public:
    explicit ModbusTransport(const ModbusSettings& settings, QObject* parent = nullptr);
    ~ModbusTransport() override;

    std::function<void()> onConnected;
    // The connection is going or gone (`gone`: fully closed).
    std::function<void(const QString& reason, bool gone)> onDown;
    std::function<void(const LinkAnswer&)> onRead;
    std::function<void(const LinkAnswer&)> onWrite;

    // Drops any connection in good order and starts a new one; false when
    // it cannot even start.
    bool open();
    bool isConnected() const;
    // No connection, or one that is fully closed.
    bool isClosed() const;
    bool sendRead();
    bool sendWrite(quint8 word);
    void forgetRead();
    void forgetWrite();
    // Ends the connection in good order. `now` deletes the client at once
    // (only where none of its calls can be on the stack).
    void close(bool now = false);
    // Ends the connection at once. Qt's orderly close would still send what
    // waits in the socket, so a word given just before a loss could reach
    // the module after the loss was shown; the socket is reset instead (a
    // serial client drops its queue on close).
    void abandon();

    LinkFailure connectionFailure() const;

  private:
    QModbusClient* makeClient();
    void deliver(QModbusReply* reply, bool read);
    LinkAnswer answerOf(const QModbusReply& reply, bool read) const;
    QString connectionReason(const QString& errorText) const;
    QString replyReason(const QModbusReply& reply) const;
    void forget(QPointer<QModbusReply>& slot);
    void release(bool abort, bool now);

    ModbusSettings m_settings;
    QModbusClient* m_client = nullptr;
    QPointer<QModbusReply> m_read;
    QPointer<QModbusReply> m_write;
};

} // namespace iface
