#include "main_window/station_tables.h"

namespace mw
{

QString genericOutputName(int i)
{
    return QStringLiteral("Uitgang ") + QString::number(i + 1);
}

QString genericInputName(int i)
{
    return QStringLiteral("Ingang ") + QString::number(i + 1);
}

void fillNameTables(NameTables& t)
{
    t.NamenUitgangTransportband[0] = QStringLiteral("Magneetspoel stopper");
    t.NamenUitgangTransportband[1] = QStringLiteral("Gelijkstroom motor");
    t.NamenUitgangTransportband[2] = QStringLiteral("Motor relais");
    for (int i = 3; i <= 7; ++i)
        t.NamenUitgangTransportband[i] = genericOutputName(i);

    t.NamenIngangTransportband[0] = QStringLiteral("Inductieve sensor");
    t.NamenIngangTransportband[1] = QStringLiteral("Optische sensor");
    for (int i = 2; i <= 7; ++i)
        t.NamenIngangTransportband[i] = genericInputName(i);

    t.NamenUitgangStapelMagazijn[0] = QStringLiteral("Doorvoercilinder (uit)");
    t.NamenUitgangStapelMagazijn[1] = QStringLiteral("Doorvoercilinder (in)");
    t.NamenUitgangStapelMagazijn[2] = QStringLiteral("Aandrukcilinder");
    for (int i = 3; i <= 7; ++i)
        t.NamenUitgangStapelMagazijn[i] = genericOutputName(i);

    t.NamenIngangStapelMagazijn[0] = QStringLiteral("Eindschakelaar cilinder 1A");
    for (int i = 1; i <= 7; ++i)
        t.NamenIngangStapelMagazijn[i] = genericInputName(i);

    t.NamenUitgangHandling[0] = QStringLiteral("Verplaatscilinder (uit)");
    t.NamenUitgangHandling[1] = QStringLiteral("Verplaatscilinder (in)");
    t.NamenUitgangHandling[2] = QStringLiteral("Grijpercilinder (uit)");
    t.NamenUitgangHandling[3] = QStringLiteral("Grijpercilinder (in)");
    t.NamenUitgangHandling[4] = QStringLiteral("Grijper");
    for (int i = 5; i <= 7; ++i)
        t.NamenUitgangHandling[i] = genericOutputName(i);

    t.NamenIngangHandling[0] = QStringLiteral("Eindschakelaar cil. 1 Achter");
    t.NamenIngangHandling[1] = QStringLiteral("Eindschakelaar cil. 1 Voor");
    t.NamenIngangHandling[2] = QStringLiteral("Eindschakelaar cil. 2 Boven");
    t.NamenIngangHandling[3] = QStringLiteral("Eindschakelaar cil. 2 Onder");
    for (int i = 4; i <= 7; ++i)
        t.NamenIngangHandling[i] = genericInputName(i);
}

} // namespace mw
