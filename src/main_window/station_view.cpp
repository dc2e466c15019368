#include "main_window/station_view.h"

#include "interface_link/interface_model.h"

namespace mw
{

bool isGenericOutputName(const QString& name)
{
    return name.contains(QLatin1String("Uitgang"), Qt::CaseSensitive);
}

StationView stationView(station::Station s, const NameTables& n)
{
    using station::Station;
    StationView v;
    v.inputsCaption = QStringLiteral("Sensoren");
    v.outputsCaption = QStringLiteral("Actuatoren");
    v.filmVisible = true;
    switch (s) {
    case Station::StapelMagazijn:
        v.outputNames = n.NamenUitgangStapelMagazijn;
        v.inputNames = n.NamenIngangStapelMagazijn;
        v.usedOutputs = 0b0000'0111;
        v.usedInputs = 0b0000'0001;
        v.filmCaption = QStringLiteral("Filmpje Stapel magazijn");
        v.picture = QStringLiteral("Stapel magazijn org.bmp");
        break;
    case Station::Transportband:
        v.outputNames = n.NamenUitgangTransportband;
        v.inputNames = n.NamenIngangTransportband;
        v.usedOutputs = 0b0000'0111;
        v.usedInputs = 0b0000'0011;
        v.filmCaption = QStringLiteral("Filmpje Transportband");
        v.filmToolTip = QStringLiteral("Gemaakt door een GL leerling");
        v.picture = QStringLiteral("Transportband org.bmp");
        break;
    case Station::Stationhandling:
        v.outputNames = n.NamenUitgangHandling;
        v.inputNames = n.NamenIngangHandling;
        v.usedOutputs = 0b0001'1111;
        v.usedInputs = 0b0000'1111;
        v.filmCaption = QStringLiteral("Filmpje Station handling");
        v.picture = QStringLiteral("Station handling org.bmp");
        break;
    case Station::TransHandling:
        // The conveyor on outputs 0-2 and inputs 0-1, the handling station
        // shifted by three.
        for (int i = 0; i < 8; ++i) {
            v.outputNames[i] =
                i < 3 ? n.NamenUitgangTransportband[i] : n.NamenUitgangHandling[i - 3];
            if (i < 2)
                v.inputNames[i] = n.NamenIngangTransportband[i];
            else if (i >= 3 && i <= 6)
                v.inputNames[i] = n.NamenIngangHandling[i - 3];
        }
        v.inputNames[2] = QStringLiteral("Ingang 3");
        v.inputNames[7] = QStringLiteral("Ingang 8");
        v.usedOutputs = 0xFF;
        v.usedInputs = 0b0111'1011;
        v.inputsCaption = QStringLiteral("Ingangen");
        v.outputsCaption = QStringLiteral("Uitgangen");
        v.filmVisible = false;
        v.picture = QStringLiteral("TransHandling.bmp");
        v.enableByName = false;
        break;
    case Station::Start:
    case Station::Interface:
        for (int i = 0; i < 8; ++i) {
            v.outputNames[i] = genericOutputName(i);
            v.inputNames[i] = genericInputName(i);
        }
        v.usedOutputs = 0xFF;
        v.usedInputs = 0xFF;
        v.inputsCaption = QStringLiteral("Ingangen");
        v.outputsCaption = QStringLiteral("Uitgangen");
        v.filmVisible = false;
        v.picture = iface::interfaceModel(iface::kModelMini).picture;
        v.enableByName = false;
        break;
    }
    return v;
}

} // namespace mw
