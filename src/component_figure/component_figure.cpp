#include "main_window/main.h"

#include "component_figure/figure_tables.h"
#include "description/description_tables.h"
#include "fullscreen/full_screen.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace
{

constexpr int kFirstInput = 8;
constexpr int kLastPoint = 15;

} // namespace

void Main::FiguurActuatorSensor(int Index)
{
    if (Index < 0 || Index > kLastPoint) {
        qCWarning(lcDravik) << "no I/O point" << Index;
        return;
    }
    // 1. The point shown before gets its normal colour back.
    const int old = m.GetoondeFiguur;
    if (old >= 0 && old < kFirstInput) {
        ctl::CommandButton* b = CMD_SetReset[old];
        b->setBackColor(fig::restoredColour(m, true, b->Enabled()));
    } else if (old >= kFirstInput && old <= kLastPoint) {
        ctl::PictureBox* p = PictureLabelIngangen[old - kFirstInput];
        p->setBackColor(fig::restoredColour(m, false, p->Enabled()));
    }
    // 2. The new point is highlighted.
    if (Index < kFirstInput)
        CMD_SetReset[Index]->setBackColor(m.KleurLichtblauw);
    else
        PictureLabelIngangen[Index - kFirstInput]->setBackColor(m.KleurLichtgroen);

    // 3. The component on the station in view. A picture that cannot be
    //    loaded leaves the image empty (and is logged once by the image).
    const station::Station inView = m_station.current();
    if (!station::isStation(inView)) {
        // The connection panel is one picture for every point: load it once.
        if (m.FiguurNaam != QLatin1String(fig::kPanelKind)) {
            ImageSensorActuator->setPicture(
                platform::resolvedPicture(QString::fromLatin1(fig::kPanelPicture)));
            m.FiguurNaam = QString::fromLatin1(fig::kPanelKind);
        }
    } else {
        if (const std::optional<fig::Component> c = fig::componentFor(inView, Index)) {
            ImageSensorActuator->setPicture(platform::resolvedPicture(c->picture));
            m.FiguurNaam = c->kind;
        } else {
            ImageSensorActuator->clearPicture();
            m.FiguurNaam = QString::fromLatin1(fig::kGenericKind);
        }
    }

    // 4. The frame names the kind.
    if (FrameSensorActuator->Caption() != m.FiguurNaam)
        FrameSensorActuator->setCaption(m.FiguurNaam);

    // 5.
    m.GetoondeFiguur = qint16(Index);
}

void Main::CMD_SetReset_MouseMove(int Index)
{
    if (Index == m.GetoondeFiguur)
        return;
    FiguurActuatorSensor(Index);
    // An actuator alternates with its valve.
    Timer_Wissel_Afbeelding->setEnabledProp(true);
}

void Main::Label_Ingang_MouseMove(int Index)
{
    if (Index + kFirstInput == m.GetoondeFiguur)
        return;
    FiguurActuatorSensor(Index + kFirstInput);
    Timer_Wissel_Afbeelding->setEnabledProp(false);
}

void Main::Timer_Wissel_Afbeelding_Timer()
{
    const QString shown = m.FiguurNaam;
    if (const std::optional<fig::Component> next = fig::alternate(shown)) {
        ImageSensorActuator->setPicture(platform::resolvedPicture(next->picture));
        m.FiguurNaam = next->kind;
    }
    FrameSensorActuator->setCaption(m.FiguurNaam);
}

void Main::Image_Module_Holder_Click()
{
    // Only the single stations have a numbered picture.
    if (!desc::isDescribed(m_station.current()))
        return;
    fullScreen()->open();
}

void Main::Image1_Click()
{
    platform::MessageRequest r;
    r.title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    r.text = fig::versionText(DRAVIK_VERSION_MAJOR, DRAVIK_VERSION_MINOR, DRAVIK_VERSION_PATCH);
    r.buttons = platform::MessageButtons::Ok;
    r.icon = platform::MessageIcon::Information;
    platform::messages().show(this, r);
}
