// The program's own message boxes: Dutch button texts whatever the
// desktop's language, and the answer each way of leaving a box gives.
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
    const QStringList ok = {"OK"};
    const QStringList okCancel = {"Annuleren", "OK"};
    const QStringList yesNo = {"Ja", "Nee"};
    const QStringList save = {"Annuleren", "Niet opslaan", "Opslaan"};
    const int Ok = int(MessageButtons::Ok);
    const int OkCancel = int(MessageButtons::OkCancel);
    const int YesNo = int(MessageButtons::YesNo);
    const int Save = int(MessageButtons::SaveDiscardCancel);
    QTest::newRow("OK") << Ok << ok << "OK" << int(platform::ResultOk);
    QTest::newRow("OK, Escape") << Ok << ok << "Escape" << int(platform::ResultOk);
    QTest::newRow("OK Annuleren, Annuleren")
        << OkCancel << okCancel << "Annuleren" << int(platform::ResultCancel);
    QTest::newRow("OK Annuleren, Escape")
        << OkCancel << okCancel << "Escape" << int(platform::ResultCancel);
    QTest::newRow("Ja Nee, Ja") << YesNo << yesNo << "Ja" << int(platform::ResultYes);
    QTest::newRow("Ja Nee, Nee") << YesNo << yesNo << "Nee" << int(platform::ResultNo);
    QTest::newRow("opslaan, Opslaan") << Save << save << "Opslaan" << int(platform::ResultSave);
    QTest::newRow("opslaan, Niet opslaan")
        << Save << save << "Niet opslaan" << int(platform::ResultDiscard);
    QTest::newRow("opslaan, Annuleren")
        << Save << save << "Annuleren" << int(platform::ResultCancel);
    QTest::newRow("opslaan, Escape") << Save << save << "Escape" << int(platform::ResultCancel);
    QTest::newRow("opslaan, closed") << Save << save << "close" << int(platform::ResultCancel);
    // Enter keeps the work: "Opslaan" is the default.
    QTest::newRow("opslaan, Enter") << Save << save << "Enter" << int(platform::ResultSave);
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
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
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
