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
// With `resultPupils` > 0 the teacher sends a shipped lesson first, and that
// many of the PCs each send a result on it once a minute (their first
// checks spread over the minute), with a plan the teacher checks again;
// further figures: the delay from a result's publish to its row in the
// teacher's class table. Empty when no broker could be started.
QList<QPair<QString, double>> measureClassLoad(const QString& programPath, int publishers,
                                               int seconds, int resultPupils = 0);

// Child mode: `publishers` status publishers until killed; the first
// `resultPupils` also send results on lesson `lessonId` (the file
// `lessonPath`), with the plan file `planPath`.
int runClassPublishers(int port, const QString& folder, int publishers, int resultPupils = 0,
                       const QString& lessonId = {}, const QString& lessonPath = {},
                       const QString& planPath = {});
