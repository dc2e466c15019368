// Linked into every test program, so that each one also runs on its own
// (build/bin/tst_outputs) and not only through ctest: without a platform
// asked for, the tests draw offscreen instead of looking for a display, in
// a runtime folder of their own when there is none.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace
{

const bool g_offscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime;
        if (runtime.isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    return true;
}();

} // namespace
