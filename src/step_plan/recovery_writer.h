#pragma once

#include "step_plan/clock.h"

#include <QObject>
#include <QString>

#include <functional>

namespace plan
{

class PlanDocument;

// Keeps a changed plan in the recovery file while the program runs, a few
// seconds after the last change, so that a hard stop (a crash, a killed
// process, the power) loses at most those seconds. Once the plan is saved or
// put back, the file this writer left goes; a file it did not write (the
// plan of an earlier run, not yet offered) stays.
class RecoveryWriter : public QObject
{
    Q_OBJECT

  public:
    // Typing in bursts is written once, after the burst.
    static constexpr int DelayMs = 3000;

    // `document` and `clock` must outlive the writer; `path` names the
    // recovery file at the moment it is written.
    RecoveryWriter(PlanDocument& document, Clock& clock, std::function<QString()> path,
                   QObject* parent = nullptr);
    ~RecoveryWriter() override;

    // Writes a changed plan, or removes the file this writer left, now.
    void flush();
    bool isPending() const { return m_clock.isSet(); }

  private:
    void schedule();

    PlanDocument& m_document;
    Clock& m_clock;
    std::function<QString()> m_path;
    bool m_wrote = false;
};

} // namespace plan
