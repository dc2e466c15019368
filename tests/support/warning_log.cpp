#include "support/warning_log.h"

namespace testing
{

namespace
{
WarningLog* g_current = nullptr;
}

WarningLog::WarningLog() : m_outer(g_current)
{
    g_current = this;
    m_previous = qInstallMessageHandler(&WarningLog::handle);
}

WarningLog::~WarningLog()
{
    qInstallMessageHandler(m_previous);
    g_current = m_outer;
}

QStringList WarningLog::take()
{
    QStringList out;
    out.swap(m_lines);
    return out;
}

void WarningLog::handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    WarningLog* log = g_current;
    if (log && type == QtWarningMsg && context.category &&
        qstrcmp(context.category, "dravik") == 0) {
        log->m_lines.append(text);
        return;
    }
    if (log && log->m_previous)
        log->m_previous(type, context, text);
}

} // namespace testing
