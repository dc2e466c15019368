#include "step_plan/fault_report_dialog.h"

#include "step_plan/station_points.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace plan
{

namespace
{
// A point in the list: bit 8 marks an output, the low bits its number.
constexpr int OutputFlag = 0x100;
} // namespace

FaultReportDialog::FaultReportDialog(station::Station s, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("StoringMelden"));
    setWindowTitle(QStringLiteral("Storing melden"));
    auto* form = new QFormLayout(this);
    auto* intro =
        new QLabel(QStringLiteral("Waar zit de storing, en wat voor storing is het?"), this);
    intro->setWordWrap(true);
    form->addRow(intro);

    const StationPoints points = stationPoints(s);
    m_point = new QComboBox(this);
    m_point->setObjectName(QStringLiteral("StoringPunt"));
    for (int n = 1; n <= 8; ++n)
        if (points.usesInput(n))
            m_point->addItem(QStringLiteral("Ingang %1 – %2").arg(n).arg(points.inputName(n)), n);
    for (int n = 1; n <= 8; ++n)
        if (points.usesOutput(n))
            m_point->addItem(QStringLiteral("Uitgang %1 – %2").arg(n).arg(points.outputName(n)),
                             OutputFlag | n);
    auto* pointLabel = new QLabel(QStringLiteral("&Ingang of uitgang:"), this);
    pointLabel->setBuddy(m_point);
    m_point->setAccessibleName(QStringLiteral("Ingang of uitgang"));
    form->addRow(pointLabel, m_point);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("StoringSoort"));
    for (const lesson::FaultKind k : lesson::kFaultKinds)
        m_kind->addItem(lesson::faultKindWord(k), int(k));
    auto* kindLabel = new QLabel(QStringLiteral("&Soort storing:"), this);
    kindLabel->setBuddy(m_kind);
    m_kind->setAccessibleName(QStringLiteral("Soort storing"));
    form->addRow(kindLabel, m_kind);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* report =
        buttons->addButton(QStringLiteral("Melden"), QDialogButtonBox::AcceptRole);
    report->setObjectName(QStringLiteral("Melden"));
    report->setDefault(true);
    buttons->addButton(QStringLiteral("Annuleren"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

lesson::HiddenFault FaultReportDialog::answer() const
{
    const int point = m_point->currentData().toInt();
    lesson::HiddenFault f;
    f.output = (point & OutputFlag) != 0;
    f.point = point & 0xFF;
    f.kind = lesson::FaultKind(m_kind->currentData().toInt());
    return f;
}

bool FaultReportDialog::choose(const lesson::HiddenFault& f)
{
    const int index = m_point->findData((f.output ? OutputFlag : 0) | f.point);
    if (index < 0)
        return false;
    m_point->setCurrentIndex(index);
    m_kind->setCurrentIndex(m_kind->findData(int(f.kind)));
    return true;
}

} // namespace plan
