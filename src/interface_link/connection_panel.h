#pragma once

#include "controls/color.h"
#include "interface_link/input_faults.h"

#include <QObject>
#include <array>
#include <memory>

class QWidget;

namespace ctl
{
class CommandButton;
class Frame;
class Image;
class Label;
class Shape;
} // namespace ctl

namespace iface
{
class EasyPortControl;
class HiddenFaults;
} // namespace iface

namespace platform
{
class Ending;
}

// The link with the interface as the pupil sees it: "Zoek en verbind" /
// "Verbreek", the status labels, the port and model shown, the model's
// picture and caption, the input lamps, the about window, and a link that
// breaks by itself. It owns Verbonden, ReageerNiet, ComPoort, ModuleNummer
// and the input word; the window asks for the cross-feature steps of a
// connect through the hooks below, in the order they must happen. While
// the program is being left it asks, shows and clears nothing more.
class ConnectionPanel : public QObject
{
    Q_OBJECT

  public:
    struct Controls {
        ctl::CommandButton* connect{};           // CMD_Verbinding
        ctl::Label* status{};                    // Label_Verbinding
        ctl::Label* statusFrame{};               // Label_VerbindingKader
        ctl::Label* comPort{};                   // Label_Compoort
        ctl::Label* module{};                    // Label_Modulenummer
        ctl::CommandButton* combinedStation{};   // CMD_TransHandling
        ctl::CommandButton* interfaceButton{};   // CMD_Interfacing
        ctl::Image* modulePicture{};             // Image_Module_Holder
        ctl::CommandButton* version{};           // Command1
        ctl::Frame* interfaceFrame{};            // FrameEasyPort
        std::array<ctl::Shape*, 9> inputLamps{}; // Shape_LampjeIn(1..8)
        QWidget* boxParent{};
    };

    // How long the one attempt to switch the outputs off after a loss may take.
    static constexpr int AllOffAttemptMs = 1000;

    ConnectionPanel(const Controls& controls, iface::EasyPortControl* port,
                    ctl::OleColor connectedColour, std::shared_ptr<const platform::Ending> ending,
                    QObject* parent = nullptr);

    int verbonden() const { return m_Verbonden; }
    int reageerNiet() const { return m_ReageerNiet; }
    int comPoort() const { return m_ComPoort; }
    int moduleNummer() const { return m_ModuleNummer; }
    // The input word as the program shows and uses it (the teacher's hidden
    // faults applied).
    int inputWord() const { return m_DecimaalIn; }
    // What the interlocks read: the real sensors of a real station, the
    // shown word of a simulated one.
    int interlockWord() const;
    // The teacher's hidden faults (bit i = input i + 1); the lamps and the
    // word follow at once while connected.
    void setHiddenFaults(int openMask, int shortMask);
    // How the interface takes the faults (null: a simulated station that
    // passes its inputs to nobody else).
    void setFaultsTarget(iface::HiddenFaults* target) { m_faultsTarget = target; }

    // "Zoek en verbind" or "Verbreek", whichever the button offers.
    void toggle();
    // The picture and interface-button caption of a known model code.
    void applyModelTable(int moduleNummer);
    // After a lost link: one attempt, within AllOffAttemptMs, to reach the
    // device and switch every output off; only when the device confirms it
    // do the output word and the lamps go to all off. True when they did.
    bool switchOffAfterLoss();

  signals:
    // The input lamps show a new input word.
    void inputsShown(int word);
    // "Verbreek": the link is about to close; outputs can still be written.
    // `reason` is a Dutch sentence fragment.
    void connectionEnding(const QString& reason);
    // The link broke by itself; the window already shows it, and nothing
    // reaches the device any more (see switchOffAfterLoss).
    void connectionLost(const QString& reason);
    // A "Zoek en verbind" found the interface.
    void interfaceConnected();
    // Every output is off at the device (it starts so after a connect, or
    // confirmed it after a loss): the screen and the output word follow.
    void outputsOffAtDevice();
    // The output lamps show (true) or may not show (false) what the device
    // holds.
    void outputsCurrentChanged(bool current);
    // A model without stations (the Mini) was found: the interface view is
    // the one to show.
    void interfaceViewWanted();

  private:
    void showDisconnected(const QString& status);
    void onLinkLost();
    void onInputs(qint32 inputs);
    // The input lamps show (true) or may not show (false) what the sensors
    // read.
    void setInputsCurrent(bool current);

    Controls m_c;
    iface::EasyPortControl* m_port;
    ctl::OleColor m_connectedColour;
    std::shared_ptr<const platform::Ending> m_ending;
    int m_DecimaalIn = 0;
    int m_rawIn = 0;
    iface::InputFaults m_faults;
    iface::HiddenFaults* m_faultsTarget = nullptr;
    int m_Verbonden = 0;
    int m_ReageerNiet = 0;
    int m_ComPoort = 0;
    int m_ModuleNummer = 0;
    bool m_linkLostBoxOpen = false;
    // The link broke by itself and no connect has followed.
    bool m_lost = false;
};
