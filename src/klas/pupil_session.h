#pragma once

#include "klas/klas_messages.h"
#include "klas/klas_settings.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class QWidget;

namespace klas
{

class MqttClient;
class PupilLink;
class Klasoverzicht;

// The client options for this PC's account from its [klas] settings.
MqttClient* makeClient(const KlasSettings& s, QObject* parent, bool withWill);

// A pupil's program joined to its class: the status is read from the
// program every 100 ms (and published only when it changed), the teacher's
// faults go to `applyFaults` as stuck-off and stuck-on masks, "Alles uit"
// to `allOff`. The program knows nothing of MQTT; this knows nothing of
// the program.
class PupilSession : public QObject
{
    Q_OBJECT

  public:
    struct Hooks {
        std::function<PupilStatus()> status;
        std::function<void(int openMask, int shortMask)> applyFaults;
        std::function<void()> allOff;
        QWidget* boxParent = nullptr;
    };

    PupilSession(const KlasSettings& settings, Hooks hooks, QObject* parent = nullptr);
    ~PupilSession() override;

    PupilLink& link() const { return *m_link; }
    // Says goodbye to the broker; bounded.
    void stop();

  private:
    Hooks m_hooks;
    std::unique_ptr<PupilLink> m_link;
    QTimer m_poll;
    bool m_boxOpen = false;
};

// Masks of a fault set: bit i = input i + 1.
int openMask(const Faults& f);
int shortMask(const Faults& f);

// The teacher's window from the teacher's [klas] settings (it owns its
// client).
std::unique_ptr<Klasoverzicht> makeTeacherWindow(const KlasSettings& settings);

} // namespace klas
