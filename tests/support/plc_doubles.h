#pragma once

#include "plc/clock.h"

#include <QByteArray>
#include <QString>

// Pieces for the tests of the PLC server: a clock moved by hand and the
// request PDUs a PLC sends, written the way the tests' tables name them.
namespace testing
{

class ManualPlcClock : public plc::Clock
{
  public:
    qint64 nowMs() const override { return now; }
    qint64 now = 0;
};

// A request PDU from a short name: "r1" .. "r4" read everything of that
// kind, "w5 3 on", "w6 0x15", "w15 0x15", "w16 0x15", "w22" (mask write
// register), "w23 0x15" (read/write registers), or plain hex bytes
// "01 0000 0008". Empty when the name means nothing.
QByteArray requestPdu(const QString& name);

// "ok", "=hex of the data" for reads, or "ex06" for an exception reply.
QString describeResponse(const QByteArray& pdu);

} // namespace testing
