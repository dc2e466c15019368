#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The class broker under load: a private mosquitto on loopback (from
// scripts/klas-broker.sh), `publishers` pupil programs in a child process,
// each changing its status ten times a second through the real client
// library, and the teacher's window in this process. Figures: the delay
// from a publish to the teacher window's model (median, p99, max, in ms),
// the statuses received, and the CPU the teacher's side used (in cores).
// Empty when no broker could be started.
QList<QPair<QString, double>> measureClassLoad(const QString& programPath, int publishers,
                                               int seconds);

// Child mode: `publishers` status publishers until killed.
int runClassPublishers(int port, const QString& folder, int publishers);
