#pragma once

#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "interface_link/modbus_settings.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <memory>
#include <optional>

class QEventLoop;
class QModbusClient;
class QModbusReply;
class QWidget;

namespace iface
{

// The interface control for any Modbus I/O module with eight coils (outputs
// 1..8) and eight discrete inputs (inputs 1..8), over TCP or over a serial
// line (RTU).
//
// - SearchAndConnect opens the link, reads the inputs once and writes the
//   all-off word (words given before or during the search are dropped: a
//   connect never switches anything on); only a module that answers both
//   counts as found. It returns within kSearchBoundMs and keeps the event
//   loop running meanwhile. With unusable settings nothing is contacted.
// - WriteOutputs sends the whole word as one "write multiple coils" request.
//   Requests go out one at a time in the order given; words given while a
//   request is out wait in a queue. Without an open link the call is
//   accepted and does nothing at the module.
// - The inputs are read every poll period; InputsChanged is raised once
//   right after a connect and then whenever the word changes.
// - A lost link (connection closed, kFailuresToLoseLink requests in a row
//   without an answer, a write refused twice) stops polling and writing,
//   resets the connection (a word not yet sent is dropped, never sent
//   late), logs one warning and raises LinkLost once. An exception reply to a
//   write is tried once more after a poll period. SearchAndConnect starts
//   over; nothing reconnects by itself.
// - Destruction first waits, at most kExitBoundMs, until the module has
//   confirmed the last word given, so an all-off word written just before
//   the program ends really reaches the module. After a lost link (and no
//   deliberate Disconnect since) it makes one attempt, within the same
//   bound, to reach the module again and switch every output off; so does
//   switchOffAfterLoss, when a running plan ends because of the loss.
class ModbusModule : public EasyPortControl, public HiddenFaults
{
    Q_OBJECT
    Q_INTERFACES(iface::HiddenFaults)

  public:
    enum class LinkState { Closed, Searching, Open, Lost };

    static constexpr int kSearchBoundMs = 1500;
    static constexpr int kExitBoundMs = 1000;
    // How long Disconnect waits for words still on their way.
    static constexpr int kDisconnectFlushMs = 250;
    // Requests in a row without an answer after which the link counts as
    // lost.
    static constexpr int kFailuresToLoseLink = 3;
    // Words waiting behind the request in flight; beyond this the oldest
    // waiting word is dropped (the newest always stays).
    static constexpr int kMaxQueuedWords = 64;

    explicit ModbusModule(const ModbusSettings& settings, QObject* parent = nullptr);
    ~ModbusModule() override;

    qint16 SearchAndConnect() override;
    qint16 GetComPort(qint16 index) override;
    qint16 GetModuleNumber(qint16 index) override;
    void Disconnect() override;
    void WriteOutputs(qint16 word) override;
    void AboutBox() override;
    bool switchOffAfterLoss(int ms) override;
    QString searchFailureText() const override;
    QString peerDescription() const override;
    bool readsRealSensors() const override { return true; }
    void setHiddenFaults(const InputFaults&) override {}

    // Waits at most `ms` (keeping the event loop running) until the module
    // has confirmed the last word given to WriteOutputs. True when it has.
    bool flush(int ms);

    LinkState linkState() const { return m_state; }
    const ModbusSettings& settings() const { return m_settings; }
    // Dutch text of the about window.
    QString aboutText() const;
    // The about box's key for platform::messages().
    QString aboutKey() const;

  private:
    QModbusClient* makeClient();
    void dropClient(bool now);
    void abandonClient();
    void orphan(QModbusReply* reply);
    void openLink(quint8 inputs);
    void linkLost(const QString& reason);
    bool finalAllOff(int ms);
    QString connectionReason(const QString& errorText) const;
    QString replyReason(const QModbusReply* reply) const;
    bool lastWordConfirmed() const;

    void poll();
    void onReadFinished(QModbusReply* reply);
    void pumpWrites();
    void onWriteFinished(QModbusReply* reply);
    void retryWrite();
    void noteUnanswered(const QString& what, int error);
    void watchdog();

    ModbusSettings m_settings;
    LinkState m_state = LinkState::Closed;
    QModbusClient* m_client = nullptr;
    QTimer m_pollTimer;
    QTimer m_watchdogTimer;
    QTimer m_retryTimer;
    // Requests in a row that got no usable answer.
    int m_unanswered = 0;
    // The word being written was refused once already.
    bool m_writeRetried = false;
    // The link broke without a Disconnect: the module may hold outputs on.
    bool m_mayHoldOutputs = false;
    QString m_searchFailure;

    QModbusReply* m_readReply = nullptr;
    QElapsedTimer m_readSince;
    quint8 m_inputs = 0;

    QModbusReply* m_writeReply = nullptr;
    QElapsedTimer m_writeSince;
    quint8 m_writeWord = 0;
    QList<quint8> m_writeQueue;
    quint8 m_lastWord = 0;
    std::optional<quint8> m_confirmedWord;

    quint64 m_generation = 0;
    QEventLoop* m_searchLoop = nullptr;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace iface
