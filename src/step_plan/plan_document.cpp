#include "step_plan/plan_document.h"

#include "platform/services.h"
#include "step_plan/plan_file.h"
#include "step_plan/plan_files.h"
#include "step_plan/station_points.h"

#include <QFileInfo>

namespace plan
{

namespace
{

QString stepsText(int n)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? QStringLiteral("stap")
                                                     : QStringLiteral("stappen"));
}

} // namespace

PlanDocument::PlanDocument(QObject* parent) : QObject(parent) {}

void PlanDocument::setPlan(const Plan& plan)
{
    m_plan = plan;
    emit planChanged();
}

bool PlanDocument::replace(const Plan& plan)
{
    if (isRunning())
        return false;
    setPlan(plan);
    m_selected = plan.steps.isEmpty() ? -1 : 0;
    emit planReset();
    return true;
}

bool PlanDocument::editSelected(const std::function<void(Step&)>& change)
{
    if (isRunning() || !hasSelection())
        return false;
    Plan p = m_plan;
    change(p.steps[m_selected]);
    if (p == m_plan)
        return false;
    setPlan(p);
    emit stepEdited(m_selected);
    return true;
}

bool PlanDocument::setTarget(int output, std::optional<bool> value)
{
    return editSelected([output, value](Step& s) { s.setTarget(output, value); });
}

bool PlanDocument::setWaitKind(WaitKind kind)
{
    const StationPoints points = stationPoints(m_plan.station);
    return editSelected([kind, &points](Step& s) {
        s.wait.kind = kind;
        if (kind == WaitKind::Input && !points.usesInput(s.wait.input))
            for (int n = 1; n <= PointCount; ++n)
                if (points.usesInput(n)) {
                    s.wait.input = n;
                    break;
                }
    });
}

bool PlanDocument::setWaitInput(int input)
{
    return editSelected([input](Step& s) { s.wait.input = input; });
}

bool PlanDocument::setWaitOn(bool on)
{
    return editSelected([on](Step& s) { s.wait.on = on; });
}

bool PlanDocument::setWaitMs(int ms)
{
    return editSelected([ms](Step& s) { s.wait.ms = ms; });
}

bool PlanDocument::setTimeoutMs(int ms)
{
    return editSelected([ms](Step& s) { s.timeoutMs = ms; });
}

bool PlanDocument::setNote(const QString& note)
{
    return editSelected([&note](Step& s) { s.note = note; });
}

bool PlanDocument::setStation(station::Station s)
{
    if (isRunning() || s == m_plan.station)
        return false;
    Plan p = m_plan;
    p.station = s;
    const QString why = checkPoints(p);
    if (!why.isEmpty()) {
        emit message(
            QStringLiteral("Dit plan past niet bij %1: %2").arg(station::displayName(s), why));
        return false;
    }
    setPlan(p);
    emit stationChanged();
    return true;
}

void PlanDocument::setRepeat(bool on)
{
    if (isRunning())
        return;
    Plan p = m_plan;
    p.repeat = on;
    setPlan(p);
}

bool PlanDocument::addStep()
{
    if (isRunning())
        return false;
    Plan p = m_plan;
    const int at = m_selected >= 0 ? m_selected + 1 : int(p.steps.size());
    p.steps.insert(at, Step());
    setPlan(p);
    m_selected = at;
    emit stepsChanged();
    return true;
}

bool PlanDocument::removeStep()
{
    if (isRunning() || !hasSelection())
        return false;
    Plan p = m_plan;
    p.steps.removeAt(m_selected);
    setPlan(p);
    m_selected = std::min(m_selected, int(p.steps.size()) - 1);
    emit stepsChanged();
    return true;
}

bool PlanDocument::moveStep(int by)
{
    const int to = m_selected + by;
    if (isRunning() || m_selected < 0 || to < 0 || to >= m_plan.steps.size())
        return false;
    Plan p = m_plan;
    p.steps.swapItemsAt(m_selected, to);
    setPlan(p);
    m_selected = to;
    emit stepsChanged();
    return true;
}

bool PlanDocument::load(const QString& path)
{
    if (isRunning()) {
        emit message(QStringLiteral("Stop eerst het stappenplan; daarna kun je een ander openen."));
        return false;
    }
    const ReadResult read = readPlanFile(path);
    if (!read.plan) {
        emit message(read.error);
        return false;
    }
    replace(*read.plan);
    m_saved = *read.plan;
    m_path = path;
    emit fileChanged();
    emit message(QStringLiteral("Geopend: %1 (%2, %3).")
                     .arg(QFileInfo(path).fileName(), station::displayName(read.plan->station),
                          stepsText(int(read.plan->steps.size()))));
    return true;
}

