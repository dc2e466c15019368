#include "plc/request_handler.h"

namespace plc
{

namespace
{

quint16 word(const QByteArray& b, int at)
{
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}

void appendWord(QByteArray& b, quint16 w)
{
    b.append(char(w >> 8)).append(char(w & 0xFF));
}

// The bits `from`..`from+count-1` of `bits` as a bit field of `count` bits.
quint8 bitRange(int from, int count)
{
    return quint8(((1u << count) - 1u) << from);
}

} // namespace

QByteArray exceptionPdu(quint8 function, Exception code)
{
    QByteArray out;
    out.append(char(function | 0x80)).append(char(code));
    return out;
}

RequestHandler::RequestHandler(Ownership& ownership, std::function<quint8()> inputs, quint8 unit)
    : m_ownership(ownership), m_inputs(std::move(inputs)), m_unit(unit)
{
}

quint16 RequestHandler::inputWord() const
{
    const quint16 inputs = m_inputs ? m_inputs() : 0;
    return quint16(inputs | (m_ownership.isHeld() ? 0x100 : 0));
}

QByteArray RequestHandler::handle(ConnectionId id, quint8 unit, const QByteArray& pdu)
{
    if (pdu.isEmpty())
        return exceptionPdu(0, Exception::IllegalFunction);
    const quint8 fc = quint8(pdu[0]);
    // Even a refused request shows the owner is still there.
    m_ownership.noteRequest(id);
    if (m_unit != AnyUnit && unit != m_unit && unit != 0xFF)
        return exceptionPdu(fc, Exception::WrongUnit);
    switch (fc) {
    case 1:
        return readBits(fc, pdu, m_ownership.outputs(), OutputCount);
    case 2:
        return readBits(fc, pdu, inputWord(), DiscreteInputCount);
    case 3:
        return readRegister(fc, pdu, m_ownership.outputs());
    case 4:
        return readRegister(fc, pdu, inputWord());
    case 5:
        return writeCoil(id, pdu);
    case 6:
        return writeRegister(id, pdu);
    case 15:
        return writeCoils(id, pdu);
    case 16:
        return writeRegisters(id, pdu);
    default:
        return exceptionPdu(fc, Exception::IllegalFunction);
    }
}

QByteArray RequestHandler::readBits(quint8 fc, const QByteArray& pdu, quint16 bits, int count)
{
    if (pdu.size() != 5)
        return exceptionPdu(fc, Exception::IllegalValue);
    const int from = word(pdu, 1);
    const int quantity = word(pdu, 3);
    if (quantity < 1 || quantity > 2000)
        return exceptionPdu(fc, Exception::IllegalValue);
    if (from + quantity > count)
        return exceptionPdu(fc, Exception::IllegalAddress);
    const quint16 shifted = quint16((bits >> from) & ((1u << quantity) - 1u));
    const int bytes = (quantity + 7) / 8;
    QByteArray out;
    out.append(char(fc)).append(char(bytes)).append(char(shifted & 0xFF));
    if (bytes > 1)
        out.append(char(shifted >> 8));
    return out;
}

QByteArray RequestHandler::readRegister(quint8 fc, const QByteArray& pdu, quint16 value)
{
    if (pdu.size() != 5)
        return exceptionPdu(fc, Exception::IllegalValue);
    const int from = word(pdu, 1);
    const int quantity = word(pdu, 3);
    if (quantity < 1 || quantity > 125)
        return exceptionPdu(fc, Exception::IllegalValue);
    if (from + quantity > 1)
        return exceptionPdu(fc, Exception::IllegalAddress);
    QByteArray out;
    out.append(char(fc)).append(char(2));
    appendWord(out, value);
    return out;
}

QByteArray RequestHandler::writeCoil(ConnectionId id, const QByteArray& pdu)
{
    const quint8 fc = 5;
    if (pdu.size() != 5)
        return exceptionPdu(fc, Exception::IllegalValue);
    const int at = word(pdu, 1);
    const quint16 value = word(pdu, 3);
    if (value != 0xFF00 && value != 0x0000)
        return exceptionPdu(fc, Exception::IllegalValue);
    if (at >= OutputCount)
        return exceptionPdu(fc, Exception::IllegalAddress);
    const quint8 mask = quint8(1u << at);
    return applied(id, fc, mask, value ? mask : 0, pdu);
}

QByteArray RequestHandler::writeCoils(ConnectionId id, const QByteArray& pdu)
{
    const quint8 fc = 15;
    if (pdu.size() < 7)
        return exceptionPdu(fc, Exception::IllegalValue);
    const int from = word(pdu, 1);
    const int quantity = word(pdu, 3);
    const int bytes = quint8(pdu[5]);
    if (quantity < 1 || quantity > 0x7B0 || bytes != (quantity + 7) / 8 || pdu.size() != 6 + bytes)
        return exceptionPdu(fc, Exception::IllegalValue);
    if (from + quantity > OutputCount)
        return exceptionPdu(fc, Exception::IllegalAddress);
    quint16 given = quint8(pdu[6]);
    if (bytes > 1)
        given |= quint16(quint8(pdu[7]) << 8);
    const quint8 mask = bitRange(from, quantity);
    return applied(id, fc, mask, quint8(given << from), pdu.left(5));
}

QByteArray RequestHandler::writeRegister(ConnectionId id, const QByteArray& pdu)
{
    const quint8 fc = 6;
    if (pdu.size() != 5)
        return exceptionPdu(fc, Exception::IllegalValue);
    if (word(pdu, 1) != 0)
        return exceptionPdu(fc, Exception::IllegalAddress);
    const quint16 value = word(pdu, 3);
    // Bits above output 8 belong to nothing: refused, never cut off.
    if (value > 0xFF)
        return exceptionPdu(fc, Exception::IllegalValue);
    return applied(id, fc, 0xFF, quint8(value), pdu);
}

QByteArray RequestHandler::writeRegisters(ConnectionId id, const QByteArray& pdu)
{
    const quint8 fc = 16;
    if (pdu.size() < 8)
        return exceptionPdu(fc, Exception::IllegalValue);
    const int from = word(pdu, 1);
    const int quantity = word(pdu, 3);
    const int bytes = quint8(pdu[5]);
    if (quantity < 1 || quantity > 123 || bytes != 2 * quantity || pdu.size() != 6 + bytes)
        return exceptionPdu(fc, Exception::IllegalValue);
    if (from + quantity > 1)
        return exceptionPdu(fc, Exception::IllegalAddress);
    const quint16 value = word(pdu, 6);
    if (value > 0xFF)
        return exceptionPdu(fc, Exception::IllegalValue);
    return applied(id, fc, 0xFF, quint8(value), pdu.left(5));
}

QByteArray RequestHandler::applied(ConnectionId id, quint8 fc, quint8 mask, quint8 values,
                                   const QByteArray& echo)
{
    switch (m_ownership.write(id, mask, values)) {
    case Ownership::Verdict::Applied:
        return echo;
    case Ownership::Verdict::Busy:
        return exceptionPdu(fc, Exception::Busy);
    case Ownership::Verdict::Held:
    case Ownership::Verdict::NotOff:
        return exceptionPdu(fc, Exception::Held);
    }
    return exceptionPdu(fc, Exception::Busy);
}

QByteArray Session::feed(const QByteArray& bytes)
{
    m_reader.append(bytes);
    QByteArray out;
    while (const std::optional<Frame> f = m_reader.next()) {
        ++m_requests;
        out.append(encodeFrame(f->transaction, f->unit, m_handler.handle(m_id, f->unit, f->pdu)));
    }
    return out;
}

} // namespace plc
