#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// What travels between a pupil's program and the teacher's window over the
// class broker, as pure data: the topics, a pupil's status, the teacher's
// hidden faults and the class-wide switch-off. Every reader takes bytes
// written by someone else and either returns a checked value or nothing;
// nothing read here can ever switch an output on.
namespace klas
{

// The topics of one class. `account` is the broker account (pc01, ...),
// never the shown name, so the broker's ACL can hold.
// The client id of one session of `account`: the account and 128 random
// bits. The broker throws off a session when another connects with its id,
// whatever the account; an id nobody can guess cannot be taken over.
QString sessionClientId(const QString& account);

QString statusTopic(const QString& klas, const QString& account);
QString faultTopic(const QString& klas, const QString& account);
QString allOffTopic(const QString& klas);
// The account in a status topic of `klas`, empty when the topic is another.
QString accountOfStatusTopic(const QString& klas, const QString& topic);
// The account in a fault topic of `klas`, empty when the topic is another.
QString accountOfFaultTopic(const QString& klas, const QString& topic);
// The lesson the teacher gave the class (retained; empty when withdrawn).
QString lessonTopic(const QString& klas);
// A PC's result on that lesson (retained per PC).
QString resultTopic(const QString& klas, const QString& account);
QString accountOfResultTopic(const QString& klas, const QString& topic);
// Whether the teacher froze the class's plans (retained, written by the
// teacher only).
QString freezeTopic(const QString& klas);

enum class Fault { None, OpenCircuit, ShortCircuit };

// "geen", "draadbreuk", "kortsluiting"; nothing for any other word.
std::optional<Fault> faultFromWord(const QString& word);
QString faultWord(Fault f);
// The one kind of output fault.
QString deadOutputWord();

// A hidden fault per input (index 0..7 = input 1..8), and the outputs
// that do not work ("werkt niet": the simulated actuator does not move).
struct Faults {
    std::array<Fault, 8> input{};
    std::array<bool, 8> deadOutput{};

    bool any() const;
    // "ingang 3 draadbreuk, ingang 5 kortsluiting, uitgang 2 werkt niet";
    // empty when none.
    QString describe() const;
    bool operator==(const Faults& o) const
    {
        return input == o.input && deadOutput == o.deadOutput;
    }
    bool operator!=(const Faults& o) const { return !(*this == o); }
};

// The teacher's message to one PC: the whole set of its faults.
// `sender` names the teacher's window that sent it (a PC ignores it); the
// other windows of the class take the set as theirs.
QByteArray encodeFaults(const Faults& f, const QString& sender = {});
QString faultSender(const QByteArray& payload);
std::optional<Faults> decodeFaults(const QByteArray& payload);

// "Alles uit" from the teacher. `id` names one press of the button: the
// teacher's window sends it again to the PCs that have not confirmed it,
// and a PC that already carried it out does not do it twice. `to` names
// the accounts a message sent again is for; empty, it is for the whole
// class.
struct AllOff {
    QString id;
    QStringList to;
};

QByteArray encodeAllOff(const QString& id = {}, const QStringList& to = {});
// Only `"allesuit":true` in an object, with an optional text `id` and an
// optional list of account texts `voor`; nothing for anything else.
std::optional<AllOff> decodeAllOff(const QByteArray& payload);
bool isAllOff(const QByteArray& payload);
// The id of the switch-off `account` carries out now, or nothing: not a
// switch-off, one for other PCs, or the one it carried out last (`done`).
// One without an id (an older teacher's window) is carried out every time.
std::optional<QString> allOffToCarryOut(const QByteArray& payload, const QString& account,
                                        const QString& done);

// The class frozen (true) or released (false): {"bevroren":true}.
QByteArray encodeFreeze(bool frozen);
// Only an object whose one key is `bevroren` with true or false; nothing for
// anything else, so a damaged message neither freezes nor releases.
std::optional<bool> decodeFreeze(const QByteArray& payload);

// A pupil's program as the teacher sees it.
struct PupilStatus {
    bool online = false;
    QString naam;          // the PC's shown name
    QString interfaceType; // "simulated", "modbus", "plc"
    bool verbonden = false;
    QString station;       // caption of the station in view
    int uitgangen = 0;     // output word 0..255
    int ingangen = 0;      // input word 0..255, as the program sees it
    QString plan;          // step plan state ("", "loopt", "klaar", ...)
    int stap = 0;          // current step, 0 when none
    QString planBericht;   // the plan's last message
    QString plc;           // the PLC driving the outputs, empty when none
    Faults storingen;      // the teacher's faults as the PC applies them
    QString allesUit;      // id of the last "Alles uit" carried out with every output off
    QString opdracht;      // id of the class's lesson the PC took
    QString opdrachtFout;  // why the PC refused the class's lesson; empty when it did not
    bool bevroren = false; // the PC froze its plan at the teacher's word

    bool operator==(const PupilStatus& o) const;
    bool operator!=(const PupilStatus& o) const { return !(*this == o); }
};

QByteArray encodeStatus(const PupilStatus& s);
// A status as the broker delivers it; nothing for anything that is not one
// (longer texts are cut, words are kept to 0..255).
std::optional<PupilStatus> decodeStatus(const QByteArray& payload);
// The last will: the PC went away without saying goodbye.
QByteArray offlineStatus(const QString& naam);

// The teacher's lesson for the class: `id` names one sending (a PC takes
// the same one once, however often the broker delivers it) and `lesson` is
// the lesson file's JSON object.
struct LessonMessage {
    QString id;
    // The lesson file's bytes; empty when the message held no object there,
    // so reading it gives the message of a damaged file.
    QByteArray lesson;
};

QByteArray encodeLesson(const QString& id, const QByteArray& lessonJson);
// Nothing for a payload without a text `id` or larger than a lesson file.
std::optional<LessonMessage> decodeLesson(const QByteArray& payload);

// A PC's result on the class's lesson, sent at every check.
struct LessonResult {
    bool found() const { return goed == totaal; }
    // Only a check of the step plan sends the plan it checked.
    bool hasPlan() const { return !hunt && !plc; }
    QString id;    // the lesson's, as sent
    QString titel; // the lesson's title
    int goed = 0;  // scenarios passed
    int totaal = 0;
    QString fout;     // the first failure, 'scenario 2 "naam": Na 4,2 s: ...'; empty when none
    int pogingen = 0; // checks since the lesson arrived
    int seconden = 0; // since the lesson arrived
    QByteArray plan;  // the checked plan, as a plan file; none for fault finding
    // Checked live while the school's PLC drove the station: the PLC holds
    // the program, so there is no plan and nobody can check it again.
    bool plc = false;

    // Fault finding ("soort": "storing zoeken"): goed 1 of totaal 1 once
    // found, `pogingen` the answers given, `seconden` the time to the right
    // one, `bediend` the outputs switched before it; `docent` when it was
    // answered against the teacher's fault rather than the lesson's.
    bool hunt = false;
    int bediend = 0;
    bool docent = false;

    bool operator==(const LessonResult& o) const;
};

QByteArray encodeResult(const LessonResult& r);
// Nothing for a payload with a key missing or of the wrong type, numbers out
// of range (more passed than there are), or larger than a result can be.
std::optional<LessonResult> decodeResult(const QByteArray& payload);

} // namespace klas
