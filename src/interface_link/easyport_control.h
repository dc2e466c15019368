#pragma once

#include <QObject>
#include <QtGlobal>

namespace iface
{

// The component that carries all traffic with the I/O interface. The main
// window only ever talks to an EasyPortControl; which implementation sits
// behind it (the built-in simulated interface, a Modbus I/O module, a test
// double) is decided in main() from the installation file. What only some
// interfaces can do (outputs that a PLC drives too, the teacher's hidden
// faults, a simulated station) is not part of it: see capabilities.h.
//
// What callers rely on:
// - after a non-zero SearchAndConnect, WriteOutputs reaches the device and
//   InputsChanged is raised on the GUI thread whenever the inputs change;
// - WriteOutputs is accepted at any time, also before a connect and after a
//   Disconnect (it then does nothing at the device);
// - a SearchAndConnect may follow a Disconnect, and a LinkLost;
// - a connect never switches an output on: the first word a device receives
//   after a non-zero SearchAndConnect is all-off, whatever WriteOutputs was
//   given before or during the search;
// - when an open link breaks without a Disconnect (cable pulled, module
//   switched off, no answers), LinkLost is raised once; the control has
//   then closed the link itself and nothing reaches the device until the
//   next SearchAndConnect. It never reconnects by itself;
// - no member blocks the GUI thread past a short bound; a search that takes
//   time keeps the event loop running.
//
// The design placement of the control on the main window (Left, Top, Width,
// Height in twips) is kept as plain properties so that the window scaling
// treats it like every other control; the control itself is never drawn.
class EasyPortControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)

  public:
    explicit EasyPortControl(QObject* parent = nullptr) : QObject(parent)
    {
        setObjectName(QStringLiteral("EasyPort1"));
    }
    ~EasyPortControl() override = default;

    // 0 = no interface found; anything else = found and the link is open.
    virtual qint16 SearchAndConnect() = 0;
    // Port number of interface `index` (always 0: the first one found).
    virtual qint16 GetComPort(qint16 index) = 0;
    // Model code: 1 EasyPort D16, 2 EasyPort D8A, 5 EasyPort Mini.
    virtual qint16 GetModuleNumber(qint16 index) = 0;
    virtual void Disconnect() = 0;
    // The whole output word: bit i = output i (0..7), bits 8..15 clear.
    virtual void WriteOutputs(qint16 word) = 0;
    // Shows the component's own about / version window (non-blocking).
    virtual void AboutBox() = 0;

    // After a LinkLost the device may still hold outputs on: one attempt,
    // within `ms` and with the event loop running, to reach it again and
    // write the all-off word. True only when the device confirmed it; the
    // link stays closed either way.
    virtual bool switchOffAfterLoss(int ms)
    {
        Q_UNUSED(ms);
        return false;
    }

    // Why the last SearchAndConnect found nothing, in Dutch lines for the
    // pupil (what was tried, and why it failed); empty when the control has
    // nothing to add to the plain "not found" text.
    virtual QString searchFailureText() const { return {}; }
    // Where the device is reached, for the pupil ("192.168.0.10, poort
    // 502"); empty when there is nothing to name.
    virtual QString peerDescription() const { return {}; }

    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void setLeft(double v) { m_left = v; }
    void setTop(double v) { m_top = v; }
    void setWidth(double v) { m_width = v; }
    void setHeight(double v) { m_height = v; }

  signals:
    // The first two values carry nothing the program uses; the third is the
    // state of all inputs (bit i = input i).
    void InputsChanged(int reserved1, int reserved2, qint32 inputs);
    // The open link broke without a Disconnect; `reason` is for the log.
    void LinkLost(const QString& reason);

  private:
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};

} // namespace iface
