#include "support/pupil_actions.h"

#include "description/beschrijving.h"
#include "support/test_support.h"

#include <array>

namespace testing
{

namespace
{

struct Weighted {
    PupilAction::Kind kind;
    int weight;
};

// Out of the total. A page turn slides the text through every position and
// costs tens of milliseconds: rare, like resizes.
constexpr std::array<Weighted, 19> kWeights{{
    {PupilAction::Output, 2400},         {PupilAction::Inputs, 1500},
    {PupilAction::HoverOutput, 1000},    {PupilAction::HoverInput, 800},
    {PupilAction::HoverStation, 600},    {PupilAction::HoverFrame, 200},
    {PupilAction::Station, 180},         {PupilAction::Reset, 300},
    {PupilAction::Connect, 150},         {PupilAction::TickAlternation, 600},
    {PupilAction::TickFlash, 200},       {PupilAction::Help, 150},
    {PupilAction::Verder, 12},           {PupilAction::Terug, 25},
    {PupilAction::PictureClick, 60},     {PupilAction::Choose, 200},
    {PupilAction::CloseDescription, 80}, {PupilAction::VersionClick, 50},
    {PupilAction::Resize, 20},
}};

constexpr int totalWeight()
{
    int sum = 0;
    for (const Weighted& w : kWeights)
        sum += w.weight;
    return sum;
}

} // namespace

QString stationButtonName(int index)
{
    static const char* const names[] = {"CMD_StapelMagazijn", "CMD_Transportband",
                                        "CMD_Stationhandling", "CMD_TransHandling",
                                        "CMD_Interfacing"};
    return QString::fromLatin1(names[qBound(0, index, 4)]);
}

QString PupilAction::describe() const
{
    switch (kind) {
    case Station:
        return QStringLiteral("click %1").arg(stationButtonName(value));
    case Output:
        return QStringLiteral("click CMD_SetReset(%1)").arg(value);
    case Reset:
        return QStringLiteral("click CMD_ResetAlles");
    case Connect:
        return QStringLiteral("click CMD_Verbinding (search answers %1, model %2)")
            .arg(value)
            .arg(extra);
    case HoverOutput:
        return QStringLiteral("hover CMD_SetReset(%1)").arg(value);
    case HoverInput:
        return QStringLiteral("hover Label_Ingang(%1)").arg(value);
    case HoverStation:
        return QStringLiteral("hover %1").arg(stationButtonName(value));
    case HoverFrame:
        return QStringLiteral("hover Frame_Dravik_Buttons");
    case Verder:
        return QStringLiteral("click CMD_Verder");
    case Terug:
        return QStringLiteral("click CMD_Terug");
    case Help:
        return QStringLiteral("click CMD_Help");
    case PictureClick:
        return QStringLiteral("click Image_Module_Holder");
    case Choose:
        return QStringLiteral("choose Option_Nummers(%1)").arg(value);
    case CloseDescription:
        return QStringLiteral("click Sluiten");
    case VersionClick:
        return QStringLiteral("click Image1");
    case Resize:
        return QStringLiteral("resize to %1 x %2").arg(value).arg(extra);
    case TickFlash:
        return QStringLiteral("tick TimerNVT");
    case TickAlternation:
        return QStringLiteral("tick Timer_Wissel_Afbeelding");
    case Inputs:
        return QStringLiteral("inputs %1").arg(value);
    }
    return QStringLiteral("?");
}

PupilAction PupilActionGenerator::next()
{
    std::uniform_int_distribution<int> pick(0, totalWeight() - 1);
    int roll = pick(m_random);
    PupilAction a;
    for (const Weighted& w : kWeights) {
        if (roll < w.weight) {
            a.kind = w.kind;
            break;
        }
        roll -= w.weight;
    }
    auto uniform = [this](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(m_random);
    };
    switch (a.kind) {
    case PupilAction::Station:
    case PupilAction::HoverStation:
        a.value = uniform(0, 4);
        break;
    case PupilAction::Output:
    case PupilAction::HoverOutput:
    case PupilAction::HoverInput:
        a.value = uniform(0, 7);
        break;
    case PupilAction::Connect: {
        static const int models[] = {1, 2, 5, 5, 7};
        a.value = uniform(0, 4) == 0 ? 0 : 1; // now and then no interface is found
        a.extra = models[uniform(0, 4)];
        break;
    }
    case PupilAction::Choose:
        a.value = uniform(1, 11);
        break;
    case PupilAction::Resize:
        a.value = uniform(300, 1800);
        a.extra = uniform(200, 1100);
        break;
    case PupilAction::Inputs: {
        // Mostly the eight inputs, now and then any 32-bit word.
        const quint32 word = quint32(m_random());
        a.value = uniform(0, 3) == 0 ? qint32(word) : qint32(word & 0xFFu);
        break;
    }
    default:
        break;
    }
    return a;
}

void perform(MainFixture& fx, const PupilAction& a)
{
    Main& w = *fx.main;
    switch (a.kind) {
    case PupilAction::Station:
        fx.click(stationButtonName(a.value));
        return;
    case PupilAction::Output:
        fx.click(QStringLiteral("CMD_SetReset(%1)").arg(a.value));
        return;
    case PupilAction::Reset:
        fx.click(QStringLiteral("CMD_ResetAlles"));
        return;
    case PupilAction::Connect:
        fx.port.searchResult = qint16(a.value);
        fx.port.moduleNumber = qint16(a.extra);
        fx.click(QStringLiteral("CMD_Verbinding"));
        return;
    case PupilAction::HoverOutput:
        fx.hover(QStringLiteral("CMD_SetReset(%1)").arg(a.value));
        return;
    case PupilAction::HoverInput:
        fx.hover(QStringLiteral("Label_Ingang(%1)").arg(a.value));
        return;
    case PupilAction::HoverStation:
        fx.hover(stationButtonName(a.value));
        return;
    case PupilAction::HoverFrame:
        fx.hover(QStringLiteral("Frame_Dravik_Buttons"));
        return;
    case PupilAction::Verder:
        fx.click(QStringLiteral("CMD_Verder"));
        return;
    case PupilAction::Terug:
        fx.click(QStringLiteral("CMD_Terug"));
        return;
    case PupilAction::Help:
        fx.click(QStringLiteral("CMD_Help"));
        return;
    case PupilAction::PictureClick:
        fx.click(QStringLiteral("Image_Module_Holder"));
        return;
    case PupilAction::Choose:
        if (Beschrijving* b = w.beschrijving(false); b && b->isVisible())
            b->Option_Nummers[qBound(1, a.value, 11)]->click();
        return;
    case PupilAction::CloseDescription:
        if (Beschrijving* b = w.beschrijving(false); b && b->isVisible())
            b->CMD_Close->click();
        return;
    case PupilAction::VersionClick:
        fx.click(QStringLiteral("Image1"));
        return;
    case PupilAction::Resize:
        w.resize(a.value, a.extra);
        return;
    case PupilAction::TickFlash:
        emit w.TimerNVT->Tick();
        return;
    case PupilAction::TickAlternation:
        emit w.Timer_Wissel_Afbeelding->Tick();
        return;
    case PupilAction::Inputs:
        fx.port.raiseInputs(a.value);
        return;
    }
}

} // namespace testing
