#include "interface_link/interface_model.h"

#include <QStringList>

namespace link
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

QString notFoundMessage()
{
    return QStringList{QStringLiteral("De interface is niet gevonden."),
                       QString(21, QLatin1Char('-')), QString(),
                       QStringLiteral("Onder Windows 7 & 8 moet de compabititeits modus"),
                       QStringLiteral("ingesteld worden op WinXP sp3.")}
        .join(QLatin1Char('\r'));
}

} // namespace link