bool PlanDocument::save(const QString& path)
{
    const QString error = savePlanFile(m_plan, path);
    if (!error.isEmpty()) {
        emit message(error);
        return false;
    }
    m_saved = m_plan;
    m_path = path;
    emit fileChanged();
    emit message(QStringLiteral("Opgeslagen: %1.").arg(QFileInfo(path).fileName()));
    return true;
}

bool PlanDocument::saveChanges()
{
    return isOwnFile() ? save(m_path) : saveAs();
}

bool PlanDocument::saveAs()
{
    const QString folder = planFiles().documentsFolder();
    platform::storage().makeFolder(folder);
    // Examples are not overwritten: their copy goes to the pupil's folder.
    const bool own = isOwnFile();
    const QString name = m_path.isEmpty()
                             ? station::displayName(m_plan.station) + QStringLiteral(".json")
                             : QFileInfo(m_path).fileName();
    QString path = m_prompts.saveFileName
                       ? m_prompts.saveFileName(own ? m_path : folder + QLatin1Char('/') + name)
                       : QString();
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".json");
    return save(path);
}

bool PlanDocument::isOwnFile() const
{
    return !m_path.isEmpty() && QFileInfo(m_path).absolutePath() !=
                                    QFileInfo(planFiles().examplesFolder()).absoluteFilePath();
}

bool PlanDocument::newPlan()
{
    // (Not while a plan runs: no question may hold the windows then.)
    if (isRunning() || !mayLeave())
        return false;
    Plan p;
    p.station = m_plan.station;
    if (!replace(p))
        return false;
    m_saved = p;
    m_path.clear();
    emit fileChanged();
    emit message(QStringLiteral("Nieuw stappenplan voor %1. Voeg stappen toe met Toevoegen.")
                     .arg(station::displayName(p.station)));
    return true;
}

bool PlanDocument::begin(const Plan& plan)
{
    if (!replace(plan))
        return false;
    m_saved = plan;
    m_path.clear();
    emit fileChanged();
    return true;
}

void PlanDocument::openFrom(const QString& folder)
{
    if (isRunning() || !mayLeave())
        return;
    platform::storage().makeFolder(folder);
    const QString path = m_prompts.openFileName ? m_prompts.openFileName(folder) : QString();
    if (!path.isEmpty())
        load(path);
}

bool PlanDocument::mayLeave()
{
    if (!isModified())
        return true;
    const int answer = m_prompts.askSaveChanges ? m_prompts.askSaveChanges() : 0;
    // The program ended while the question was open: the recovery file has the plan.
    if (m_ending)
        return false;
    if (answer == platform::ResultSave)
        return saveChanges();
    return answer == platform::ResultDiscard;
}

bool PlanDocument::revert()
{
    if (!isModified() || !replace(m_saved))
        return false;
    emit message(QStringLiteral("De wijzigingen zijn niet opgeslagen."));
    return true;
}

void PlanDocument::offerRecovery(const QString& recoveryPath)
{
    const std::optional<Recovery> kept = readRecovery(recoveryPath);
    // A plan of this session is never pushed aside without a question.
    if (!kept || isRunning() || isModified())
        return;
    const QString text =
        QStringLiteral("De vorige keer is het programma afgesloten voordat je stappenplan was "
                       "opgeslagen.\r%1 (%2, %3)\rWil je verder met dat plan?")
            .arg(kept->origin.isEmpty() ? QStringLiteral("Nieuw plan")
                                        : QFileInfo(kept->origin).fileName(),
                 station::displayName(kept->plan.station), stepsText(int(kept->plan.steps.size())));
    const int answer = m_prompts.askRecovery ? m_prompts.askRecovery(text) : 0;
    // No answer (the box closed by the program ending) keeps it for next time.
    if (m_ending || (answer != platform::ResultYes && answer != platform::ResultNo))
        return;
    if (answer == platform::ResultYes)
        restore(*kept);
    if (!platform::storage().removeFile(recoveryPath))
        qCWarning(lcDravik) << "recovery file stays:" << recoveryPath;
}

bool PlanDocument::restore(const Recovery& kept)
{
    if (!replace(kept.plan))
        return false;
    const ReadResult origin = kept.origin.isEmpty() ? ReadResult() : readPlanFile(kept.origin);
    Plan begun;
    begun.station = kept.plan.station;
    m_saved = origin.plan ? *origin.plan : begun;
    m_path = kept.origin;
    emit fileChanged();
    emit message(QStringLiteral("Het stappenplan van de vorige keer is terug. Bewaar het met "
                                "Opslaan…"));
    return true;
}

} // namespace plan
