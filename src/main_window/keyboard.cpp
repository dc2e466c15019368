#include "main_window/keyboard.h"

#include "main_window/main.h"
#include "platform/dialog_gate.h"

#include <QDialog>
#include <QShortcut>

namespace mw
{

namespace
{

void bind(Main& main, QWidget* window, const QList<QKeySequence>& keys, ctl::CommandButton* button,
          const QString& hint)
{
    auto* shortcut = new QShortcut(window);
    shortcut->setKeys(keys);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, button, [button, &main] {
        // click() itself ignores a disabled button; a hidden one is not
        // there for the pupil either.
        if (button->isVisibleTo(&main))
            button->click();
    });
    button->setKeyHint(hint);
}

// The output keys as shortcuts of `window`.
void bindOutputKeys(Main& main, QWidget* window)
{
    for (int i = 0; i < 8; ++i) {
        const auto digit = Qt::Key(Qt::Key_1 + i);
        bind(main, window, {QKeySequence(digit), QKeySequence(Qt::KeypadModifier | digit)},
             main.CMD_SetReset[i], QStringLiteral("Uitgang %1 (toets %1)").arg(i + 1));
    }
}

// Escape is the Noodstop in every window of the program, also while a box
// or a dialog waits for an answer: one shortcut for the whole program, which
// no dialog blocks, as no dialog blocks a click on the Noodstop itself.
// The box open at that moment closes as Escape would close it alone.
void bindEmergencyStop(Main& main)
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), &main);
    shortcut->setContext(Qt::ApplicationShortcut);
    shortcut->setAutoRepeat(false);
    ctl::CommandButton* stop = main.CMD_ResetAlles;
    QObject::connect(shortcut, &QShortcut::activated, stop, [stop] {
        stop->click();
        if (QDialog* box = platform::openDialog())
            box->reject();
    });
    stop->setKeyHint(QStringLiteral("(toets Esc)"));
    platform::keepInReach(stop);
    platform::keepInReach(shortcut);
}

} // namespace

void shareOutputKeys(Main& main, QWidget* window)
{
    if (window)
        bindOutputKeys(main, window);
}

void installKeys(Main& main)
{
    bindOutputKeys(main, &main);
    bindEmergencyStop(main);
    bind(main, &main, {QKeySequence(Qt::Key_PageDown)}, main.CMD_Verder,
         QStringLiteral("Verder (toets Page Down)"));
    bind(main, &main, {QKeySequence(Qt::Key_PageUp)}, main.CMD_Terug,
         QStringLiteral("Terug (toets Page Up)"));
    bind(main, &main, {QKeySequence(Qt::Key_F1)}, main.CMD_Help, QStringLiteral("Help (toets F1)"));

    // Tab order as laid out: the outputs top to bottom, the stations top to
    // bottom and the station's film, the side windows, the commands column by column, the
    // connection, the version and the emergency reset.
    std::vector<QWidget*> chain(main.CMD_SetReset.begin(), main.CMD_SetReset.end());
    for (QWidget* w : std::initializer_list<QWidget*>{
             main.CMD_StapelMagazijn, main.CMD_Transportband, main.CMD_Stationhandling,
             main.CMD_TransHandling, main.CMD_Interfacing, main.CMD_Filmpje, main.CMD_Stappenplan,
             main.CMD_VirtueleOpstelling, main.CMD_Verder, main.CMD_Terug, main.CMD_Help,
             main.CMD_Afsluiten, main.CMD_Verbinding, main.Command1, main.CMD_ResetAlles})
        chain.push_back(w);
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

} // namespace mw
