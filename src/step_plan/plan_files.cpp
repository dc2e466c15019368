#include "step_plan/plan_files.h"

#include "platform/services.h"

#include <QDir>
#include <QStandardPaths>

namespace plan
{

namespace
{
const QString Filter = QStringLiteral("Stappenplannen (*.json)");
PlanFileService* g_service = nullptr;
} // namespace

QString PlanFileService::documentsFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Automatiseren/Stappenplannen");
}

QString PlanFileService::examplesFolder() const
{
    // Wherever the pictures are found, the examples sit beside them.
    const QString pictures = QDir::cleanPath(platform::picturePath(QString()));
    return platform::files().resolve(QFileInfo(pictures).path() +
                                     QStringLiteral("/Stappenplannen"));
}

QString PlanFileService::lessonsFolder() const
{
    const QString pictures = QDir::cleanPath(platform::picturePath(QString()));
    return platform::files().resolve(QFileInfo(pictures).path() + QStringLiteral("/Opdrachten"));
}

QString PlanFileService::recoveryPath() const
{
    return documentsFolder() + QStringLiteral("/.herstel.json");
}

QString PlanFileService::openFileName(QWidget* parent, const QString& folder)
{
    return platform::fileDialogs().openFileName(parent, QStringLiteral("Stappenplan openen"),
                                                folder, Filter);
}

QString PlanFileService::saveFileName(QWidget* parent, const QString& suggested)
{
    return platform::fileDialogs().saveFileName(parent, QStringLiteral("Stappenplan opslaan"),
                                                suggested, Filter);
}

PlanFileService& planFiles()
{
    static PlanFileService standard;
    return g_service ? *g_service : standard;
}

void setPlanFiles(PlanFileService* service)
{
    g_service = service;
}

} // namespace plan
