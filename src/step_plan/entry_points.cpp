#include "controls/color.h"
#include "controls/controls.h"
#include "step_plan/step_plan_window.h"
#include "virtual_station/virtual_station_window.h"

#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QShortcut>

namespace plan
{

namespace
{
const QKeySequence OpenKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
}

void attachStepPlan(QWidget* mainWindow, QWidget* commandFrame, StepPlanWindow* window,
                    ctl::CommandButton* button)
{
    QPointer<QWidget> main(mainWindow);
    if (commandFrame) {
        // The frame's buttons pass the right click on to the frame.
        commandFrame->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(commandFrame, &QWidget::customContextMenuRequested, window,
                         [commandFrame, window, main](const QPoint& pos) {
                             auto* menu = new QMenu(commandFrame);
                             menu->setObjectName(QStringLiteral("StappenplanMenu"));
                             menu->setAttribute(Qt::WA_DeleteOnClose);
                             menu->setFont(
                                 ctl::makeFont(QStringLiteral("Comic Sans MS"), 10, false));
                             QAction* open = menu->addAction(QStringLiteral("Stappenplan…"));
                             open->setObjectName(QStringLiteral("StappenplanOpenen"));
                             // Shown beside the item, so the pupil learns the keys.
                             open->setShortcut(OpenKeys);
                             open->setShortcutVisibleInContextMenu(true);
                             QObject::connect(open, &QAction::triggered, window,
                                              [window, main] { window->open(main); });
                             menu->popup(commandFrame->mapToGlobal(pos));
                         });
    }
    if (mainWindow) {
        auto* shortcut = new QShortcut(OpenKeys, mainWindow);
        shortcut->setObjectName(QStringLiteral("StappenplanSneltoets"));
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window,
                         [window, main] { window->open(main); });
    }
    if (button) {
        button->setToolTipText(QStringLiteral("Open het venster Stappenplan"));
        button->setKeyHint(QStringLiteral("(toetsen Ctrl+Shift+S)"));
        QObject::connect(button, &QAbstractButton::clicked, window,
                         [window, main] { window->open(main); });
    }
}

void attachStepPlan(virt::VirtualStationWindow* station, QWidget* mainWindow,
                    StepPlanWindow* window)
{
    if (!station)
        return;
    QPointer<QWidget> main(mainWindow);
    QObject::connect(station, &virt::VirtualStationWindow::stepPlanRequested, window,
                     [window, main] { window->open(main); });
}

} // namespace plan
