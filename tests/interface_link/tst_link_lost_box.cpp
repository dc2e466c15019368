// The "Verbinding verbroken" box on a real window system with a real window
// manager (Xvfb and twm, started by this program): every loss gives one box,
// and the pupil sees it, in front of the step plan, the virtual station, the
// full-screen picture with its description, and another box. "Sees" is what
// the screen shows where the box is, not what the program thinks it did.

#include "fullscreen/full_screen.h"
#include "support/program_fixture.h"
#include "support/try_wait.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using testing::ProgramFixture;

namespace
{

QString g_skipReason;

// The visible link-lost boxes.
QList<QMessageBox*> linkLostBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w))
            if (box->isVisible() &&
                box->windowTitle().startsWith(QLatin1String("Verbinding verbroken")))
                boxes.append(box);
    return boxes;
}

// What the screen shows where `box` is equals the box itself.
bool seenOnScreen(QWidget* box)
{
    const QRect r(box->mapToGlobal(QPoint(0, 0)), box->size());
    const QImage own = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    return !own.isNull() && own.size() == shown.size() && own == shown;
}

} // namespace

class TestLinkLostBox : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void everyLossBringsItsBoxInFront();
};

void TestLinkLostBox::initTestCase()
{
    if (!g_skipReason.isEmpty())
        QSKIP(qPrintable(g_skipReason));
}

// Losses in a row, one for each mix (every loss but the first comes after
// another) of: a plan running or not; the
// step plan, the virtual station or the full-screen picture in front (and
// brought forward once more while the box is up, as a pupil's click or a
// window of the program does); a box already open.
void TestLinkLostBox::everyLossBringsItsBoxInFront()
{
    ProgramFixture program(true);
    program.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(program.main));
    QTemporaryDir dir;
    const QString planPath = dir.filePath(QStringLiteral("plan.json"));
    {
        QFile f(planPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"station": "Stapel magazijn", "herhaal": false,
                    "stappen": [{"zet": {"1": true}, "tot": {"knop": true}}]})");
    }
    QVERIFY(program.stepPlan->load(planPath));
    program.click(QStringLiteral("CMD_StapelMagazijn"));

    int boxesSeen = 0;
    int mostAtOnce = 0;
    QStringList unseen;
    QWidget* front = nullptr;
    // Watches for the box from inside its own event loop.
    QTimer watch;
    watch.setInterval(20);
    QElapsedTimer shownFor;
    QMessageBox* current = nullptr;
    bool broughtForward = false;
    QString situation;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QList<QMessageBox*> boxes = linkLostBoxes();
        mostAtOnce = std::max(mostAtOnce, int(boxes.size()));
        if (boxes.isEmpty())
            return;
        if (boxes.first() != current) {
            current = boxes.first();
            shownFor.start();
            broughtForward = false;
        }
        if (!broughtForward && shownFor.elapsed() > 100) {
            broughtForward = true;
            if (front) {
                front->raise();
                front->activateWindow();
            }
            return;
        }
        if (!broughtForward || shownFor.elapsed() < 200)
            return;
        const bool seen = seenOnScreen(current);
        // A slow machine (a sanitizer build) may take a while to restack;
        // a box left behind never comes forward.
        if (!seen && shownFor.elapsed() < 5000)
            return;
        if (seen)
            ++boxesSeen;
        else
            unseen.append(situation);
        current->accept();
    });
    watch.start();

    constexpr int kLosses = 16;
    for (int k = 0; k < kLosses; ++k) {
        const bool planRunning = k % 2 == 1;
        const int inFront = (k / 2) % 4;
        const bool otherBox = (k / 8) % 2 == 1;
        situation = QStringLiteral("loss %1: plan %2, in front %3, other box %4")
                        .arg(k + 1)
                        .arg(planRunning)
                        .arg(inFront)
                        .arg(otherBox);
        program.click(QStringLiteral("CMD_Verbinding"));
        QCOMPARE(program.main->Verbonden(), -1);
        if (planRunning)
            QVERIFY2(program.stepPlan->start(), qPrintable(program.stepPlan->message()));
        front = nullptr;
        if (inFront == 1) {
            program.stepPlan->open(program.main);
            front = program.stepPlan;
        } else if (inFront == 2) {
            program.station->showBeside(program.main);
            program.station->raise();
            front = program.station;
        } else if (inFront == 3) {
            program.click(QStringLiteral("Image_Module_Holder"));
            front = program.main->findChild<Full_Screen*>();
        }
        if (front)
            QVERIFY(QTest::qWaitForWindowExposed(front));
        QTest::qWait(50);
        const int before = boxesSeen + int(unseen.size());
        if (otherBox) {
            // The version box is open when the link breaks.
            QTimer::singleShot(0, program.main, [&] { program.click(QStringLiteral("Image1")); });
            QTimer::singleShot(150, &program.port, [&] { program.port.pullCable(); });
            QTimer::singleShot(100, program.main, [&] {
                // Closes the version box once the link-lost box is done.
                auto closeVersion = std::make_shared<QTimer>();
                closeVersion->setInterval(20);
                QObject::connect(closeVersion.get(), &QTimer::timeout, [&, closeVersion] {
                    if (boxesSeen + int(unseen.size()) == before)
                        return;
                    for (QWidget* w : QApplication::topLevelWidgets())
                        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                            box->accept();
                    closeVersion->stop();
                });
                closeVersion->start();
            });
        } else {
            program.port.pullCable();
        }
        TRY_VERIFY_WITH_TIMEOUT(boxesSeen + int(unseen.size()) == before + 1, 10000);
        TRY_VERIFY_WITH_TIMEOUT(linkLostBoxes().isEmpty(), 5000);
        QCOMPARE(program.main->Verbonden(), 0);
        if (Full_Screen* fs = program.main->findChild<Full_Screen*>(); fs && fs->isVisible()) {
            if (auto* close =
                    program.main->findChild<QAbstractButton*>(QStringLiteral("CMD_Close")))
                close->click();
        }
        program.stepPlan->hide();
    }
    watch.stop();
    QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(QLatin1Char('\n'))));
    QCOMPARE(boxesSeen, kLosses);
    QCOMPARE(mostAtOnce, 1);
}

