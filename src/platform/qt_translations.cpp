#include "platform/qt_translations.h"

#include "platform/services.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform
{

bool installDutchQtTexts(const QString& folder)
{
    const QString dir =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    const QString file = QStringLiteral("qtbase_nl.qm");
    // Lives with the application, which removes it when it ends.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file, dir) || !QCoreApplication::installTranslator(translator)) {
        qCWarning(lcDravik) << "Qt's Dutch texts are missing:" << QDir(dir).filePath(file)
                            << "- install qt6-translations-l10n";
        delete translator;
        return false;
    }
    return true;
}

} // namespace platform
