#include "step_plan/recovery.h"

#include "platform/services.h"
#include "step_plan/plan_file.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace plan
{

namespace
{
// Beside the plan's own keys, which a plan file reader leaves alone.
const QString KeyOrigin = QStringLiteral("herstelVan");
} // namespace

QString writeRecovery(const Recovery& recovery, const QString& path)
{
    QJsonObject root = QJsonDocument::fromJson(writePlan(recovery.plan)).object();
    root.insert(KeyOrigin, recovery.origin);
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    platform::storage().makeFolder(QFileInfo(path).absolutePath());
    const platform::WriteResult written = platform::storage().writeFile(path, bytes);
    return written.ok() ? QString() : written.error;
}

std::optional<Recovery> readRecovery(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (file.size() > MaxFileBytes || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcDravik) << "recovery file cannot be read:" << path;
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    ReadResult read = parsePlan(bytes, QFileInfo(path).fileName());
    if (!read.plan) {
        qCWarning(lcDravik) << "recovery file refused:" << read.error;
        return std::nullopt;
    }
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    return Recovery{*read.plan, root.value(KeyOrigin).toString()};
}

} // namespace plan
