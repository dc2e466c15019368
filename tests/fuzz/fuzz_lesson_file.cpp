// The lesson reader, fed bytes as they would come from a lesson file. A
// lesson it accepts must survive saving: written and read again it is the
// same lesson, and writing that gives the same bytes.
#include "lesson/lesson_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

[[noreturn]] void fail(const char* what, const QByteArray& detail)
{
    std::fprintf(stderr, "fuzz_lesson_file: %s\n%s\n", what, detail.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Larger files are refused before they are parsed.
    if (size > size_t(lesson::MaxFileBytes))
        return -1;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString name = QStringLiteral("les.json");
    const lesson::ReadResult first = lesson::parseLesson(bytes, name);
    if (!first.lesson) {
        if (!first.error.startsWith(QStringLiteral("Kan \"les.json\" niet openen: ")))
            fail("a refusal without its message", first.error.toUtf8());
        return 0;
    }
    if (!first.error.isEmpty())
        fail("an accepted lesson with an error", first.error.toUtf8());
    for (const lesson::Scenario& s : first.lesson->scenarios) {
        if (s.seconds < lesson::MinScenarioSeconds || s.seconds > lesson::MaxScenarioSeconds)
            fail("a scenario's time out of bounds", s.name.toUtf8());
        for (const lesson::PartDrop& p : s.parts)
            if (p.ms < 0 || p.ms > s.seconds * 1000)
                fail("a part outside its scenario", s.name.toUtf8());
    }

    const QByteArray written = lesson::writeLesson(*first.lesson);
    const lesson::ReadResult second = lesson::parseLesson(written, name);
    if (!second.lesson)
        fail("a saved lesson is refused", second.error.toUtf8() + '\n' + written);
    if (!(*second.lesson == *first.lesson))
        fail("a saved lesson reads back different", written);
    if (lesson::writeLesson(*second.lesson) != written)
        fail("saving the lesson read back gives other bytes", written);
    return 0;
}
