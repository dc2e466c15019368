#pragma once

#include <QString>

namespace link
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

// The five lines shown when no interface answers, joined by carriage returns.
QString notFoundMessage();

} // namespace link
