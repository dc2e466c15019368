#pragma once

#include "lesson/lesson.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Lesson files on disk, as JSON with Dutch keys (see docs/opdrachten.md):
//   {"titel": "...", "station": "Transportband", "tekst": ["..."],
//    "startplan": {...a step plan...},
//    "scenarios": [{"naam": "...", "seconden": 20, "magazijn": 6,
//                   "onderdelen": [{"seconde": 0, "metaal": true}],
//                   "storingen": [{"ingang": 3, "soort": "draadbreuk", "vanaf": 0}],
//                   "knop": 1,
//                   "eisen": {"glijbaan": 1, "eind": {"min": 1}, "nooitSamen": [[2, 3]],
//                             "nooitGeblokkeerd": true, "uitgangenUit": true,
//                             "plan": "klaar"}}]}
// Keys the program does not know are left alone, so the format can grow.
namespace lesson
{

// Largest file taken for a lesson, and the most of each list in it.
constexpr qint64 MaxFileBytes = 1 << 20;
constexpr int MaxTextLines = 100;
constexpr int MaxParts = 100;
constexpr int MaxFaults = 32;
constexpr int MaxPairs = 28;

struct ReadResult {
    std::optional<Lesson> lesson;
    // Why the file was refused, in Dutch, naming the file and, where it
    // lies in a scenario, the scenario (number and name) and the key.
    QString error;
};

// `fileName` is the name shown in messages.
ReadResult parseLesson(const QByteArray& json, const QString& fileName);
ReadResult readLessonFile(const QString& path);

QByteArray writeLesson(const Lesson& lesson);
// Writes the whole file or nothing; returns why it failed, or empty.
QString saveLessonFile(const Lesson& lesson, const QString& path);

} // namespace lesson
