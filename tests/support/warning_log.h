#pragma once

#include <QStringList>
#include <QtGlobal>

namespace testing
{

// Records the program's own warnings (log category "dravik") while it
// lives; every other message goes on to the handler that was there before.
class WarningLog
{
  public:
    WarningLog();
    ~WarningLog();
    WarningLog(const WarningLog&) = delete;
    WarningLog& operator=(const WarningLog&) = delete;

    const QStringList& messages() const { return m_lines; }
    int count() const { return int(m_lines.size()); }
    // The warnings so far; the log starts empty again.
    QStringList take();

  private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
    WarningLog* m_outer = nullptr;
};

} // namespace testing
