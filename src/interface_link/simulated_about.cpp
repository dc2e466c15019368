#include "interface_link/simulated_about.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace iface
{

namespace
{

QString modelName(qint16 model)
{
    switch (model) {
    case 1:
        return QStringLiteral("EasyPort D16");
    case 2:
        return QStringLiteral("EasyPort D8A");
    case 5:
        return QStringLiteral("EasyPort Mini");
    }
    return QString::number(model);
}

} // namespace

QDialog* makeSimulatedAbout(const SimulatedSettings& settings, std::function<void()> showStation)
{
    auto* box = new QDialog;
    box->setObjectName(QStringLiteral("SimulatedAbout"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowTitle(QStringLiteral("Over de gesimuleerde interface"));

    auto* layout = new QVBoxLayout(box);
    auto* title = new QLabel(QStringLiteral("<b>Gesimuleerde interface</b>"), box);
    auto* version = new QLabel(QStringLiteral("Versie %1.%2.%3")
                                   .arg(DRAVIK_VERSION_MAJOR)
                                   .arg(DRAVIK_VERSION_MINOR)
                                   .arg(DRAVIK_VERSION_PATCH),
                               box);
    auto* text = new QLabel(
        QStringLiteral("Deze interface bestaat alleen in de computer. Hij speelt het station na "
                       "dat in het venster staat: de uitgangen bewegen de cilinders en de band, "
                       "de ingangen volgen de eindschakelaars en sensoren."),
        box);
    text->setWordWrap(true);
    auto* identity = new QLabel(QStringLiteral("Meldt zich als %1 op COM-poort %2.")
                                    .arg(modelName(settings.model))
                                    .arg(settings.comPort),
                                box);
    auto* buttons = new QDialogButtonBox(box);
    QPushButton* show = buttons->addButton(QStringLiteral("Toon virtuele opstelling"),
                                           QDialogButtonBox::ActionRole);
    show->setObjectName(QStringLiteral("ToonVirtueleOpstelling"));
    QObject::connect(show, &QPushButton::clicked, box, [showStation = std::move(showStation)] {
        if (showStation)
            showStation();
    });
    buttons->addButton(QStringLiteral("Sluiten"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::close);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(text);
    layout->addWidget(identity);
    layout->addWidget(buttons);
    return box;
}

} // namespace iface
