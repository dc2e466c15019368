#include "platform/qt_translations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// Qt's own texts speak Dutch whatever the system's language.
class TestQtTranslations : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void missingFileKeepsEnglish();
    void dutch_data();
    void dutch();
    void fileDialog();
};

void TestQtTranslations::initTestCase()
{
    // An English-speaking system.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qputenv("LANGUAGE", "en");
}

void TestQtTranslations::missingFileKeepsEnglish()
{
    QTemporaryDir empty;
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("qtbase_nl\\.qm.*qt6-translations")));
    QVERIFY(!platform::installDutchQtTexts(empty.path()));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
}

void TestQtTranslations::dutch_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("OK") << int(QMessageBox::Ok) << "OK";
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "Annuleren";
    QTest::newRow("Yes") << int(QMessageBox::Yes) << "&Ja";
    QTest::newRow("No") << int(QMessageBox::No) << "&Nee";
    QTest::newRow("Save") << int(QMessageBox::Save) << "Opslaan";
    QTest::newRow("Open") << int(QMessageBox::Open) << "Openen";
}

// The boxes of platform::messages() show these standard buttons.
void TestQtTranslations::dutch()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    static const bool installed = platform::installDutchQtTexts();
    QVERIFY2(installed, "qtbase_nl.qm not found: install qt6-translations-l10n");
    QMessageBox box;
    box.setStandardButtons(QMessageBox::StandardButton(button));
    QCOMPARE(box.button(QMessageBox::StandardButton(button))->text(), text);
}

void TestQtTranslations::fileDialog()
{
    QVERIFY(platform::installDutchQtTexts());
    QFileDialog dialog(nullptr, QStringLiteral("Stappenplan openen"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel* l : dialog.findChildren<QLabel*>())
        labels << l->text();
    QVERIFY2(labels.contains(QStringLiteral("Zoeken in:")), qPrintable(labels.join(u'|')));
    QVERIFY2(!labels.contains(QStringLiteral("Look in:")), qPrintable(labels.join(u'|')));
    const auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annuleren"));
}

QTEST_MAIN(TestQtTranslations)
#include "tst_qt_translations.moc"
