#pragma once

#include "platform/services.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

class QSoundEffect;

namespace platform
{

// Plays WAV files through Qt Multimedia. Every request gets a player of its
// own, so a click is never lost behind an earlier one; a few players of one
// file may sound together, and when a pupil clicks faster than that the
// oldest is cut. Qt 6.4's player on PulseAudio drops the last part of a
// sound that the server still holds when the file runs out (about 0.15 s,
// all of a short click), so the program's sound files end in silence.
class SoundPlayer : public QObject, public SoundService
{
    Q_OBJECT
  public:
    static constexpr int kMaxPlayersPerSound = 4;

    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play(const QString& path) override;
    // Players of `path` that are loading or sounding.
    int livePlayers(const QString& path) const;

  private:
    bool haveDevice();
    void release(const QString& path, QSoundEffect* player);
    void warnOnce(const QString& path, const char* what);

    bool m_toldNoDevice = false;
    QHash<QString, QList<QSoundEffect*>> m_players; // per file, oldest first
    QSet<QString> m_warned;
    QSet<QString> m_broken;
};

} // namespace platform
