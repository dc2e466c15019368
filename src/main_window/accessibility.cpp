#include "main_window/accessibility.h"

#include "controls/accessible_controls.h"
#include "main_window/main.h"

namespace mw
{

namespace
{

// A lamp whose colour may differ from the device says so.
QString lampDescription(const ctl::Shape* lamp)
{
    return lamp->isStale() ? QStringLiteral("niet actueel: de verbinding is verbroken")
                           : QString();
}

// The lamp is named by the caption beside it and lit while yellow.
template <typename Beside> void followLamp(ctl::Shape* lamp, Beside* beside)
{
    lamp->setLitColor(KleurLampAan);
    lamp->setAccessibleName(beside->Caption());
    lamp->setAccessibleDescription(lampDescription(lamp));
    QObject::connect(beside, &Beside::CaptionChanged, lamp,
                     [lamp](const QString& caption) { lamp->setAccessibleName(caption); });
    QObject::connect(lamp, &ctl::Shape::StaleChanged, lamp,
                     [lamp] { lamp->setAccessibleDescription(lampDescription(lamp)); });
}

QString withoutFullStop(QString caption)
{
    caption = caption.trimmed();
    while (caption.endsWith(QLatin1Char('.')))
        caption.chop(1);
    return caption;
}

} // namespace

void installAccessibility(Main& main)
{
    ctl::installAccessibleControls();

    main.CMD_ResetAlles->setAccessibleName(QStringLiteral("Noodstop: alle uitgangen uit"));
    // While connected the button breaks the link; its tooltip still says how
    // it makes one.
    ctl::CommandButton* link = main.CMD_Verbinding;
    auto describeLink = [link] {
        link->setAccessibleDescription(
            link->Caption() == QLatin1String("Verbreek")
                ? QStringLiteral("Verbreek de verbinding met de EasyPort")
                : QString());
    };
    describeLink();
    QObject::connect(link, &ctl::CommandButton::CaptionChanged, link, describeLink);
    for (int i = 0; i < 8; ++i) {
        followLamp(main.Shape_Lampje[i], main.CMD_SetReset[i]);
        followLamp(main.Shape_LampjeIn[i + 1], main.Label_Ingang[i]);
    }

    ctl::Image* station = main.Image_Module_Holder;
    ctl::Frame* stationFrame = main.FrameModule;
    auto nameStation = [station, stationFrame] {
        station->setAccessibleName(QStringLiteral("Foto van ") +
                                   withoutFullStop(stationFrame->Caption()));
    };
    nameStation();
    QObject::connect(stationFrame, &ctl::Frame::CaptionChanged, station, nameStation);

    ctl::Image* component = main.ImageSensorActuator;
    ctl::Frame* componentFrame = main.FrameSensorActuator;
    auto nameComponent = [component, componentFrame] {
        component->setAccessibleName(component->Picture().isEmpty()
                                         ? QStringLiteral("Geen onderdeel gekozen")
                                         : QStringLiteral("Afbeelding van ") +
                                               withoutFullStop(componentFrame->Caption()));
    };
    nameComponent();
    QObject::connect(componentFrame, &ctl::Frame::CaptionChanged, component, nameComponent);
    QObject::connect(component, &ctl::Image::PictureChanged, component, nameComponent);

    main.Image1->setAccessibleName(QStringLiteral("Over dit programma"));
    main.Image1->setAccessibleDescription(QStringLiteral("Klik voor de versie"));
    main.PictureTekst->setAccessibleName(QStringLiteral("Instructie"));
}

} // namespace mw
