#include "step_plan/recovery_writer.h"

#include "platform/services.h"
#include "step_plan/plan_document.h"
#include "step_plan/recovery.h"

namespace plan
{

RecoveryWriter::RecoveryWriter(PlanDocument& document, Clock& clock, std::function<QString()> path,
                               QObject* parent)
    : QObject(parent), m_document(document), m_clock(clock), m_path(std::move(path))
{
    m_clock.setWakeHandler([this] { flush(); });
    // A save changes the saved copy only: the file may have to go.
    connect(&m_document, &PlanDocument::planChanged, this, &RecoveryWriter::schedule);
    connect(&m_document, &PlanDocument::fileChanged, this, &RecoveryWriter::schedule);
}

RecoveryWriter::~RecoveryWriter()
{
    m_clock.cancel();
    m_clock.setWakeHandler({});
}

void RecoveryWriter::schedule()
{
    // The program's end writes the file itself, once.
    if (m_document.isEnding())
        return;
    m_clock.wakeAfter(DelayMs);
}

void RecoveryWriter::flush()
{
    m_clock.cancel();
    const QString path = m_path();
    if (m_document.isModified()) {
        const QString error = writeRecovery({m_document.plan(), m_document.path()}, path);
        if (error.isEmpty())
            m_wrote = true;
        else
            qCWarning(lcDravik) << "plan not kept for recovery in" << path << ":" << error;
    } else if (m_wrote) {
        if (platform::storage().removeFile(path))
            m_wrote = false;
        else
            qCWarning(lcDravik) << "recovery file stays:" << path;
    }
}

} // namespace plan
