#include "support/run_record.h"

#include "description/beschrijving.h"
#include "fullscreen/full_screen.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace testing
{

namespace
{

const char* const kProperties[] = {"BackColor", "ForeColor", "FillColor",   "Caption",  "Text",
                                   "Enabled",   "Visible",   "ToolTipText", "Left",     "Top",
                                   "Width",     "Height",    "FontName",    "FontSize", "FontBold",
                                   "Picture",   "Interval",  "Value"};

QJsonObject describe(const QObject* o)
{
    QJsonObject j;
    j["objectName"] = o->objectName();
    j["container"] = o->parent() ? o->parent()->objectName() : QString();
    QJsonObject props;
    for (const char* name : kProperties)
        if (o->metaObject()->indexOfProperty(name) >= 0)
            props[QLatin1String(name)] = QJsonValue::fromVariant(o->property(name));
    j["properties"] = props;
    return j;
}

QJsonArray children(const QWidget* window)
{
    QJsonArray out;
    if (!window)
        return out;
    out.append(describe(window));
    for (const QObject* o : window->findChildren<QObject*>())
        if (!o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_")))
            out.append(describe(o));
    return out;
}

bool writeText(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray lines(const QStringList& list)
{
    return list.join(QLatin1Char('\n')).toUtf8() + '\n';
}

} // namespace

QByteArray controlDump(const MainFixture& fx)
{
    QJsonObject top;
    QJsonArray main;
    for (const QObject* o : fx.main->controlsInOrder())
        main.append(describe(o));
    top["Main"] = main;
    top["MainProperties"] = describe(fx.main.get());
    top["Full_Screen"] = children(fx.main->fullScreen(false));
    top["Beschrijving"] = children(fx.main->beschrijving(false));
    // The program folder is a fresh temporary folder in every run.
    return QJsonDocument(top)
        .toJson(QJsonDocument::Indented)
        .replace(fx.services.files.programFolder().toUtf8(), "<program folder>");
}

bool writeRunRecord(const MainFixture& fx, const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QStringList boxes;
    for (const platform::MessageRequest& r : fx.services.messages.shown)
        boxes.append(r.title + QLatin1String(" | ") + r.text + QLatin1String(" | ") +
                     QString::number(int(r.icon)));
    boxes.replaceInStrings(fx.services.files.programFolder(), QStringLiteral("<program folder>"));
    return writeText(folder + QLatin1String("/calls.txt"), lines(fx.port.calls)) &&
           writeText(folder + QLatin1String("/sounds.txt"), lines(fx.services.sounds.names())) &&
           writeText(folder + QLatin1String("/messages.txt"), lines(boxes)) &&
           writeText(folder + QLatin1String("/urls.txt"), lines(fx.services.urls.opened)) &&
           writeText(folder + QLatin1String("/controls.json"), controlDump(fx));
}

} // namespace testing
