#include "main_window/main.h"
#include "app/command_line.h"
#include "app/program.h"
#include "klas/klasoverzicht.h"
#include "klas/pupil_session.h"
#include "platform/exit_signals.h"
#include "platform/qt_translations.h"
#include "platform/services.h"
#include "settings/installation_settings.h"
#include "window_placement/window_placer.h"

#include <QApplication>
#include <QSessionManager>
#include <QSettings>
#include <QSysInfo>

namespace
{

// [klas] of the installation file; without it the program does no
// networking at all.
klas::KlasSettings classSettings()
{
    QSettings* file = settings::installationFile();
    return file ? klas::KlasSettings::fromSettings(*file, QSysInfo::machineHostName())
                : klas::KlasSettings{};
}

// --docent: the teacher's class overview instead of the main window.
int runTeacherWindow(QApplication& app, const klas::KlasSettings& settings)
{
    if (!settings.usable()) {
        const QString why =
            settings.present
                ? settings.problem
                : QStringLiteral("In het installatiebestand %1 staat geen groep [klas] met de "
                                 "klasbroker.")
                      .arg(settings::installationFilePath());
        platform::messages().show(nullptr,
                                  {QStringLiteral("Klasoverzicht"), why,
                                   platform::MessageButtons::Ok, platform::MessageIcon::Warning});
        return 2;
    }
    std::unique_ptr<klas::Klasoverzicht> window = klas::makeTeacherWindow(settings);
    platform::ExitSignals* exitSignals = platform::ExitSignals::install(&app);
    QObject::connect(exitSignals, &platform::ExitSignals::exitRequested, &app,
                     [] { QCoreApplication::exit(0); });
    // Inside the screen's usable area, as every window of the program.
    placement::placeMainWindow(window.get(), window->size());
    window->show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    // --help, --version and --settings are read before anything needs a display.
    if (const int status = cmdline::readCommandLine(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Automatiseren"));
    QApplication::setApplicationDisplayName(QStringLiteral("Automatiseren voor het VMBO"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(DRAVIK_VERSION_MAJOR)
                                            .arg(DRAVIK_VERSION_MINOR)
                                            .arg(DRAVIK_VERSION_PATCH));
    // The pupil reads Dutch, also in Qt's own buttons and file dialogs.
    platform::installDutchQtTexts();
    const klas::KlasSettings klasSettings = classSettings();
    if (cmdline::teacherWindowAsked())
        return runTeacherWindow(app, klasSettings);

    std::unique_ptr<app::Program> program = app::Program::fromInstallation(klasSettings);
    Main& window = program->window();
    // SIGINT, SIGTERM, SIGHUP and the end of the desktop session leave the
    // way "Afsluiten" does: outputs off first.
    platform::ExitSignals* exitSignals = platform::ExitSignals::install(&app);
    QObject::connect(exitSignals, &platform::ExitSignals::exitRequested, &window,
                     &Main::exitProgram);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.exitProgram(); });
    window.show();
    const int status = QApplication::exec();
    // The windows go first; destroying the interface last waits (bounded)
    // until the all-off word has reached the device.
    program.reset();
    return status;
}
