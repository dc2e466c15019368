#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace klas
{

// This PC in the class: the group [klas] of the installation file. Without
// the group the program does no networking at all. A key that is present
// but cannot be used is not replaced by a default: the class is then left
// out, and `problem` names the file, the key and the value (never the
// password).
struct KlasSettings {
    bool present = false; // the file has a [klas] group
    QString host;
    int port = 1883;
    QString caFile; // given: TLS
    QString gebruiker;
    QString wachtwoord;
    QString naam;
    QString klas = QStringLiteral("klas");
    QStringList leerlingen;

    QString problem;
    bool usable() const { return present && problem.isEmpty(); }

    // `hostName` is the default for `naam`.
    static KlasSettings fromSettings(QSettings& file, const QString& hostName);
};

} // namespace klas
