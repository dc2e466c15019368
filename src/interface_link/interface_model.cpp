#include "interface_link/interface_model.h"

#include <QStringList>

namespace iface
{

InterfaceModel interfaceModel(int moduleNummer)
{
    switch (moduleNummer) {
    case kModelD16:
        return {true, QStringLiteral("EasyPort D16.bmp"), QStringLiteral("EasyPort D16")};
    case kModelD8A:
        return {true, QStringLiteral("EasyPort D8A.bmp"), QStringLiteral("EasyPort D8A")};
    case kModelMini:
        return {true, QStringLiteral("Easyport mini.bmp"), QStringLiteral("EasyPort Mini")};
    default:
        return {};
    }
}

bool offersStation(int moduleNummer, station::Station s)
{
    return !(moduleNummer == kModelMini && s == station::Station::TransHandling);
}

QString notFoundMessage(const QString& whatWasTried)
{
    QStringList lines{QStringLiteral("De interface is niet gevonden."),
                      QString(21, QLatin1Char('-')), QString()};
    if (whatWasTried.isEmpty()) {
        lines << QStringLiteral("Onder Windows 7 & 8 moet de compabititeits modus")
              << QStringLiteral("ingesteld worden op WinXP sp3.");
    } else {
        lines << whatWasTried;
    }
    return lines.join(QLatin1Char('\r'));
}

QString linkLostTitle()
{
    return QStringLiteral("Verbinding verbroken");
}

QString linkLostMessage(const QString& peer)
{
    const QString where = peer.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(peer);
    return QStringLiteral("De verbinding met de interface%1 is verbroken.\r\r"
                          "Controleer de kabel en de voeding en klik daarna op "
                          "\"Zoek en verbind\".")
        .arg(where);
}

} // namespace iface
