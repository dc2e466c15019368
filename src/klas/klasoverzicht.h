#pragma once

#include "klas/all_off_round.h"
#include "klas/class_model.h"
#include "lesson/lesson.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>
#include <memory>

class QGridLayout;
class QLabel;
class QPushButton;
class QTableWidget;

namespace platform
{
class Clock;
}

namespace klas
{

class MqttClient;
class PupilTile;

// The teacher's window "Klasoverzicht": one tile per PC of the class with
// what that PC reports, the hidden faults the teacher sets on it, and one
// "Alles uit" for the whole class. It reads the PCs' statuses from the
// class broker and writes only faults and the switch-off; it never switches
// an output on anywhere.
class Klasoverzicht : public QWidget
{
    Q_OBJECT
    // The shown names of the PCs online, sorted.
    Q_PROPERTY(QStringList leerlingen READ leerlingen NOTIFY changed)
    // The shown names of the PCs that have not confirmed the last "Alles
    // uit" within AllOffRound::kConfirmWithinMs, sorted.
    Q_PROPERTY(QStringList nietUitgezet READ nietUitgezet NOTIFY changed)
    // The class is frozen as the broker holds it (this window's word come
    // back, another window's, or the one kept from before it opened).
    Q_PROPERTY(bool bevroren READ bevroren NOTIFY changed)
    // While frozen: the shown names of the PCs online whose status does not
    // say their plan is frozen (yet), sorted.
    Q_PROPERTY(QStringList nietBevroren READ nietBevroren NOTIFY changed)

  public:
    // `client` is the teacher's connection (account docent), not started
    // yet; the window subscribes and starts it. `accounts` are the class's PCs, each
    // `pc01` or `pc01:Anna` with the name the teacher sees.
    Klasoverzicht(MqttClient* client, const QString& klas, const QStringList& accounts,
                  QWidget* parent = nullptr);
    ~Klasoverzicht() override;

    // The time "Alles uit" is judged and sent again by, set before the
    // first one; the window's own timer until set. Not owned.
    void setClock(platform::Clock* clock);

    QStringList leerlingen() const { return m_model.onlineNames(); }
    // online (bool), station, uitgangen, ingangen, plan, storingen ("ingang 3
    // draadbreuk, ..." as the PC reports them) and, once the PC sent a
    // result, opdracht (id, titel, goed, totaal, fout, pogingen, seconden,
    // plan as plan file JSON, zelfGoed when checked here, oud when it is
    // about another lesson than the one sent now; for fault finding soort,
    // gevonden, bediend and docent); empty for an unknown PC.
    Q_INVOKABLE QVariantMap leerling(const QString& naam) const;
    // soort: "geen", "draadbreuk" or "kortsluiting"; ingang 1..8. True when
    // the command went to the broker.
    Q_INVOKABLE bool zetStoring(const QString& naam, int ingang, const QString& soort);
    // soort: "geen" or "werkt niet"; uitgang 1..8. Refused (false, and
    // `uitgangWeigering` says why) for a PC without a simulated station.
    Q_INVOKABLE bool zetUitgangStoring(const QString& naam, int uitgang, const QString& soort);
    Q_INVOKABLE QString uitgangWeigering(const QString& naam) const;
    // Every PC's faults lifted; true when the command went to the broker.
    Q_INVOKABLE bool alleStoringenWeg(const QString& naam);
    // Switches every station of the class off (no question asked; the button
    // asks first), and sends it again to every PC seen in the class until
    // it confirms or stopUitzetten() is called.
    Q_INVOKABLE void allesUit();
    Q_INVOKABLE void stopUitzetten();
    QStringList nietUitgezet() const;

    // Sends the lesson file at `path` to the class (kept by the broker for
    // PCs that start later); a refused file is named in a box. True when it
    // went to the broker.
    Q_INVOKABLE bool verstuurOpdracht(const QString& path);
    // Withdraws the class's lesson; true when it went to the broker.
    Q_INVOKABLE bool trekOpdrachtIn();
    // The results table as CSV, written whole or not at all; a failure is
    // told in a box.
    Q_INVOKABLE bool slaResultatenOp(const QString& path);
    // Freezes the class's plans (kept by the broker for PCs that start
    // later) or releases them; true when the word went to the broker. The
    // window shows the new state once the broker sends it back.
    Q_INVOKABLE bool bevries();
    Q_INVOKABLE bool geefVrij();
    bool bevroren() const { return m_frozen; }
    QStringList nietBevroren() const;

    // The id of the lesson sent now; empty when none.
    QString opdrachtId() const { return m_lessonId; }

    const ClassModel& model() const { return m_model; }

  signals:
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onMessage(const QString& topic, const QByteArray& payload);
    void onFaultMessage(const QString& account, const QByteArray& payload);
    bool sendFaults(const QString& account, const Faults& f);
    bool changeFaults(const QString& naam, const std::optional<Faults>& faults);
    void confirmAllOff();
    void openFaults(const QString& account);
    void refresh();
    void showBroker();
    void allOffTick();
    void showAllOff();
    void onLessonMessage(const QByteArray& payload);
    void onResultMessage(const QString& account, const QByteArray& payload);
    void recheck(const QString& account);
    void showLesson();
    void showResults();
    void chooseLesson();
    void chooseResultsFile();
    void openPlan(const QString& account);
    void markDirty(const QString& account);
    bool sendFreeze(bool frozen);
    void onFreezeMessage(const QByteArray& payload);
    void showFreeze();

    MqttClient* m_client;
    QString m_klas;
    ClassModel m_model;
    QLabel* m_broker{};
    QPushButton* m_allOff{};
    QLabel* m_allOffState{};
    QPushButton* m_stopAllOff{};
    std::unique_ptr<platform::Clock> m_ownClock;
    platform::Clock* m_clock{};
    AllOffRound m_round;
    QGridLayout* m_grid{};
    QHash<QString, PupilTile*> m_tiles; // by account
    QSet<QString> m_dirty;
    QStringList m_order; // accounts as laid out
    int m_orderVersion = -1;
    int m_columns = 4;
    QWidget* m_viewport{};
    QTimer m_repaint;
    QString m_refusal;
    QString m_sender; // this window, in the faults it sends
    // The class's lesson as sent (by this window or another) and its id.
    std::optional<lesson::Lesson> m_lesson;
    QString m_lessonId;
    QLabel* m_lessonLabel{};
    QPushButton* m_sendLesson{};
    QPushButton* m_withdrawLesson{};
    QPushButton* m_saveResults{};
    QTableWidget* m_results{};
    bool m_frozen = false;
    QPushButton* m_freeze{};
    QPushButton* m_release{};
    QLabel* m_frozenLine{};
};

} // namespace klas
