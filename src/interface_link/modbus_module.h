#pragma once

#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "interface_link/link_policy.h"
#include "interface_link/modbus_settings.h"
#include "interface_link/modbus_transport.h"
#include "platform/clock.h"

#include <memory>

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
//
// The rules of the link live in LinkPolicy, the traffic in ModbusTransport;
// this class joins them and does the bounded waits.
class ModbusModule : public EasyPortControl,
                     public HiddenFaults,
                     private LinkPolicy::Actions
{
    Q_OBJECT
    Q_INTERFACES(iface::HiddenFaults)

  public:
    using LinkState = LinkPolicy::State;

    static constexpr int kSearchBoundMs = LinkPolicy::kSearchBoundMs;
    static constexpr int kExitBoundMs = 1000;
    // How long Disconnect waits for words still on their way.
    static constexpr int kDisconnectFlushMs = 250;
    static constexpr int kFailuresToLoseLink = LinkPolicy::kFailuresToLoseLink;
    static constexpr int kMaxQueuedWords = LinkPolicy::kMaxQueuedWords;

    // `clock` drives the poll and the deadlines; null: the program's own.
    explicit ModbusModule(const ModbusSettings& settings, QObject* parent = nullptr,
                          platform::Clock* clock = nullptr);
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

    LinkState linkState() const { return m_policy.state(); }
    const ModbusSettings& settings() const { return m_settings; }
    // Dutch text of the about window.
    QString aboutText() const;
    // The about box's key for platform::messages().
    QString aboutKey() const;

  private:
    bool finalAllOff(int ms);

    // LinkPolicy::Actions, carried out on the transport.
    bool openConnection() override;
    bool sendRead() override;
    bool sendWrite(quint8 word) override;
    void forgetRead() override;
    void forgetWrite() override;
    void closeConnection() override;
    void abandonConnection() override;
    bool connectionUp() const override;
    LinkFailure connectionFailure() const override;
    void inputsChanged(quint8 word) override;
    void linkLost(const QString& reason) override;
    void tellLinkLost(const QString& reason) override;

    ModbusSettings m_settings;
    std::unique_ptr<platform::Clock> m_ownClock;
    platform::Clock& m_clock;
    // A child, so that the client is found among the module's children.
    ModbusTransport* m_transport;
    LinkPolicy m_policy;
    // SearchAndConnect is waiting for the search to end.
    bool m_searching = false;
    QString m_searchFailure;
};

} // namespace iface
