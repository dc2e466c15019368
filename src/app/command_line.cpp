#include "app/command_line.h"

#include "lesson/grading.h"
#include "platform/installation_file.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace cmdline
{

namespace
{

// Options QApplication takes itself; they pass without complaint and are
// not shown in the usage.
void addQtOptions(QCommandLineParser& parser)
{
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "style",
                             "stylesheet", "qwindowgeometry", "qwindowtitle", "qwindowicon",
                             "display", "geometry", "session", "qmljsdebugger"}) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
}

} // namespace

namespace
{
bool g_teacher = false;
} // namespace

bool teacherWindowAsked()
{
    return g_teacher;
}

QString versionLine()
{
    return QStringLiteral("Automatiseren %1.%2.%3")
        .arg(DRAVIK_VERSION_MAJOR)
        .arg(DRAVIK_VERSION_MINOR)
        .arg(DRAVIK_VERSION_PATCH);
}

int readCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    constexpr int kUsageError = 2;
    const QString program =
        QFileInfo(arguments.value(0, QStringLiteral("automatiseren"))).fileName();
    QCommandLineParser parser;
    // Qt's options start with a single dash and are whole words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Automatiseren voor het VMBO: drive and watch the training stations through "
                       "an I/O interface, or through the built-in simulated one."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Use FILE as the installation file instead of Automatiseren.ini beside the "
                       "program or /etc/automatiseren/Automatiseren.ini."),
        QStringLiteral("FILE"));
    const QCommandLineOption teacher(
        QStringLiteral("docent"),
        QStringLiteral("Open the teacher's class overview (Klasoverzicht) instead of the main "
                       "window; the class broker is set under [klas] in the installation file."));
    const QCommandLineOption grade(
        QStringLiteral("nakijken"),
        QStringLiteral("Kijk de stappenplannen (bestanden of mappen met *.json) na tegen de "
                       "opdracht LES: per plan een regel met het aantal goede scenario's en de "
                       "eerste fout. Eindigt met 0 als elk plan is nagekeken, 1 als een plan "
                       "niet te lezen was, 2 als de opdracht niet te lezen is."),
        QStringLiteral("LES"));
    const QCommandLineOption gradeCsv(
        QStringLiteral("csv"),
        QStringLiteral("Schrijf bij --nakijken hetzelfde ook als CSV naar FILE."),
        QStringLiteral("FILE"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(settings);
    parser.addOption(teacher);
    parser.addOption(grade);
    parser.addOption(gradeCsv);
    parser.addPositionalArgument(QStringLiteral("PLAN"),
                                 QStringLiteral("Bij --nakijken: stappenplannen of mappen."),
                                 QStringLiteral("[PLAN.json|MAP...]"));
    addQtOptions(parser);

    if (!parser.parse(arguments)) {
        err << program << ": " << parser.errorText() << " (see " << program << " --help)\n";
        return kUsageError;
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), program);
        out << text;
        return 0;
    }
    if (parser.isSet(version)) {
        out << versionLine() << '\n';
        return 0;
    }
    if (parser.isSet(grade)) {
        // Checked without a window: nothing here needs a display.
        return lesson::gradePlans(parser.value(grade), parser.positionalArguments(),
                                  parser.value(gradeCsv), out, err);
    }
    if (parser.isSet(gradeCsv)) {
        err << program << ": --csv hoort bij --nakijken (zie " << program << " --help)\n";
        return kUsageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << program << ": unexpected argument '" << parser.positionalArguments().first()
            << "' (see " << program << " --help)\n";
        return kUsageError;
    }
    g_teacher = parser.isSet(teacher);
    if (parser.isSet(settings)) {
        const QString path = parser.value(settings);
        const QFileInfo info(path);
        QFile file(path);
        if (path.isEmpty() || !info.exists()) {
            err << program << ": the installation file '" << path << "' does not exist\n";
            return kUsageError;
        }
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            err << program << ": the installation file '" << path << "' cannot be read\n";
            return kUsageError;
        }
        platform::setInstallationFileOverride(info.absoluteFilePath());
    }
    return -1;
}

int readCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return readCommandLine(arguments, out, err);
}

} // namespace cmdline
