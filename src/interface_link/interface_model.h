#pragma once

#include "station/station.h"

#include <QString>

namespace iface
{

constexpr int kModelD16 = 1;
constexpr int kModelD8A = 2;
constexpr int kModelMini = 5;

// The picture and the interface button's caption for a model code; other
// codes are not known and change nothing.
struct InterfaceModel {
    bool known = false;
    QString picture; // file in the picture folder
    QString caption;
};

InterfaceModel interfaceModel(int moduleNummer);

// Whether station `s` can be chosen with the model that answered: the
// EasyPort Mini has no combined station.
bool offersStation(int moduleNummer, station::Station s);

// The lines shown when no interface answers, joined by carriage returns:
// the heading, then `whatWasTried` (what the interface control reports about
// its search) or, when it has nothing to say, the compatibility hint.
QString notFoundMessage(const QString& whatWasTried = {});

// The box shown when an open link breaks; `peer` names where the interface
// is reached ("192.168.0.10, poort 502"), empty when there is nothing to name.
QString linkLostTitle();
QString linkLostMessage(const QString& peer);

} // namespace iface
