// What a pupil's program and the teacher's window make of the class
// broker's messages, fed a topic and a payload: the topic up to the first
// zero byte, the payload after it.
//
// It must hold, whatever comes: nothing crashes; a fault set that is
// accepted is written and read back as the same set; the faults change only
// the inputs they name, and only a short circuit reads an input as on;
// only a JSON object whose "allesuit" is true is a switch-off; a status
// that is accepted keeps its words and texts in their bounds and reads back
// the same once written; an account read from a status topic is a single
// level that gives the same topic back.
#include "interface_link/input_faults.h"
#include "klas/klas_messages.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

[[noreturn]] void fail(const char* what, const QByteArray& detail)
{
    std::fprintf(stderr, "fuzz_klas_messages: %s\n%s\n", what, detail.constData());
    std::abort();
}

void checkFaults(const klas::Faults& f, const QByteArray& payload)
{
    const std::optional<klas::Faults> again = klas::decodeFaults(klas::encodeFaults(f));
    if (!again || *again != f)
        fail("an accepted fault set reads back different", payload);
    if (f.describe().isEmpty() == f.any())
        fail("a fault set described other than it is", payload);
    int shorted = 0;
    int faulty = 0;
    for (int i = 0; i < 8; ++i) {
        if (f.input[i] == klas::Fault::ShortCircuit)
            shorted |= 1 << i;
        if (f.input[i] != klas::Fault::None)
            faulty |= 1 << i;
    }
    for (const int base : {0, 0xFF, 0x100, 0x1FF, -1, 0x5A, 0xA5}) {
        const int word = base;
        const int seen =
            iface::withFaults(word, iface::InputFaults::of(faulty & ~shorted, shorted));
        if ((seen ^ word) & ~faulty)
            fail("a fault changes an input it does not name", payload);
        if (seen & ~word & ~shorted)
            fail("an input reads on that only a short circuit may turn on", payload);
    }
}

bool cleanText(const QString& t)
{
    if (t.size() > 200)
        return false;
    for (const QChar c : t) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

void checkStatus(const klas::PupilStatus& s, const QByteArray& payload)
{
    if (s.uitgangen < 0 || s.uitgangen > 255 || s.ingangen < 0 || s.ingangen > 255 || s.stap < 0 ||
        s.stap > 9999)
        fail("a status with a number out of bounds", payload);
    for (const QString* t :
         {&s.naam, &s.interfaceType, &s.station, &s.plan, &s.planBericht, &s.plc, &s.allesUit}) {
        if (!cleanText(*t))
            fail("a status text too long or with control characters", payload);
    }
    const QByteArray written = klas::encodeStatus(s);
    const std::optional<klas::PupilStatus> again = klas::decodeStatus(written);
    if (!again || *again != s)
        fail("an accepted status reads back different", payload + "\n" + written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(bytes, 0, size);
    const size_t topicSize = zero ? size_t(static_cast<const char*>(zero) - bytes) : size;
    const QString topic = QString::fromUtf8(bytes, qsizetype(topicSize));
    // The bytes as they are, without the terminating zero a copy would add,
    // so that reading past their end is seen.
    const QByteArray payload =
        zero ? QByteArray::fromRawData(bytes + topicSize + 1, qsizetype(size - topicSize - 1))
             : QByteArray();

    const QString klasName = QStringLiteral("3b");
    const QString account = klas::accountOfStatusTopic(klasName, topic);
    if (!account.isEmpty() &&
        (account.contains(QLatin1Char('/')) || klas::statusTopic(klasName, account) != topic))
        fail("an account that is not the topic's", topic.toUtf8());

    if (const std::optional<klas::Faults> f = klas::decodeFaults(payload))
        checkFaults(*f, payload);

    if (klas::isAllOff(payload)) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject() ||
            doc.object().value(QStringLiteral("allesuit")) != QJsonValue(true))
            fail("a switch-off that is not one", payload);
    }

    if (const std::optional<klas::PupilStatus> s = klas::decodeStatus(payload))
        checkStatus(*s, payload);
    return 0;
}
