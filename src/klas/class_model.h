#pragma once

#include "klas/klas_messages.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// The teacher's picture of the class, without widgets or network: the last
// status of every PC, and the hidden faults the teacher set on each. The
// faults are the teacher's, kept here; a PC that reports other faults (it
// restarted, or a message was lost) is sent them again.
namespace klas
{

class ClassModel
{
  public:
    // The class's accounts from the teacher's settings, each `pc01` or
    // `pc01:Anna` with the name the teacher sees; shown grey until seen.
    explicit ClassModel(QStringList accounts = {});

    struct Pupil {
        QString account;
        QString name; // from the teacher's list; empty: the account is shown
        bool seen = false;
        PupilStatus status; // status.online false until seen or after its will
        bool fresh = false; // a status arrived since the broker connection came
        Faults wanted;      // what the teacher set
        // The PC's last result (on the class's lesson or an older one).
        std::optional<LessonResult> result;
        // The teacher's own check of that result's plan; -1 when not done.
        int ownPassed = -1;
    };

    // A status message on `account`'s topic. Returns true when the PC should
    // be sent the teacher's faults again (it is online and reports others).
    bool onStatus(const QString& account, const PupilStatus& status);

    // The teacher's window's connection to the broker. While it is lost no
    // tile is current; once it is back a PC's tile is current again when its
    // status arrives (the broker sends the retained ones at once).
    void setBrokerConnected(bool connected);
    bool isBrokerConnected() const { return m_connected; }
    // Whether `p`'s tile shows what its PC reports now. A PC never seen has
    // nothing to be behind on but the broker itself.
    bool isCurrent(const Pupil& p) const { return m_connected && (p.fresh || !p.seen); }

    // A result on `account`'s result topic: the account is the topic's,
    // never the payload's. The teacher's own check of an older one is gone.
    void onResult(const QString& account, const LessonResult& result);
    // The teacher's own check of `account`'s result; false when it has none.
    bool setOwnCheck(const QString& account, int passed);

    // The teacher sets one input's fault; returns the PC's whole new set, or
    // nothing for an unknown PC or input outside 1..8.
    std::optional<Faults> setFault(const QString& pc, int input, Fault kind);
    std::optional<Faults> clearFaults(const QString& pc);
    // Output `output` (1..8) of `pc` does not work (or works again).
    std::optional<Faults> setDeadOutput(const QString& pc, int output, bool dead);
    // Another teacher's window set `faults` on `account`: they become this
    // record too, so two windows never undo each other. False for an
    // account not in the class.
    bool adoptFaults(const QString& account, const Faults& faults);

    // The account of a PC given by its shown name or its account; empty when
    // no PC answers to it.
    QString accountOf(const QString& pc) const;
    const Pupil* pupil(const QString& pc) const;

    // Every PC, sorted by the name shown.
    QList<const Pupil*> sorted() const;
    // The shown names of the PCs online, sorted.
    QStringList onlineNames() const;
    // The teacher's name for the PC, else its account. Never the name in a
    // PC's own status: any account could claim to be another pupil.
    static QString shownName(const Pupil& p);
    // How the fault dialog names input `input` (1..8) of the station a
    // pupil's PC reports (`station` as in its status): "Ingang 3 – Inductieve
    // sensor" where the station is known and uses the input, else
    // "Ingang 3".
    static QString inputCaption(const QString& station, int input);
    // "Uitgang 2 – Gelijkstroom motor", as inputCaption.
    static QString outputCaption(const QString& station, int output);
    // Why `interfaceType` cannot have an output that does not work; empty
    // when it can (a simulated station, also one a PLC drives).
    static QString deadOutputRefusal(const QString& interfaceType);
    // Changes whenever a PC is added: the order of sorted() can only change
    // then, and sorting costs.
    int orderVersion() const { return m_orderVersion; }

  private:
    QMap<QString, Pupil> m_pupils; // by account
    int m_orderVersion = 0;
    bool m_connected = false;
};

} // namespace klas
