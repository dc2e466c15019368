// The step plan reader, fed bytes as they would come from a plan file. A
// plan it accepts must survive saving: written and read again it is the
// same plan, and writing that gives the same bytes.
#include "step_plan/plan_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

[[noreturn]] void fail(const char* what, const QByteArray& detail)
{
    std::fprintf(stderr, "fuzz_plan_file: %s\n%s\n", what, detail.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Larger files are refused before they are parsed.
    if (size > size_t(plan::MaxFileBytes))
        return -1;
    // The bytes as they are, without the terminating zero a copy would add,
    // so that reading past their end is seen.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString name = QStringLiteral("plan.json");
    const plan::ReadResult first = plan::parsePlan(bytes, name);
    if (!first.plan) {
        if (!first.error.startsWith(QStringLiteral("Kan \"plan.json\" niet openen: ")))
            fail("a refusal without its message", first.error.toUtf8());
        return 0;
    }
    if (!first.error.isEmpty())
        fail("an accepted plan with an error", first.error.toUtf8());

    const QByteArray written = plan::writePlan(*first.plan);
    const plan::ReadResult second = plan::parsePlan(written, name);
    if (!second.plan)
        fail("a saved plan is refused", second.error.toUtf8() + '\n' + written);
    if (!(*second.plan == *first.plan))
        fail("a saved plan reads back different", written);
    if (plan::writePlan(*second.plan) != written)
        fail("saving the plan read back gives other bytes", written);
    return 0;
}
