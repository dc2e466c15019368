// Preloaded (LD_PRELOAD) into the program unpacked from the Debian package:
// once the main window is up, it chooses the stack magazine the way a click
// does, prints the picture the station view shows, and ends the program the
// way "Afsluiten" does. It knows the window only by its object names.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace
{

void probe(int triesLeft)
{
    QWidget* main = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Main") && w->isVisible())
            main = w;
    if (!main) {
        if (triesLeft > 0)
            QTimer::singleShot(50, [triesLeft] { probe(triesLeft - 1); });
        else
            QCoreApplication::exit(3);
        return;
    }
    auto* station = main->findChild<QAbstractButton*>(QStringLiteral("CMD_StapelMagazijn"));
    QObject* picture = main->findChild<QObject*>(QStringLiteral("Image_Module_Holder"));
    if (station)
        station->click();
    std::printf("picture=%s\n",
                picture ? qPrintable(picture->property("Picture").toString()) : "<none>");
    std::fflush(stdout);
    QMetaObject::invokeMethod(main, "exitProgram");
}

void start()
{
    QTimer::singleShot(0, [] { probe(200); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
