#include "klas/klas_settings.h"

#include "settings/installation_settings.h"

#include <QDir>
#include <QSettings>

namespace klas
{

KlasSettings KlasSettings::fromSettings(QSettings& file, const QString& hostName)
{
    KlasSettings s;
    file.beginGroup(QStringLiteral("klas"));
    s.present = !file.childKeys().isEmpty();
    file.endGroup();
    if (!s.present)
        return s;
    settings::GroupReader r(file, QStringLiteral("klas"),
                            QStringLiteral("the class broker will not be contacted"), s.problem);
    bool portGiven = false;
    if (const auto v = r.take("broker")) {
        const QString text = v->toString();
        const int colon = text.indexOf(QLatin1Char(':'));
        s.host = colon < 0 ? text : text.left(colon);
        if (colon >= 0) {
            s.port = text.mid(colon + 1).toInt();
            portGiven = true;
        }
    }
    if (const auto v = r.take("ca"))
        s.caFile = v->toString();
    if (const auto v = r.take("gebruiker"))
        s.gebruiker = v->toString();
    if (const auto v = r.take("wachtwoord"))
        s.wachtwoord = v->toString();
    if (const auto v = r.take("naam"))
        s.naam = v->toString();
    if (const auto v = r.take("klas"))
        s.klas = v->toString();
    if (const auto v = r.take("leerlingen"))
        s.leerlingen = v->toStringList();
    if (!portGiven && !s.caFile.isEmpty())
        s.port = 8883;
    if (s.naam.isEmpty())
        s.naam = hostName.left(64);
    const QString where = QDir::toNativeSeparators(file.fileName());
    if (s.problem.isEmpty() && s.host.isEmpty())
        s.problem = QStringLiteral("In %1 ontbreekt onder [klas] de regel broker=... met het adres "
                                   "van de klasbroker.")
                        .arg(where);
    if (s.problem.isEmpty() && s.gebruiker.isEmpty())
        s.problem = QStringLiteral("In %1 ontbreekt onder [klas] de regel gebruiker=... met het "
                                   "account van deze pc.")
                        .arg(where);
    return s;
}

} // namespace klas
