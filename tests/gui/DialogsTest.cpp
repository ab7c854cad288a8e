// The "UserDb Config" dialog: items, the OK rules for chosen and typed addresses, and the
// refusals that keep the dialog open; the real prompt's Save As dialog.

#include "GuiTestMain.h"
#include "QueuePrompt.h"

#include "app/UserDbAddrDlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class CDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void OffersAutoAndTwoAddresses()
    {
        CQueuePrompt sink;
        CUserDbAddrDlg dlg(sink);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("UserDb Config"));
        QComboBox* pCombo = dlg.GetComboBox();
        QVERIFY(pCombo->isEditable());
        QCOMPARE(pCombo->count(), 3);
        QCOMPARE(pCombo->itemText(0), QStringLiteral("Auto"));
        QCOMPARE(pCombo->itemText(1), QStringLiteral("110000"));
        QCOMPARE(pCombo->itemText(2), QStringLiteral("120000"));
        QCOMPARE(pCombo->currentIndex(), 0);
    }

    void OkGivesTheAddress_data()
    {
        QTest::addColumn<int>("item"); // chosen item, or -1 to type the text
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("addr");

        QTest::newRow("unchanged: Auto") << 0 << QString() << 0u;
        QTest::newRow("110000") << 1 << QString() << 0x110000u;
        QTest::newRow("120000") << 2 << QString() << 0x120000u;
        QTest::newRow("typed") << -1 << QStringLiteral("1F0000") << 0x1F0000u;
        QTest::newRow("typed with prefix") << -1 << QStringLiteral("0x1F0000") << 0x1F0000u;
        QTest::newRow("leading blanks") << -1 << QStringLiteral("  abc") << 0xABCu;
        QTest::newRow("digits then junk") << -1 << QStringLiteral("12G4") << 0x12u;
        QTest::newRow("typed item text") << -1 << QStringLiteral("120000") << 0x120000u;
    }

    void OkGivesTheAddress()
    {
        QFETCH(int, item);
        QFETCH(QString, text);
        QFETCH(uint, addr);
        CQueuePrompt sink;
        CUserDbAddrDlg dlg(sink);
        dlg.show();
        if (item >= 0)
            dlg.GetComboBox()->setCurrentIndex(item);
        else
            dlg.GetComboBox()->setEditText(text);
        dlg.findChild<QPushButton*>("okButton")->click();
        QVERIFY(sink.messages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.GetAddr(), uint32_t(addr));
    }

    void RefusedTextKeepsTheDialogOpen_data()
    {
        QTest::addColumn<QString>("text"); // "<Auto>": the item chosen
        QTest::addColumn<bool>("autoAllowed");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << true
                               << QStringLiteral("Empty Input|The address can not be empty!");
        QTest::newRow("no digits") << QStringLiteral("xyz") << true
                                   << QStringLiteral("Error|The address must be hexadecimal, e.g. 110000.");
        QTest::newRow("not hexadecimal")
            << QStringLiteral("zz") << true
            << QStringLiteral("Error|The address must be hexadecimal, e.g. 110000.");
        QTest::newRow("zero") << QStringLiteral("0") << true
                              << QStringLiteral("Error|The address can not be 0!");
        QTest::newRow("Auto for layout 2.5")
            << QStringLiteral("<Auto>") << false
            << QStringLiteral("Error|Layout 2.5 needs the address of the user database.");
    }

    void RefusedTextKeepsTheDialogOpen()
    {
        QFETCH(QString, text);
        QFETCH(bool, autoAllowed);
        QFETCH(QString, message);
        CQueuePrompt sink;
        CUserDbAddrDlg dlg(sink);
        dlg.SetAutoAllowed(autoAllowed);
        dlg.show();
        if (text == QLatin1String("<Auto>"))
            dlg.GetComboBox()->setCurrentIndex(0);
        else
            dlg.GetComboBox()->setEditText(text);
        dlg.findChild<QPushButton*>("okButton")->click();
        QCOMPARE(sink.Only(), message);
        QCOMPARE(sink.messages[0].nIcon, IMessageSink::ICON_WARNING);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.GetAddr(), 0u);

        // Corrected text is then accepted.
        dlg.GetComboBox()->setEditText(QStringLiteral("200000"));
        dlg.findChild<QPushButton*>("okButton")->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.GetAddr(), 0x200000u);
    }

    void CancelAnswersAuto()
    {
        CQueuePrompt sink;
        CUserDbAddrDlg dlg(sink);
        dlg.GetComboBox()->setCurrentIndex(1);
        QTimer::singleShot(0, &dlg, [&dlg] { dlg.findChild<QPushButton*>("cancelButton")->click(); });
        QCOMPARE(dlg.AskUserDbAddr(true), 0u);

        dlg.GetComboBox()->setCurrentIndex(2);
        QTimer::singleShot(0, &dlg, [&dlg] { dlg.findChild<QPushButton*>("okButton")->click(); });
        QCOMPARE(dlg.AskUserDbAddr(true), 0x120000u);

        // Where "Auto" is refused, Cancel is the way out without an address.
        dlg.GetComboBox()->setCurrentIndex(0);
        QTimer::singleShot(0, &dlg, [&dlg] {
            dlg.findChild<QPushButton*>("okButton")->click();
            dlg.findChild<QPushButton*>("cancelButton")->click();
        });
        QCOMPARE(dlg.AskUserDbAddr(false), 0u);
        QCOMPARE(sink.Only(), QStringLiteral("Error|Layout 2.5 needs the address of the user database."));
    }

    // The real Save As dialog asks before replacing a file; the one that picks an image to merge
    // into does not (the image must exist). Each dialog is looked at while it runs, then cancelled.
    void SaveAsDialogAsksBeforeReplacingAFile()
    {
        CQtPrompt prompt;
        for (bool bMustExist : {false, true}) {
            int nSeen = 0;
            QTimer::singleShot(0, this, [&] {
                auto* pDlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!pDlg)
                    return;
                ++nSeen;
                QCOMPARE(pDlg->testOption(QFileDialog::DontConfirmOverwrite), bMustExist);
                QCOMPARE(pDlg->acceptMode(), bMustExist ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
                pDlg->reject();
            });
            QTimer::singleShot(5000, this, [] {
                if (auto* pDlg = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    pDlg->reject();
            });
            QVERIFY(prompt
                        .GetSaveFileName(QStringLiteral("Program Db File(*.db)"),
                                         QStringLiteral("DefaultDb.db"), QStringLiteral("db"), bMustExist)
                        .isEmpty());
            QCOMPARE(nSeen, 1);
        }
    }
};

RAVELIN_GUI_TEST_MAIN(CDialogsTest)
#include "DialogsTest.moc"
