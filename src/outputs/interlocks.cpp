#include "outputs/interlocks.h"

namespace outputs
{

Refusal interlock(station::Station inView, int output, bool switchingOn, int inputs, int outputs)
{
    if (inView == station::Station::StapelMagazijn && bitSet(inputs, 0)) {
        const bool feedOutOn = output == 0 && switchingOn;
        const bool feedInOffWhileOutOn = output == 1 && !switchingOn && bitSet(outputs, 0);
        if (feedOutOn || feedInOffWhileOutOn)
            return Refusal::PressingCylinderOut;
    }
    if (inView == station::Station::Stationhandling && (output == 0 || output == 1) &&
        bitSet(inputs, 3))
        return Refusal::GripperCylinderOut;
    return Refusal::None;
}

QString refusalTitle()
{
    return QStringLiteral("Beweging iet toegestaan!");
}

QString refusalText(Refusal why)
{
    QString first;
    switch (why) {
    case Refusal::None:
        return QString();
    case Refusal::PressingCylinderOut:
        first = QStringLiteral("De aandrukcilinder is uitgeschoven.");
        break;
    case Refusal::GripperCylinderOut:
        first = QStringLiteral("De grijpercilinder is uitgeschoven.");
        break;
    case Refusal::OutputsDrivenElsewhere:
        return QStringLiteral("De PLC bestuurt de uitgangen.");
    }
    return first + QLatin1Char('\r') + QLatin1Char('\r') +
           QStringLiteral("Horizontaal mag de grijper nu niet verplaatst worden.");
}

} // namespace outputs
