#include "main_window/accessibility.h"

#include "controls/accessible_controls.h"
#include "main_window/main.h"

namespace mw
{

QString lampState(unsigned fillColor)
{
    return fillColor == KleurLampAan ? QStringLiteral("aan") : QStringLiteral("uit");
}

namespace
{

// What a lamp tells a screen reader: its state, and whether that may differ
// from the device.
QString lampDescription(const ctl::Shape* lamp)
{
    const QString state = lampState(lamp->FillColor());
    return lamp->isStale() ? state + QStringLiteral(", niet actueel: de verbinding is verbroken")
                           : state;
}

// The lamp is named by the caption beside it and describes its colour.
template <typename Beside> void followLamp(ctl::Shape* lamp, Beside* beside)
{
    lamp->setAccessibleName(beside->Caption());
    lamp->setAccessibleDescription(lampDescription(lamp));
    QObject::connect(beside, &Beside::CaptionChanged, lamp,
                     [lamp](const QString& caption) { lamp->setAccessibleName(caption); });
    const auto describe = [lamp] { lamp->setAccessibleDescription(lampDescription(lamp)); };
    QObject::connect(lamp, &ctl::Shape::FillColorChanged, lamp, describe);
    QObject::connect(lamp, &ctl::Shape::StaleChanged, lamp, describe);
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
