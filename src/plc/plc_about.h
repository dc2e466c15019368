#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;

namespace plc
{

// What the PLC station's about window tells the pupil, as the interface
// knows it at that moment.
struct AboutFacts {
    // The [plc] settings could be used; else `problem` says why not.
    bool usable = true;
    QString problem;
    bool listening = false;
    QString listen;
    int port = 0;
    int unit = 0; // 0: every unit id
    // The owner's address; empty when no PLC owns the outputs.
    QString owner;
    int watchdogMs = 0;
    bool held = false;
    bool waitingForAllOff = false;
};

// The lines of the about window, in Dutch: where the station listens, which
// PLC owns the outputs, the watchdog, and what holds the outputs off.
QStringList aboutLines(const AboutFacts& facts);

// The about window (non-modal, deleted on close): `lines` in its label
// "PlcAboutText", a blank line between them, a button that shows "Virtuele opstelling" and
// "Sluiten".
QDialog* makePlcAbout(const QStringList& lines, std::function<void()> showStation);
// Puts new lines into an about window made by makePlcAbout.
void updatePlcAbout(QDialog* about, const QStringList& lines);

} // namespace plc
