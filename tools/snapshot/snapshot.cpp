// Developer tool: starts the program's windows offscreen, replays a few
// pupil actions, and writes a PNG of a window and/or the live control tree
// as JSON. Not part of the pupils' program.
//
//   snapshot [actions...] [--png FILE] [--json FILE|-] [--window NAME]
//
// Actions run in the order given:
//   --click NAME        click a control (objectName, e.g. "CMD_SetReset(2)")
//   --hover NAME        move the mouse onto a control
//   --invoke METHOD[=N] call a public method of Main, with an int argument
//   --wait MS           let the event loop run
//   --size WxH          resize the main window (pixels)
//   --force N=on|off|free  force input N (0..7) of the simulated interface
//   --png FILE          write a PNG of the chosen window (may repeat)
//   --window NAME       window for the next --png / --json (default Main)
#include "app/program.h"
#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "main_window/main.h"
#include "platform/services.h"
#include "simulation/station_runner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTextStream>
#include <QTimer>

namespace
{

// Message boxes print to stderr instead of blocking the tool.
class PrintingMessages : public platform::MessageService
{
  public:
    int show(QWidget*, const platform::MessageRequest& r) override
    {
        QTextStream(stderr) << "[message] " << r.title << ": "
                            << platform::displayText(r.text).replace('\n', " | ") << "\n";
        return platform::ResultOk;
    }
};

class PrintingUrls : public platform::UrlService
{
  public:
    void open(const QString& url) override { QTextStream(stderr) << "[open] " << url << "\n"; }
};

const char* const kProperties[] = {"BackColor", "ForeColor", "FillColor",   "Caption",  "Text",
                                   "Enabled",   "Visible",   "ToolTipText", "Left",     "Top",
                                   "Width",     "Height",    "FontName",    "FontSize", "FontBold",
                                   "Picture",   "Interval",  "Value"};

QJsonObject describe(QObject* o)
{
    QJsonObject j;
    j["objectName"] = o->objectName();
    QString kind = QString::fromLatin1(o->metaObject()->className());
    kind = kind.mid(kind.lastIndexOf(':') + 1);
    j["kind"] = kind;
    j["container"] = o->parent() ? o->parent()->objectName() : QString();
    QJsonObject props;
    for (const char* name : kProperties) {
        if (o->metaObject()->indexOfProperty(name) < 0)
            continue;
        props[QLatin1String(name)] = QJsonValue::fromVariant(o->property(name));
    }
    j["properties"] = props;
    return j;
}

QWidget* findWindow(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QObject* findControl(QWidget* window, const QString& name)
{
    for (QObject* o : window->findChildren<QObject*>())
        if (o->objectName() == name)
            return o;
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Automatiseren"));
    PrintingMessages messages;
    PrintingUrls urls;
    platform::setMessages(&messages);
    platform::setUrls(&urls);

    // The tool stands beside the program, so it finds the same pictures
    // and the same installation file; the program is put together as
    // main() does it, without the class.
    const std::unique_ptr<app::Program> program = app::Program::fromInstallation();
    Main& main = program->window();
    main.setQuitHandler([] {});
    main.show();
    wait(50);

    QString window = QStringLiteral("Main");
    const QStringList args = app.arguments().mid(1);
    for (int k = 0; k < args.size(); ++k) {
        const QString a = args[k];
        const QString v = k + 1 < args.size() ? args[k + 1] : QString();
        QWidget* w = findWindow(window);
        auto need = [&](const QString& what) {
            if (v.isEmpty()) {
                QTextStream(stderr) << a << " needs " << what << "\n";
                std::exit(2);
            }
            ++k;
        };
        if (a == "--window") {
            need("a window name");
            window = v;
        } else if (a == "--click" || a == "--hover") {
            need("a control name");
            QObject* c = findControl(&main, v);
            for (QWidget* top : QApplication::topLevelWidgets())
                if (!c)
                    c = findControl(top, v);
            auto* cw = qobject_cast<QWidget*>(c);
            if (!cw) {
                QTextStream(stderr) << "no control named " << v << "\n";
                return 2;
            }
            const QPointF centre(cw->width() / 2.0, cw->height() / 2.0);
            const QPointF global = cw->mapToGlobal(centre);
            if (a == "--hover") {
                QMouseEvent move(QEvent::MouseMove, centre, global, Qt::NoButton, Qt::NoButton,
                                 Qt::NoModifier);
                QApplication::sendEvent(cw, &move);
            } else if (auto* b = qobject_cast<QAbstractButton*>(cw)) {
                b->click();
            } else {
                QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                    Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(cw, &press);
                QApplication::sendEvent(cw, &release);
            }
            wait(30);
        } else if (a == "--invoke") {
            need("a method");
            const QString method = v.section('=', 0, 0);
            bool ok = false;
            const int arg = v.section('=', 1, 1).toInt(&ok);
            const bool done =
                ok ? QMetaObject::invokeMethod(&main, method.toLatin1(), Q_ARG(int, arg))
                   : QMetaObject::invokeMethod(&main, method.toLatin1());
            if (!done) {
                QTextStream(stderr) << "cannot invoke " << v << "\n";
                return 2;
            }
            wait(30);
        } else if (a == "--force") {
            need("N=on|off|free");
            iface::SimulatedStationSource* source = program->capabilities().simulatedStation;
            sim::StationRunner* simulated = source ? source->stationRunner() : nullptr;
            const int input = v.section('=', 0, 0).toInt();
            const QString how = v.section('=', 1, 1);
            if (!simulated || input < 0 || input > 7) {
                QTextStream(stderr) << "--force needs the simulated interface and an input 0..7\n";
                return 2;
            }
            simulated->setInputForce(input, how == "on"    ? sim::Force::On
                                            : how == "off" ? sim::Force::Off
                                                           : sim::Force::Free);
            wait(30);
        } else if (a == "--wait") {
            need("milliseconds");
            wait(v.toInt());
        } else if (a == "--size") {
            need("WxH");
            main.resize(v.section('x', 0, 0).toInt(), v.section('x', 1, 1).toInt());
            wait(50);
        } else if (a == "--png") {
            need("a file name");
            if (!w) {
                QTextStream(stderr) << "no window named " << window << "\n";
                return 2;
            }
            if (!w->grab().save(v)) {
                QTextStream(stderr) << "cannot write " << v << "\n";
                return 1;
            }
        } else if (a == "--json") {
            need("a file name or -");
            if (!w) {
                QTextStream(stderr) << "no window named " << window << "\n";
                return 2;
            }
            QJsonArray controls;
            QJsonObject top = describe(w);
            if (w == &main) {
                for (QObject* o : main.controlsInOrder())
                    controls.append(describe(o));
            } else {
                for (QObject* o : w->findChildren<QObject*>())
                    if (!o->objectName().isEmpty() && !o->objectName().startsWith("qt_"))
                        controls.append(describe(o));
            }
            top["controls"] = controls;
            const QByteArray json = QJsonDocument(top).toJson(QJsonDocument::Indented);
            if (v == "-") {
                QTextStream(stdout) << json;
            } else {
                QFile f(v);
                if (!f.open(QIODevice::WriteOnly)) {
                    QTextStream(stderr) << "cannot write " << v << "\n";
                    return 1;
                }
                f.write(json);
            }
        } else {
            QTextStream(stderr) << "unknown argument " << a << "\n";
            return 2;
        }
    }
    return 0;
}
