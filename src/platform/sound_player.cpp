#include "platform/sound_player.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

namespace platform
{

namespace
{

// Whether the file holds a whole WAV structure: a format chunk, then a data
// chunk that is all there. Qt 6.4's sound effect waits for ever for the
// missing bytes of an empty or cut-off file, and deleting any sound effect
// then waits for that load: the program would freeze.
bool wholeWave(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return false;
    bool format = false;
    for (;;) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return false;
        const qint64 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 start = file.pos();
        if (chunk.startsWith("fmt "))
            format = size >= 16;
        else if (chunk.startsWith("data"))
            return format && size > 0 && start + size <= file.size();
        // Chunks are padded to an even length.
        if (start + size + (size & 1) > file.size() || !file.seek(start + size + (size & 1)))
            return false;
    }
}

} // namespace

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer()
{
    // Silence what still sounds before the players go with this object.
    for (const QList<QSoundEffect*>& players : std::as_const(m_players))
        for (QSoundEffect* p : players) {
            p->disconnect(this);
            p->stop();
        }
}

void SoundPlayer::play(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        warnOnce(path, "sound file not found");
        return;
    }
    if (!haveDevice())
        return;
    if (m_broken.contains(path))
        return;
    if (!wholeWave(path)) {
        warnOnce(path, "cannot play sound file");
        m_broken.insert(path);
        return;
    }
    if (m_players.value(path).size() >= kMaxPlayersPerSound)
        release(path, m_players.value(path).first());

    // A fresh player takes the output that is the default now.
    auto* player = new QSoundEffect(QMediaDevices::defaultAudioOutput(), this);
    m_players[path].append(player);
    connect(player, &QSoundEffect::statusChanged, this, [this, path, player] {
        // A file that cannot be decoded is said once and never tried again.
        if (player->status() == QSoundEffect::Error) {
            warnOnce(path, "cannot play sound file");
            m_broken.insert(path);
            release(path, player);
        }
    });
    connect(player, &QSoundEffect::playingChanged, this, [this, path, player] {
        if (!player->isPlaying())
            release(path, player);
    });
    player->setSource(QUrl::fromLocalFile(path));
    // Plays as soon as the sample is loaded.
    player->play();
}

int SoundPlayer::livePlayers(const QString& path) const
{
    return int(m_players.value(path).size());
}

bool SoundPlayer::haveDevice()
{
    // Asked at every play, not only when QMediaDevices::audioOutputsChanged
    // says so: Qt 6.4's PulseAudio backend never sends that signal, and a
    // headset plugged in later must still be used. The list is a cached copy.
    const bool have = !QMediaDevices::audioOutputs().isEmpty();
    if (have && m_toldNoDevice) {
        m_toldNoDevice = false; // losing it again is said again
        qCInfo(lcDravik) << "audio output device found; sounds play again";
    } else if (!have && !m_toldNoDevice) {
        m_toldNoDevice = true;
        qCInfo(lcDravik) << "no audio output device; sounds are skipped";
    }
    return have;
}

void SoundPlayer::release(const QString& path, QSoundEffect* player)
{
    auto it = m_players.find(path);
    if (it == m_players.end() || !it->removeOne(player))
        return;
    if (it->isEmpty())
        m_players.erase(it);
    player->disconnect(this);
    player->stop();
    player->deleteLater();
}

void SoundPlayer::warnOnce(const QString& path, const char* what)
{
    if (!m_warned.contains(path)) {
        m_warned.insert(path);
        qCWarning(lcDravik) << what << path;
    }
}

} // namespace platform
