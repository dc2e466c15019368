#include "instruction/navigation.h"

#include <QStringList>

namespace instr
{

double lastPageTop(Station s)
{
    // The combined station has one page and is never turned; it is held
    // against the four-page limit like the others.
    return s == Station::Transportband ? pageTop(3) : pageTop(4);
}

PageAction verderAction(Station s, double top)
{
    // At or past the last page the turn cannot be made. Past it cannot
    // happen while every change of view returns to page 1, but a surface
    // left further down must never slide on without end.
    const bool atEnd = top <= lastPageTop(s);
    switch (s) {
    case Station::StapelMagazijn:
    case Station::Transportband:
    case Station::Start:
    case Station::Interface:
        return atEnd ? PageAction::Flash : PageAction::Slide;
    case Station::Stationhandling:
        if (top == pageTop(2))
            return PageAction::SlideShowingAdn;
        return atEnd ? PageAction::Flash : PageAction::Slide;
    case Station::TransHandling:
        break;
    }
    return atEnd ? PageAction::Flash : PageAction::Nothing;
}

PageAction terugAction(double top)
{
    return top >= 0 ? PageAction::Flash : PageAction::Slide;
}

double slidePage(double start, int upDown, const std::function<void(double top)>& assign)
{
    const int step = upDown == kBackward ? 1 : -1;
    const double end = start + step * kPageStep;
    const int steps = int(kPageStep);
    for (int i = 0; i <= steps; ++i)
        assign(start + step * i);
    return end;
}

namespace
{

QString lines(const QStringList& rows)
{
    QString text;
    for (const QString& row : rows)
        text += row + QLatin1Char('\r');
    return text;
}

} // namespace

std::optional<HelpMessage> helpMessage(Station s)
{
    switch (s) {
    case Station::StapelMagazijn:
        return HelpMessage{QStringLiteral("Stapelmagazijn"),
                           lines({QStringLiteral("Op het scherm staat het stapelmagazijn."),
                                  QString(), QStringLiteral("Het stapelmagazijn heeft als doel..."),
                                  QString(), QStringLiteral("- een deksel uit magazijn schuiven."),
                                  QStringLiteral("- doorschuiven tot het op het onderste deel "
                                                 "van het bakje ligt."),
                                  QStringLiteral("- het deksel 10 seconden aandrukken.")})};
    case Station::Transportband:
        return HelpMessage{QStringLiteral("Transportband"),
                           lines({QStringLiteral("Op het scherm staat de transportband."),
                                  QString(), QStringLiteral("De transportband heeft als doel..."),
                                  QString(), QStringLiteral("- transporteren van bakjes."),
                                  QStringLiteral("- verchroomde bakjes herkennen."),
                                  QStringLiteral("- geselecteerde bakjes afvoeren.")})};
    case Station::Stationhandling:
        return HelpMessage{
            QStringLiteral("Station handling"),
            lines({QStringLiteral("Op het scherm staat het station handling."), QString(),
                   QStringLiteral("Het station handling heeft als doel..."), QString(),
                   QStringLiteral("- oppakken van een deksel."),
                   QStringLiteral("- verplaatsen van een deksel."),
                   QStringLiteral("- het deksel op potje drukken."),
                   QStringLiteral("- verplaatsen van het product.")})};
    case Station::Start:
    case Station::Interface:
        return HelpMessage{
            QStringLiteral("EasyPort mini"),
            lines({QStringLiteral("Op het scherm staat de EasyPort Mini interface van Dravik."),
                   QString(),
                   QStringLiteral("Deze interface kun je op een van de onderstaande modules "
                                  "aansluiten en aansturen."),
                   QString(), QStringLiteral("- Stapelmagazijn."),
                   QStringLiteral("- Transportband."),
                   // "Staton" stays as the pupils have always read it.
                   QStringLiteral("- Staton Handling."), QString(),
                   QStringLiteral("Lees in je boek wat je moet doen.")})};
    case Station::TransHandling:
        break;
    }
    return std::nullopt;
}

} // namespace instr
