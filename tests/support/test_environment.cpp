// Linked into every test program, so that each one also runs on its own
// (build/bin/tst_outputs) and not only through ctest: without a platform
// asked for, the tests draw offscreen instead of looking for a display, in
// a runtime folder of their own when there is none, and always in a home
// folder of their own. The offscreen screen
// is a common 1920x1080 one rather than Qt's 800x600, on which the main
// window would open scaled down to fit.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace
{

QByteArray offscreenWithCommonScreen()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        return "offscreen";
    const QString path = dir.filePath(QStringLiteral("offscreen.json"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return "offscreen";
    f.write(R"({"screens": [{"name": "offscreen", "x": 0, "y": 0,)"
            R"( "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 1}]})");
    f.close();
    return "offscreen:configfile=" + QFile::encodeName(path);
}

const bool g_offscreen = [] {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", offscreenWithCommonScreen());
    // A home of its own: a plan kept for recovery in the developer's own
    // Documents would otherwise ask its question in the middle of a test.
    static QTemporaryDir home;
    if (home.isValid())
        qputenv("HOME", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime;
        if (runtime.isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    return true;
}();

} // namespace
