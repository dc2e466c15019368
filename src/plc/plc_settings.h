#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

class QSettings;

namespace plc
{

// How the simulated station is served to PLCs: the group [plc] of the
// installation file. Every key is optional; a key that is present but
// cannot be used is not replaced by its default: the settings are then
// unusable, nothing listens, and `problem` names the file, key and value.
struct PlcSettings {
    static constexpr int MinWatchdogMs = 100;

    QHostAddress listen = QHostAddress(QHostAddress::LocalHost);
    int port = 1502;
    int unit = 0; // 0: every unit id
    int watchdogMs = 1000;
    // Empty: every address is let in.
    QList<QPair<QHostAddress, int>> allow;

    QString problem;
    bool usable() const { return problem.isEmpty(); }

    static PlcSettings fromSettings(QSettings& settings);

    // True when a connection from `peer` may stay.
    bool allows(const QHostAddress& peer) const;
};

} // namespace plc
