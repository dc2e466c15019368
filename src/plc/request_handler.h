#pragma once

#include "plc/modbus_frames.h"
#include "plc/ownership.h"

#include <QByteArray>

#include <functional>

namespace plc
{

// Modbus exception codes the station answers with.
enum class Exception : quint8 {
    IllegalFunction = 0x01,
    IllegalAddress = 0x02,
    IllegalValue = 0x03,
    Held = 0x04, // server device failure: the hold is on, or the station waits
                 // for every output to be written off
    Busy = 0x06, // server device busy: another PLC owns the outputs
    WrongUnit = 0x0B,
};

// The station's address map, the same for every station:
//   coils 0..7              outputs 1..8        (FC 1, 5, 15)
//   discrete inputs 0..7    inputs 1..8         (FC 2)
//   discrete input 8        the emergency hold
//   holding register 0      the output word     (FC 3, 6, 16)
//   input register 0        the input word, bit 8 = the hold (FC 4)
//
// Answers one request PDU with one response PDU; no sockets, no clock of its
// own, so it can be fed anything. Only the eight function codes above are
// served. Checks come in Modbus order: function (0x01), quantity and form
// (0x03), address (0x02), register value (0x03), then the ownership and
// hold check every write passes (0x06, 0x04).
class RequestHandler
{
  public:
    static constexpr quint8 AnyUnit = 0;
    static constexpr int OutputCount = 8;
    static constexpr int DiscreteInputCount = 9;

    // `inputs` gives the station's input word as the PLC reads it (with the
    // forced sensors). `unit` 0 answers every unit id; 1..247 answers that
    // id and 255, others get exception 0x0B.
    RequestHandler(Ownership& ownership, std::function<quint8()> inputs, quint8 unit = AnyUnit);

    QByteArray handle(ConnectionId id, quint8 unit, const QByteArray& pdu);

  private:
    QByteArray readBits(quint8 fc, const QByteArray& pdu, quint16 bits, int count);
    QByteArray readRegister(quint8 fc, const QByteArray& pdu, quint16 value);
    QByteArray writeCoil(ConnectionId id, const QByteArray& pdu);
    QByteArray writeCoils(ConnectionId id, const QByteArray& pdu);
    QByteArray writeRegister(ConnectionId id, const QByteArray& pdu);
    QByteArray writeRegisters(ConnectionId id, const QByteArray& pdu);
    QByteArray applied(ConnectionId id, quint8 fc, quint8 mask, quint8 values,
                       const QByteArray& echo);
    quint16 inputWord() const;

    Ownership& m_ownership;
    std::function<quint8()> m_inputs;
    quint8 m_unit;
};

QByteArray exceptionPdu(quint8 function, Exception code);

// One connection's bytes in, its answers out: framing and handler together,
// without a socket (the server and the fuzz tests use it alike).
class Session
{
  public:
    Session(RequestHandler& handler, ConnectionId id) : m_handler(handler), m_id(id) {}
    // The answers to every frame completed by `bytes`.
    QByteArray feed(const QByteArray& bytes);
    // The stream held something that is no Modbus TCP: close the connection.
    bool isBroken() const { return m_reader.isBroken(); }
    int pending() const { return m_reader.pending(); }
    int requests() const { return m_requests; }

  private:
    RequestHandler& m_handler;
    ConnectionId m_id;
    FrameReader m_reader;
    int m_requests = 0;
};

} // namespace plc
