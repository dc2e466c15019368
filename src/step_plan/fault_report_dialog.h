#pragma once

#include "lesson/fault_hunt.h"

#include <QDialog>

class QComboBox;

namespace plan
{

// "Storing melden": the pupil picks the point (every input and output the
// station uses, by number and name) and the kind of fault. Every kind can
// be picked for every point: the choice must not give the answer away.
class FaultReportDialog : public QDialog
{
    Q_OBJECT

  public:
    FaultReportDialog(station::Station s, QWidget* parent = nullptr);

    lesson::HiddenFault answer() const;
    // Chooses `f` in the boxes; false when the point is not in the list.
    bool choose(const lesson::HiddenFault& f);

  private:
    QComboBox* m_point = nullptr;
    QComboBox* m_kind = nullptr;
};

} // namespace plan
