#include "plc/modbus_frames.h"

namespace plc
{

namespace
{

quint16 word(const QByteArray& b, int at)
{
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}

} // namespace

void FrameReader::append(const QByteArray& bytes)
{
    if (!m_broken)
        m_buffer.append(bytes);
}

std::optional<Frame> FrameReader::next()
{
    if (m_broken || m_buffer.size() < HeaderSize)
        return std::nullopt;
    const quint16 protocol = word(m_buffer, 2);
    const int length = word(m_buffer, 4);
    // Length 1 would be a unit id without a function code.
    if (protocol != 0 || length < 2 || length > MaxLength) {
        m_broken = true;
        m_buffer.clear();
        return std::nullopt;
    }
    const int total = 6 + length;
    if (m_buffer.size() < total)
        return std::nullopt;
    Frame f;
    f.transaction = word(m_buffer, 0);
    f.unit = quint8(m_buffer[6]);
    f.pdu = m_buffer.mid(HeaderSize, total - HeaderSize);
    m_buffer.remove(0, total);
    return f;
}

QByteArray encodeFrame(quint16 transaction, quint8 unit, const QByteArray& pdu)
{
    QByteArray out;
    out.reserve(7 + pdu.size());
    const int length = int(pdu.size()) + 1;
    out.append(char(transaction >> 8)).append(char(transaction & 0xFF));
    out.append(char(0)).append(char(0));
    out.append(char(length >> 8)).append(char(length & 0xFF));
    out.append(char(unit));
    out.append(pdu);
    return out;
}

} // namespace plc
