#include "sound_synth.h"

#include <QtEndian>
#include <QtMath>
#include <cstdint>

namespace
{

// Accumulates floating-point samples and turns them into 16-bit PCM.
class Mix
{
  public:
    explicit Mix(double seconds) : m_data(int(seconds * kSoundRate), 0.0) {}

    // A sine tone from `start` for `length` seconds whose frequency glides
    // from f0 to f1, with a short attack and an exponential decay.
    void tone(double start, double length, double f0, double f1, double level, double decay)
    {
        const int first = int(start * kSoundRate);
        const int count = int(length * kSoundRate);
        double phase = 0.0;
        for (int i = 0; i < count && first + i < m_data.size(); ++i) {
            const double t = double(i) / kSoundRate;
            const double f = f0 + (f1 - f0) * (t / length);
            phase += 2.0 * M_PI * f / kSoundRate;
            const double attack = qMin(1.0, t / 0.004);
            const double release = qMin(1.0, (length - t) / 0.01);
            const double env = attack * release * qExp(-t * decay);
            m_data[first + i] += level * env * (std::sin(phase) + 0.25 * std::sin(2.0 * phase));
        }
    }

    // A burst of filtered noise, for the mechanical part of a click.
    void noise(double start, double length, double level, double smoothing, quint32 seed)
    {
        const int first = int(start * kSoundRate);
        const int count = int(length * kSoundRate);
        double low = 0.0;
        for (int i = 0; i < count && first + i < m_data.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double white = (double(seed >> 8) / double(1u << 24)) * 2.0 - 1.0;
            low += (white - low) * smoothing;
            const double t = double(i) / count;
            m_data[first + i] += level * low * (1.0 - t) * (1.0 - t);
        }
    }

    // The samples, then silence: Qt's sound effect on PulseAudio closes its
    // stream as soon as the last bytes are handed over, dropping what the
    // server still holds (a sound shorter than that is never heard at all).
    // The silence is what gets dropped.
    QVector<qint16> pcm() const
    {
        QVector<qint16> out(m_data.size() + int(kTrailingSilence * kSoundRate), 0);
        for (int i = 0; i < m_data.size(); ++i)
            out[i] = qint16(qBound(-32767.0, m_data[i] * 32767.0, 32767.0));
        return out;
    }

  private:
    QVector<double> m_data;
};

} // namespace

QList<SynthSound> synthesizeSounds()
{
    QList<SynthSound> sounds;

    Mix connected(0.42); // rising three-note chime: C6, E6, G6
    connected.tone(0.00, 0.18, 1046.5, 1046.5, 0.30, 9.0);
    connected.tone(0.10, 0.18, 1318.5, 1318.5, 0.30, 9.0);
    connected.tone(0.20, 0.22, 1568.0, 1568.0, 0.34, 7.0);
    sounds.append({QStringLiteral("Verbonden.wav"), connected.pcm()});

    Mix broken(0.36); // falling glide from G5 down to G4
    broken.tone(0.00, 0.34, 784.0, 392.0, 0.40, 4.0);
    sounds.append({QStringLiteral("Verbroken.wav"), broken.pcm()});

    Mix click1(0.05); // output switched: bright, dry click
    click1.noise(0.0, 0.012, 0.55, 0.9, 12345u);
    click1.tone(0.0, 0.03, 2600.0, 2200.0, 0.35, 140.0);
    sounds.append({QStringLiteral("Klik 01.wav"), click1.pcm()});

    Mix click2(0.07); // input changed: lower, softer tick
    click2.noise(0.0, 0.02, 0.45, 0.25, 777u);
    click2.tone(0.0, 0.05, 900.0, 700.0, 0.40, 90.0);
    sounds.append({QStringLiteral("Klik 02.wav"), click2.pcm()});

    return sounds;
}

QByteArray wavFile(const QVector<qint16>& samples, int sampleRate)
{
    const quint32 dataBytes = quint32(samples.size()) * 2u;
    QByteArray out;
    out.reserve(int(44 + dataBytes));
    const auto u32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    const auto u16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out.append("RIFF", 4);
    u32(36u + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    u32(16);                       // format chunk size
    u16(1);                        // PCM
    u16(1);                        // mono
    u32(quint32(sampleRate));      // frames per second
    u32(quint32(sampleRate) * 2u); // bytes per second
    u16(2);                        // bytes per frame
    u16(16);                       // bits per sample
    out.append("data", 4);
    u32(dataBytes);
    for (qint16 s : samples)
        u16(quint16(s));
    return out;
}
