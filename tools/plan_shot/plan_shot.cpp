// Developer tool: runs a step plan on the simulated station, offscreen, in
// the program as main() puts it together (the main window stays hidden: its
// station button and "Zoek en verbind" are pressed for the plan), and writes PNGs of the
// "Stappenplan" window and of the virtual station while it runs. Not part of the pupils' program.
//
//   plan_shot --plan FILE [--force N=on|off] [--click NAME] [--wait MS]
//             [--freeze on|off] [--png FILE] [--station-png FILE] [--wait MS] ...
//   plan_shot --open FILE --lesson FILE --click CMD_Controleer --png FILE
//             [--click CMD_Bekijk --wait MS --replay-png FILE]
//
// Actions run in the order given; --plan loads the plan, chooses its
// station, connects and starts; --open does the same without starting.
// --lesson opens a lesson in the window, --size WxH resizes it, --freeze
// on|off freezes the editor as the class's teacher does. Where a
// step waits for the pupil the tool lays a metal part on the belt and
// presses "Volgende".
#include "app/program.h"
#include "interface_link/simulated_interface.h"
#include "main_window/main.h"
#include "main_window/station_buttons.h"
#include "platform/services.h"
#include "simulation/station_runner.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/lesson_replay.h"
#include "step_plan/plan_file.h"
#include "step_plan/step_plan_window.h"
#include "virtual_station/virtual_station_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace
{

// The clicks of the outputs stay silent: the tool only takes pictures.
class SilentSounds : public platform::SoundService
{
  public:
    void play(const QString&) override {}
};

void wait(int ms, plan::StepPlanWindow& window, sim::StationRunner& runner)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (window.sequencer().waitsForPupil()) {
            runner.placePart(true);
            window.next();
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Presses a button of the (hidden) main window as the pupil would.
void press(Main& window, const QString& name)
{
    if (auto* b = window.findChild<QAbstractButton*>(name))
        b->click();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentSounds silent;
    platform::setSounds(&silent);
    iface::SimulatedInterface port;
    sim::StationRunner& simulated = *port.stationRunner();
    app::Program program(port);
    plan::StepPlanWindow& window = program.stepPlan();
    virt::VirtualStationWindow& station = *program.virtualStation();
    window.show();
    station.show();

    const QStringList args = app.arguments().mid(1);
    for (int k = 0; k + 1 < args.size(); k += 2) {
        const QString a = args[k];
        const QString v = args[k + 1];
        if (a == "--plan" || a == "--open") {
            const plan::ReadResult r = plan::readPlanFile(v);
            if (!r.plan) {
                QTextStream(stderr) << r.error << "\n";
                return 1;
            }
            program.window().stationButtons().button(r.plan->station)->click();
            if (program.window().Verbonden() != -1)
                press(program.window(), QStringLiteral("CMD_Verbinding"));
            wait(50, window, simulated);
            window.load(v);
            if (a == "--plan")
                window.start();
        } else if (a == "--lesson") {
            auto* pane = window.findChild<plan::LessonPane*>();
            if (!pane || !pane->openLesson(v))
                return 1;
        } else if (a == "--freeze") {
            window.setFrozen(v == "on");
        } else if (a == "--size") {
            window.resize(v.section('x', 0, 0).toInt(), v.section('x', 1, 1).toInt());
        } else if (a == "--replay-png") {
            auto* pane = window.findChild<plan::LessonPane*>();
            if (!pane || !pane->replay() || !pane->replay()->grab().save(v)) {
                QTextStream(stderr) << "no replay to write to " << v << "\n";
                return 1;
            }
        } else if (a == "--force") {
            const int input = v.section('=', 0, 0).toInt() - 1;
            const QString how = v.section('=', 1, 1);
            simulated.setInputForce(input, how == "on"    ? sim::Force::On
                                           : how == "off" ? sim::Force::Off
                                                          : sim::Force::Free);
        } else if (a == "--click") {
            auto* b = window.findChild<QAbstractButton*>(v);
            if (!b) {
                QTextStream(stderr) << "no button " << v << "\n";
                return 2;
            }
            b->click();
        } else if (a == "--wait") {
            wait(v.toInt(), window, simulated);
        } else if (a == "--png" || a == "--station-png") {
            QWidget& w = a == "--png" ? static_cast<QWidget&>(window) : station;
            if (!w.grab().save(v)) {
                QTextStream(stderr) << "cannot write " << v << "\n";
                return 1;
            }
            QTextStream(stdout) << v << ": " << window.state() << " step " << window.currentStep()
                                << " | " << window.message() << "\n";
        } else {
            QTextStream(stderr) << "unknown argument " << a << "\n";
            return 2;
        }
    }
    return 0;
}
