// The program's own message boxes: Dutch button texts whatever the
// desktop's language, and the answer each way of leaving a box gives.
#include "platform/dialog_gate.h"
#include "platform/services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using platform::MessageButtons;

class TestMessageBoxes : public QObject
{
    Q_OBJECT

  private slots:
    void buttonsAndAnswers_data();
    void buttonsAndAnswers();
};

void TestMessageBoxes::buttonsAndAnswers_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("press"); // a button's text, "Escape", "Enter" or "close"
    QTest::addColumn<int>("answer");
    const QStringList okCancel = {"Annuleren", "OK"};
    const QStringList save = {"Annuleren", "Niet opslaan", "Opslaan"};
    const auto row = [](const char* name, MessageButtons buttons, const QStringList& texts,
                        const char* press, platform::MessageResult answer) {
        QTest::newRow(name) << int(buttons) << texts << press << int(answer);
    };
    row("OK, Escape", MessageButtons::Ok, {"OK"}, "Escape", platform::ResultOk);
    row("OK Annuleren, Escape", MessageButtons::OkCancel, okCancel, "Escape",
        platform::ResultCancel);
    row("Ja Nee, Ja", MessageButtons::YesNo, {"Ja", "Nee"}, "Ja", platform::ResultYes);
    row("Ja Nee, Nee", MessageButtons::YesNo, {"Ja", "Nee"}, "Nee", platform::ResultNo);
    const MessageButtons three = MessageButtons::SaveDiscardCancel;
    row("Opslaan", three, save, "Opslaan", platform::ResultSave);
    row("Niet opslaan", three, save, "Niet opslaan", platform::ResultDiscard);
    row("Annuleren", three, save, "Annuleren", platform::ResultCancel);
    row("Escape", three, save, "Escape", platform::ResultCancel);
    row("closed", three, save, "close", platform::ResultCancel);
    // Enter keeps the work: "Opslaan" is the default.
    row("Enter", three, save, "Enter", platform::ResultSave);
}

void TestMessageBoxes::buttonsAndAnswers()
{
    QFETCH(int, buttons);
    QFETCH(QStringList, texts);
    QFETCH(QString, press);
    QFETCH(int, answer);
    QStringList shown;
    QString title;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(platform::openDialog());
        QVERIFY(box);
        title = box->windowTitle();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            shown << b->text();
            if (b->text() == press)
                chosen = b;
        }
        if (chosen)
            chosen->click();
        else if (press == QLatin1String("Escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else if (press == QLatin1String("Enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->close();
        // Never leave a box open for the next row.
        if (box->isVisible())
            box->done(-1);
    });
    platform::MessageRequest request;
    request.title = QStringLiteral("Stappenplan");
    request.text = QStringLiteral("Wijzigingen opslaan?");
    request.buttons = MessageButtons(buttons);
    request.icon = platform::MessageIcon::Question;
    const int result = platform::messages().show(nullptr, request);
    shown.sort();
    QCOMPARE(shown, texts);
    QCOMPARE(title, QStringLiteral("Stappenplan"));
    QCOMPARE(result, answer);
}

QTEST_MAIN(TestMessageBoxes)
#include "tst_message_boxes.moc"
