#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

// The program's short signal sounds, made from sine tones and noise.
struct SynthSound {
    QString fileName;
    QVector<qint16> samples; // mono
};

constexpr int kSoundRate = 44100;
// Seconds of silence at the end of every sound, so that players that cut
// the last part of a sound only cut silence.
constexpr double kTrailingSilence = 0.4;

QList<SynthSound> synthesizeSounds();

// A mono 16-bit PCM WAV file holding the samples.
QByteArray wavFile(const QVector<qint16>& samples, int sampleRate);
