#include "station/station_data.h"

#include <initializer_list>

namespace station
{

namespace
{

struct Named {
    const char* name;
    Component component;
};

QString genericName(Direction d, int i)
{
    return d == Direction::Output ? genericOutputName(i) : genericInputName(i);
}

Point genericPoint(Direction d, int i, bool used)
{
    return Point{genericName(d, i), used, {}, {}};
}

// The named points from index 0 on, the rest unused under their generic
// names.
Points points(Direction d, std::initializer_list<Named> named)
{
    Points p;
    int i = 0;
    for (const Named& n : named) {
        p[i] = Point{QString::fromUtf8(n.name), true, QString::fromUtf8(n.component.kind),
                     QString::fromUtf8(n.component.picture)};
        ++i;
    }
    for (; i < kPointCount; ++i)
        p[i] = genericPoint(d, i, false);
    return p;
}

// The single stations show their components; the combined station and the
// bare interface show the interface's numbered points.
void singleStationCaptions(StationData& d)
{
    d.inputsCaption = QStringLiteral("Sensoren");
    d.outputsCaption = QStringLiteral("Actuatoren");
    d.filmVisible = true;
}

void interfaceCaptions(StationData& d)
{
    d.inputsCaption = QStringLiteral("Ingangen");
    d.outputsCaption = QStringLiteral("Uitgangen");
    d.filmVisible = false;
}

StationData stackMagazine()
{
    StationData d;
    d.station = Station::StapelMagazijn;
    singleStationCaptions(d);
    d.outputs = points(Direction::Output, {{"Doorvoercilinder (uit)", kDoubleActingCylinder},
                                           {"Doorvoercilinder (in)", kDoubleActingCylinder},
                                           {"Aandrukcilinder", kSingleActingCylinder}});
    d.inputs = points(Direction::Input, {{"Eindschakelaar cilinder 1A", kMagneticSensor}});
    d.filmCaption = QStringLiteral("Filmpje Stapel magazijn");
    d.picture = QStringLiteral("Stapel magazijn org.bmp");
    return d;
}

StationData conveyor()
{
    StationData d;
    d.station = Station::Transportband;
    singleStationCaptions(d);
    d.outputs =
        points(Direction::Output,
               {{"Magneetspoel stopper",
                 {"Magneetspoel stopper", "Transportband Magneetspoel Stopper.bmp"}},
                {"Gelijkstroom motor", {"Gelijkstroom motor", "Transportband Elektro Motor.bmp"}},
                {"Motor relais", {"Motor relais", "Transportband Relais.bmp"}}});
    d.inputs =
        points(Direction::Input,
               {{"Inductieve sensor", {"Inductieve sensor", "Transportband Inductieve Sensor.bmp"}},
                {"Optische sensor", {"Optische sensor", "Transportband Optische Sensor.bmp"}}});
    d.filmCaption = QStringLiteral("Filmpje Transportband");
    d.filmToolTip = QStringLiteral("Gemaakt door een GL leerling");
    d.picture = QStringLiteral("Transportband org.bmp");
    return d;
}

StationData handling()
{
    StationData d;
    d.station = Station::Stationhandling;
    singleStationCaptions(d);
    d.outputs = points(Direction::Output, {{"Verplaatscilinder (uit)", kGuidedCylinderActuated},
                                           {"Verplaatscilinder (in)", kGuidedCylinder},
                                           {"Grijpercilinder (uit)", kGuidedCylinderActuated},
                                           {"Grijpercilinder (in)", kGuidedCylinder},
                                           {"Grijper", kGripper}});
    d.inputs = points(Direction::Input, {{"Eindschakelaar cil. 1 Achter", kMagneticSensor},
                                         {"Eindschakelaar cil. 1 Voor", kMagneticSensor},
                                         {"Eindschakelaar cil. 2 Boven", kMagneticSensor},
                                         {"Eindschakelaar cil. 2 Onder", kMagneticSensor}});
    d.filmCaption = QStringLiteral("Filmpje Station handling");
    d.picture = QStringLiteral("Station handling org.bmp");
    return d;
}

StationData combined(const StationData& conveyor, const StationData& handling)
{
    StationData d;
    d.station = Station::TransHandling;
    d.outputs = combinedPoints(conveyor.outputs, handling.outputs, Direction::Output);
    d.inputs = combinedPoints(conveyor.inputs, handling.inputs, Direction::Input);
    interfaceCaptions(d);
    d.picture = QStringLiteral("TransHandling.bmp");
    return d;
}

StationData bareInterface(Station s)
{
    StationData d;
    d.station = s;
    for (int i = 0; i < kPointCount; ++i) {
        d.outputs[i] = genericPoint(Direction::Output, i, true);
        d.inputs[i] = genericPoint(Direction::Input, i, true);
    }
    interfaceCaptions(d);
    // The EasyPort Mini's picture, as the interface model table names it.
    d.picture = QStringLiteral("Easyport mini.bmp");
    return d;
}

struct Tables {
    StationData start = bareInterface(Station::Start);
    StationData bare = bareInterface(Station::Interface);
    StationData stack = stackMagazine();
    StationData belt = conveyor();
    StationData handlingStation = handling();
    StationData combinedStation = combined(belt, handlingStation);
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

quint8 mask(const Points& p)
{
    quint8 m = 0;
    for (int i = 0; i < kPointCount; ++i)
        if (p[i].used)
            m |= quint8(1u << i);
    return m;
}

Names names(const Points& p)
{
    Names n;
    for (int i = 0; i < kPointCount; ++i)
        n[i] = p[i].name;
    return n;
}

} // namespace

quint8 StationData::usedOutputs() const
{
    return mask(outputs);
}

quint8 StationData::usedInputs() const
{
    return mask(inputs);
}

Names StationData::outputNames() const
{
    return names(outputs);
}

Names StationData::inputNames() const
{
    return names(inputs);
}

const StationData& data(Station s)
{
    const Tables& t = tables();
    switch (s) {
    case Station::Start:
        return t.start;
    case Station::Interface:
        break;
    case Station::StapelMagazijn:
        return t.stack;
    case Station::Transportband:
        return t.belt;
    case Station::Stationhandling:
        return t.handlingStation;
    case Station::TransHandling:
        return t.combinedStation;
    }
    return t.bare;
}

QString genericOutputName(int i)
{
    return QStringLiteral("Uitgang ") + QString::number(i + 1);
}

QString genericInputName(int i)
{
    return QStringLiteral("Ingang ") + QString::number(i + 1);
}

Points combinedPoints(const Points& conveyor, const Points& handling, Direction d)
{
    Points p;
    for (int i = 0; i < kPointCount; ++i) {
        const Point& from = i >= kHandlingShift ? handling[i - kHandlingShift] : conveyor[i];
        p[i] = from.used ? from : genericPoint(d, i, false);
    }
    return p;
}

SplitOutputs splitCombinedOutputs(quint8 word)
{
    return {quint8(word & data(Station::Transportband).usedOutputs()),
            quint8(word >> kHandlingShift)};
}

quint8 joinCombinedInputs(quint8 conveyor, quint8 handling)
{
    return quint8((conveyor & data(Station::Transportband).usedInputs()) |
                  (handling << kHandlingShift));
}

} // namespace station
