#include "platform/installation_file.h"

#include "platform/services.h"

#include <QDir>
#include <QFileInfo>

namespace platform
{

namespace
{

QString& overridePath()
{
    static QString path;
    return path;
}

} // namespace

void setInstallationFileOverride(const QString& path)
{
    overridePath() = path;
}

QString installationFileOverride()
{
    return overridePath();
}

QString installationFile()
{
    if (!overridePath().isEmpty())
        return overridePath();
    const QDir program(files().programFolder());
    const QString beside = files().resolve(program.filePath(QStringLiteral("Automatiseren.ini")));
    if (QFileInfo::exists(beside))
        return beside;
    const QString system = files().resolve(QDir::cleanPath(
        program.filePath(QStringLiteral("../../etc/automatiseren/Automatiseren.ini"))));
    if (QFileInfo::exists(system))
        return system;
    return beside;
}

} // namespace platform
