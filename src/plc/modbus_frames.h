#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace plc
{

// Modbus TCP framing: the seven-byte MBAP header (transaction id, protocol
// id 0, length of what follows, unit id) in front of each request PDU.
struct Frame {
    quint16 transaction = 0;
    quint8 unit = 0;
    QByteArray pdu; // function code and data
};

// Cuts a byte stream into frames. Bytes may arrive in any pieces: half a
// frame waits for the rest, several frames in one piece come out one by
// one. A header that cannot start a Modbus TCP frame (another protocol id,
// a length beyond the largest PDU) breaks the stream for good: there is no
// way to find the next frame again, so the connection has to close.
class FrameReader
{
  public:
    // A request PDU is at most 253 bytes; the length counts the unit id too.
    static constexpr int MaxLength = 254;
    static constexpr int HeaderSize = 7;

    void append(const QByteArray& bytes);
    std::optional<Frame> next();
    bool isBroken() const { return m_broken; }
    // Bytes of a frame begun but not complete.
    int pending() const { return int(m_buffer.size()); }

  private:
    QByteArray m_buffer;
    bool m_broken = false;
};

QByteArray encodeFrame(quint16 transaction, quint8 unit, const QByteArray& pdu);

} // namespace plc
