// The PLC server without its sockets, fed a script of what PLCs and the
// pupil do: connections from a few peers opening and closing, Modbus TCP
// bytes arriving in pieces of any size (raw, or requests built from the
// input so that writes get through), the emergency hold and its release,
// and the clock moving while the watchdog runs.
//
// It must hold, whatever comes: no output switches on unless the owner's
// own write, answered as applied, asked for it; nothing is on during the
// hold, without an owner, or once the owner has gone (its last connection
// closed or its watchdog ran out); every frame gets exactly one answer, a
// well-formed one: the MBAP header echoed with the right length, the
// function code echoed or an exception (function | 0x80) with a code the
// station uses; a stream that is no Modbus TCP breaks the connection.
#include "plc/clock.h"
#include "plc/modbus_frames.h"
#include "plc/ownership.h"
#include "plc/request_handler.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace
{

[[noreturn]] void fail(const char* what, const QByteArray& detail = {})
{
    std::fprintf(stderr, "fuzz_plc_server: %s %s\n", what, detail.toHex(' ').constData());
    std::abort();
}

struct FuzzClock : plc::Clock {
    qint64 now = 1000;
    qint64 nowMs() const override { return now; }
};

quint16 word(const QByteArray& b, int at)
{
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}

// A request frame as this test reads the stream, independently of the
// server's reader.
struct Request {
    quint16 transaction;
    quint8 unit;
    QByteArray pdu;
};

// The bits a write request asks to switch on, and the bits it covers; both
// 0 for anything that is not a write the station could apply.
struct WriteAsk {
    quint8 mask = 0;
    quint8 values = 0;
};

WriteAsk askOf(const QByteArray& pdu)
{
    WriteAsk a;
    const int fc = quint8(pdu[0]);
    if (fc == 5 && pdu.size() == 5 && word(pdu, 1) < 8 &&
        (word(pdu, 3) == 0xFF00 || word(pdu, 3) == 0)) {
        a.mask = quint8(1u << word(pdu, 1));
        a.values = word(pdu, 3) == 0xFF00 ? a.mask : 0;
    } else if (fc == 6 && pdu.size() == 5 && word(pdu, 1) == 0 && word(pdu, 3) <= 0xFF) {
        a.mask = 0xFF;
        a.values = quint8(word(pdu, 3));
    } else if (fc == 15 && pdu.size() == 7 && quint8(pdu[5]) == 1) {
        const int from = word(pdu, 1);
        const int quantity = word(pdu, 3);
        if (quantity >= 1 && from + quantity <= 8) {
            const quint8 data = quint8(pdu[6]);
            for (int i = 0; i < quantity; ++i) {
                a.mask |= quint8(1u << (from + i));
                if (data & (1u << i))
                    a.values |= quint8(1u << (from + i));
            }
        }
    } else if (fc == 16 && pdu.size() == 8 && word(pdu, 1) == 0 && word(pdu, 3) == 1 &&
               quint8(pdu[5]) == 2 && word(pdu, 6) <= 0xFF) {
        a.mask = 0xFF;
        a.values = quint8(word(pdu, 6));
    }
    return a;
}

struct Connection {
    QHostAddress peer;
    std::unique_ptr<plc::Session> session;
    QByteArray stream; // what this test has not yet cut into requests
    bool broken = false;
};

class Harness
{
  public:
    Harness(int watchdogMs, quint8 unit)
        : m_ownership(m_clock, watchdogMs), m_handler(
                                                m_ownership, [this] { return m_inputs; }, unit),
          m_watchdogMs(watchdogMs)
    {
        m_ownership.setOutputHandler([this](quint8 w) { onOutputs(w); });
        m_ownership.setEventHandler([this](const plc::Ownership::Event& e) {
            if (e.kind == plc::Ownership::Event::TookOver && m_ownership.outputs() != 0)
                fail("a new owner starts with outputs on");
        });
    }

    void open(int peer)
    {
        if (m_connections.size() >= 8)
            return;
        const plc::ConnectionId id = ++m_nextId;
        Connection c;
        c.peer = QHostAddress(quint32(0x0A000001 + peer));
        c.session = std::make_unique<plc::Session>(m_handler, id);
        m_connections.emplace(id, std::move(c));
        m_ownership.connectionOpened(id, m_connections.at(id).peer);
        check();
    }

    void close(size_t index)
    {
        if (m_connections.empty())
            return;
        auto it = m_connections.begin();
        std::advance(it, index % m_connections.size());
        closeId(it->first);
    }

    void closeId(plc::ConnectionId id)
    {
        m_connections.erase(id);
        m_ownership.connectionClosed(id);
        check();
    }

    void feed(size_t index, const QByteArray& bytes)
    {
        if (m_connections.empty())
            return;
        auto it = m_connections.begin();
        std::advance(it, index % m_connections.size());
        Connection& c = it->second;
        const plc::ConnectionId id = it->first;

        // The requests this piece completes, as this test reads the stream.
        std::vector<Request> requests;
        c.stream.append(bytes);
        while (!c.broken && c.stream.size() >= 7) {
            const int length = word(c.stream, 4);
            if (word(c.stream, 2) != 0 || length < 2 || length > 254) {
                c.broken = true;
                break;
            }
            if (c.stream.size() < 6 + length)
                break;
            requests.push_back(
                {word(c.stream, 0), quint8(c.stream[6]), c.stream.mid(7, length - 1)});
            c.stream.remove(0, 6 + length);
        }
        if (!requests.empty())
            m_lastFrame[c.peer.toIPv4Address()] = m_clock.now;

        m_feeding = &c;
        m_switchedOn = 0;
        const int before = c.session->requests();
        const QByteArray answers = c.session->feed(bytes);
        m_feeding = nullptr;

        if (c.session->requests() - before != int(requests.size()))
            fail("the server saw another number of requests", bytes);
        quint8 asked = 0;
        int at = 0;
        WriteAsk last;
        for (const Request& r : requests) {
            const QByteArray pdu = answer(answers, at, r);
            last = WriteAsk{};
            if (quint8(pdu[0]) == quint8(r.pdu[0]) && quint8(r.pdu[0]) < 0x80) {
                last = askOf(r.pdu);
                asked |= last.values;
                if (quint8(r.pdu[0]) >= 5 && last.mask == 0)
                    fail("a write the station cannot do answered as done", r.pdu);
            }
        }
        if (at != answers.size())
            fail("answer bytes beyond the answers", answers);
        // An output switched on during this piece: one of its applied
        // writes asked for it.
        if (m_switchedOn & ~asked)
            fail("an output switched on that no applied write asked for", bytes);
        // A write answered as applied, the last thing that happened, shows.
        if (!requests.empty() && (m_ownership.outputs() & last.mask) != (last.values & last.mask))
            fail("a write answered as applied is not what the outputs show", bytes);
        if (c.broken != c.session->isBroken())
            fail(c.broken ? "a stream that is no Modbus TCP was accepted"
                          : "a good stream was broken off",
                 bytes);
        // The server closes a broken connection.
        if (c.broken)
            closeId(id);
        else
            check();
    }

    void hold(bool on)
    {
        m_ownership.setHold(on);
        check();
    }

    void step(qint64 ms)
    {
        m_clock.now += ms;
        // The server's timer runs the watchdog when it is due.
        m_ownership.expire();
        check();
    }

    void setInputs(quint8 inputs) { m_inputs = inputs; }

  private:
    // Cuts the next answer out of `answers` and checks it against `r`.
    QByteArray answer(const QByteArray& answers, int& at, const Request& r)
    {
        if (answers.size() - at < 9)
            fail("a request without a whole answer", r.pdu);
        const QByteArray a = answers.mid(at);
        const int length = word(a, 4);
        if (word(a, 0) != r.transaction || word(a, 2) != 0 || quint8(a[6]) != r.unit)
            fail("an answer header that does not echo the request", a.left(7));
        if (length < 3 || a.size() < 6 + length)
            fail("an answer length that does not match", a);
        const QByteArray pdu = a.mid(7, length - 1);
        at += 6 + length;
        const quint8 fc = quint8(r.pdu[0]);
        const quint8 got = quint8(pdu[0]);
        if (got == (fc | 0x80) && pdu.size() == 2) {
            const int code = quint8(pdu[1]);
            if (code != 1 && code != 2 && code != 3 && code != 4 && code != 6 && code != 0x0B)
                fail("an exception code the station does not use", pdu);
            return pdu;
        }
        if (got != fc)
            fail("an answer with another function code", pdu);
        switch (fc) {
        case 1:
        case 2: {
            const int bytes = (word(r.pdu, 3) + 7) / 8;
            if (pdu.size() != 2 + bytes || quint8(pdu[1]) != bytes)
                fail("a bit read with the wrong byte count", pdu);
            const int count = fc == 1 ? 8 : 9;
            const int from = word(r.pdu, 1);
            const int quantity = word(r.pdu, 3);
            if (from + quantity > count)
                fail("a bit read beyond the station answered", r.pdu);
            // Bits beyond the quantity are zero.
            const quint16 bits = quint16(quint8(pdu[2]) | (bytes > 1 ? quint8(pdu[3]) << 8 : 0));
            if (bits >> quantity)
                fail("a bit read with bits beyond the quantity", pdu);
            break;
        }
        case 3:
        case 4:
            if (pdu.size() != 4 || quint8(pdu[1]) != 2 || r.pdu.size() != 5 ||
                word(r.pdu, 1) + word(r.pdu, 3) > 1)
                fail("a register read with the wrong form", pdu);
            if (fc == 3 && word(pdu, 2) > 0xFF)
                fail("an output register above output 8", pdu);
            break;
        case 5:
        case 6:
            if (pdu != r.pdu)
                fail("a single write not echoed", pdu);
            break;
        case 15:
        case 16:
            if (pdu != r.pdu.left(5))
                fail("a multiple write not echoed", pdu);
            break;
        default:
            fail("an answer to a function the station does not serve", pdu);
        }
        return pdu;
    }

    void onOutputs(quint8 w)
    {
        const quint8 on = quint8(w & ~m_seen);
        m_seen = w;
        if (!on)
            return;
        if (m_ownership.isHeld())
            fail("an output switched on during the hold");
        if (!m_ownership.hasOwner())
            fail("an output switched on without an owner");
        if (!m_feeding)
            fail("an output switched on without a request");
        if (m_feeding->peer != m_ownership.owner())
            fail("an output switched on by a request from another PLC");
        m_switchedOn |= on;
    }

    // What must hold between any two things that happen.
    void check()
    {
        const quint8 out = m_ownership.outputs();
        if (out != m_seen)
            fail("the outputs changed without telling");
        if (m_ownership.isHeld() && out != 0)
            fail("outputs on during the hold");
        if (!m_ownership.hasOwner()) {
            if (out != 0)
                fail("outputs on without an owner");
            return;
        }
        bool connected = false;
        for (const auto& [id, c] : m_connections)
            connected = connected || c.peer == m_ownership.owner();
        if (!connected)
            fail("an owner without a connection");
        if (m_watchdogMs > 0 &&
            m_clock.now - m_lastFrame[m_ownership.owner().toIPv4Address()] >= m_watchdogMs)
            fail("an owner kept past its watchdog");
    }

    FuzzClock m_clock;
    plc::Ownership m_ownership;
    plc::RequestHandler m_handler;
    int m_watchdogMs;
    quint8 m_inputs = 0;
    std::map<plc::ConnectionId, Connection> m_connections;
    std::map<quint32, qint64> m_lastFrame;
    plc::ConnectionId m_nextId = 0;
    Connection* m_feeding = nullptr;
    quint8 m_seen = 0;
    quint8 m_switchedOn = 0;
};

// A request the station knows, built from the input, so that the search
// reaches the writes without having to guess the framing.
QByteArray builtRequest(FuzzedDataProvider& in)
{
    static const quint8 functions[] = {1, 2, 3, 4, 5, 6, 15, 16};
    const quint8 fc = functions[in.ConsumeIntegralInRange(0, 7)];
    const quint16 address =
        in.ConsumeBool() ? in.ConsumeIntegralInRange<quint16>(0, 9) : in.ConsumeIntegral<quint16>();
    const quint16 quantity =
        in.ConsumeBool() ? in.ConsumeIntegralInRange<quint16>(0, 9) : in.ConsumeIntegral<quint16>();
    QByteArray pdu;
    pdu.append(char(fc)).append(char(address >> 8)).append(char(address & 0xFF));
    if (fc == 5) {
        const quint16 v = in.ConsumeBool() ? 0xFF00 : in.ConsumeIntegral<quint16>();
        pdu.append(char(v >> 8)).append(char(v & 0xFF));
    } else {
        pdu.append(char(quantity >> 8)).append(char(quantity & 0xFF));
    }
    if (fc == 15 || fc == 16) {
        const std::string data = in.ConsumeRandomLengthString(8);
        pdu.append(char(data.size())).append(data.data(), int(data.size()));
    }
    const quint16 transaction = in.ConsumeIntegral<quint16>();
    const quint8 unit = in.ConsumeBool() ? 1 : in.ConsumeIntegral<quint8>();
    return plc::encodeFrame(transaction, unit, pdu);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int watchdogMs = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(1, 5000);
    const quint8 unit = in.ConsumeBool() ? 0 : in.ConsumeIntegral<quint8>();
    Harness h(watchdogMs, unit);
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0:
            h.open(in.ConsumeIntegralInRange(0, 3));
            break;
        case 1:
            h.close(in.ConsumeIntegral<quint8>());
            break;
        case 2: {
            // Raw bytes, as a socket hands them over.
            const size_t to = in.ConsumeIntegral<quint8>();
            const std::string bytes = in.ConsumeRandomLengthString(300);
            h.feed(to, QByteArray(bytes.data(), int(bytes.size())));
            break;
        }
        case 3:
        case 4: {
            // Requests built whole, cut into pieces anywhere.
            const size_t to = in.ConsumeIntegral<quint8>();
            QByteArray stream = builtRequest(in);
            while (in.ConsumeBool() && stream.size() < 2000)
                stream.append(builtRequest(in));
            while (!stream.isEmpty()) {
                const int piece = in.ConsumeIntegralInRange<int>(1, int(stream.size()));
                h.feed(to, stream.left(piece));
                stream.remove(0, piece);
            }
            break;
        }
        case 5:
            h.hold(in.ConsumeBool());
            break;
        case 6:
            h.step(in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 6000)
                                    : in.ConsumeIntegralInRange(0, 20));
            break;
        case 7:
            h.setInputs(in.ConsumeIntegral<quint8>());
            break;
        }
    }
    return 0;
}
