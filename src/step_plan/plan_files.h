#pragma once

#include <QString>

class QWidget;

namespace plan
{

// Where plans live and how the pupil picks a file. The folders are
// replaceable so that tests never touch the real documents folder; the
// dialogs are platform::fileDialogs().
class PlanFileService
{
  public:
    virtual ~PlanFileService() = default;
    // The pupil's own plans: "Automatiseren/Stappenplannen" in the
    // documents folder.
    virtual QString documentsFolder() const;
    // The example plans, in "Stappenplannen" beside the picture folder.
    virtual QString examplesFolder() const;
    // The lessons a teacher hands out, in "Opdrachten" beside the examples.
    virtual QString lessonsFolder() const;
    // Where the plan that was being edited when the program ended waits to
    // be offered again: a hidden file in the pupil's plan folder.
    QString recoveryPath() const;
    // The Open and Save dialogs, starting in `folder` (or at `suggested`);
    // empty when the pupil cancels.
    QString openFileName(QWidget* parent, const QString& folder);
    QString saveFileName(QWidget* parent, const QString& suggested);
};

PlanFileService& planFiles();
// nullptr restores the default; the caller keeps ownership.
void setPlanFiles(PlanFileService* service);

} // namespace plan
