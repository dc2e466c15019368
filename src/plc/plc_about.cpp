#include "plc/plc_about.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace plc
{

namespace
{

QString seconds(int ms)
{
    return QLocale(QLocale::Dutch, QLocale::Netherlands).toString(ms / 1000.0, 'g', 6);
}

} // namespace

QStringList aboutLines(const AboutFacts& f)
{
    QStringList lines;
    lines << QStringLiteral("Dit station bestaat alleen in de computer. Een PLC bestuurt het over "
                            "het netwerk (Modbus TCP).");
    if (!f.usable) {
        lines << QStringLiteral("Er wordt niet naar PLC's geluisterd: %1").arg(f.problem);
    } else if (f.listening) {
        lines << QStringLiteral("Luistert op adres %1, poort %2.").arg(f.listen).arg(f.port);
    } else {
        lines << QStringLiteral("Luistert nog niet (adres %1, poort %2): klik eerst op \"Zoek en "
                                "verbind\".")
                     .arg(f.listen)
                     .arg(f.port);
    }
    if (f.usable)
        lines << (f.unit == 0 ? QStringLiteral("Antwoordt op elk unit-id.")
                              : QStringLiteral("Antwoordt op unit-id %1 (en 255).").arg(f.unit));
    if (!f.owner.isEmpty())
        lines << QStringLiteral("De PLC op %1 bestuurt de uitgangen.").arg(f.owner);
    else
        lines << QStringLiteral("Geen PLC bestuurt de uitgangen.");
    if (f.watchdogMs > 0)
        lines << QStringLiteral("Waakhond: %1 s. Stuurt de PLC die de uitgangen bestuurt zo lang "
                                "niets, dan gaan alle uitgangen uit.")
                     .arg(seconds(f.watchdogMs));
    else
        lines << QStringLiteral("Geen waakhond: de uitgangen gaan pas uit als de PLC zijn laatste "
                                "verbinding sluit.");
    if (f.held)
        lines << QStringLiteral("Noodstop: alle uitgangen blijven uit tot \"Noodstop opheffen\".");
    else if (f.waitingForAllOff)
        lines << QStringLiteral("Wacht tot de PLC alle uitgangen uitzet; tot dan zet de PLC niets "
                                "aan.");
    else
        lines << QStringLiteral("Geen Noodstop: niets houdt de uitgangen tegen.");
    return lines;
}

QDialog* makePlcAbout(const QStringList& lines, std::function<void()> showStation)
{
    auto* box = new QDialog;
    box->setObjectName(QStringLiteral("PlcAbout"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowTitle(QStringLiteral("Over het PLC-station"));

    auto* layout = new QVBoxLayout(box);
    auto* title = new QLabel(QStringLiteral("<b>PLC-station</b>"), box);
    auto* version = new QLabel(QStringLiteral("Versie %1.%2.%3")
                                   .arg(DRAVIK_VERSION_MAJOR)
                                   .arg(DRAVIK_VERSION_MINOR)
                                   .arg(DRAVIK_VERSION_PATCH),
                               box);
    auto* text = new QLabel(box);
    text->setObjectName(QStringLiteral("PlcAboutText"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setMinimumWidth(460);
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
    layout->addWidget(buttons);
    updatePlcAbout(box, lines);
    return box;
}

void updatePlcAbout(QDialog* about, const QStringList& lines)
{
    if (!about)
        return;
    if (auto* text = about->findChild<QLabel*>(QStringLiteral("PlcAboutText")))
        text->setText(lines.join(QStringLiteral("\n\n")));
}

} // namespace plc