// A display of its own: Xvfb on a free display number, twm on it.
int main(int argc, char* argv[])
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString twm = QStandardPaths::findExecutable(QStringLiteral("twm"));
    QProcess server;
    QProcess manager;
    if (xvfb.isEmpty() || twm.isEmpty()) {
        g_skipReason = QStringLiteral("Xvfb and twm are needed");
    } else {
        // Xvfb writes the display number it took to the descriptor given.
        int fds[2];
        if (pipe(fds) != 0) {
            g_skipReason = QStringLiteral("no pipe");
        } else {
            server.setChildProcessModifier([fds] { ::close(fds[0]); });
            server.start(xvfb, {QStringLiteral("-displayfd"), QString::number(fds[1]),
                                QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
            ::close(fds[1]);
            QByteArray number;
            char c = 0;
            while (::read(fds[0], &c, 1) == 1 && c != '\n')
                number.append(c);
            ::close(fds[0]);
            if (number.isEmpty()) {
                g_skipReason = QStringLiteral("Xvfb did not start");
            } else {
                qputenv("DISPLAY", ":" + number);
                qputenv("QT_QPA_PLATFORM", "xcb");
                manager.start(twm, {});
                if (!manager.waitForStarted(5000))
                    g_skipReason = QStringLiteral("twm did not start");
                QThread::msleep(500);
                if (manager.state() != QProcess::Running)
                    g_skipReason = QStringLiteral("twm ended at once (fonts missing?)");
            }
        }
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        TestLinkLostBox test;
        status = QTest::qExec(&test, argc, argv);
    }
    manager.terminate();
    manager.waitForFinished(2000);
    server.terminate();
    server.waitForFinished(2000);
    return status;
}

#include "tst_link_lost_box.moc"
