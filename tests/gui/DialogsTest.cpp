// The "UserDb Config" dialog: items, the OK rules for chosen and typed addresses, and the
// refusals that keep the dialog open; the real prompt's Save As dialog; the "Check Database" report.

#include "GuiTestMain.h"
#include "QueuePrompt.h"
#include "TestDb.h"

#include "app/CheckDlg.h"
#include "app/UserDbAddrDlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
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

    // The report of a crafted database: its lines, summary and Fix button, the record a double click
    // or Enter asks for (Enter presses no button), Fix and the findings after it, and Close; shown
    // non-modally and run modally.
    void CheckReportListsFindingsAndAsksForRecordsAndFix()
    {
        CProgDb db;
        AddSat(db, "Astra");
        AddSat(db, ""); // not fixable
        AddTp(db, 0, 11000, 27500);
        AddTp(db, 5, 12000, 27500); // satellite 5 does not exist
        AddProg(db, 0, "One");
        AddProg(db, 9, "Two"); // transponder 9 does not exist

        CCheckDlg dlg;
        QSignalSpy activated(&dlg, &CCheckDlg::RecordActivated);
        QSignalSpy fix(&dlg, &CCheckDlg::FixRequested);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Check Database"));
        QCOMPARE(dlg.GetSummary(), QStringLiteral("No problems found"));
        QVERIFY(!dlg.GetFixButton()->isEnabled());

        dlg.SetFindings(CheckDb(db));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QListWidget* pList = dlg.GetList();
        const QStringList lines{
            QStringLiteral("satellite 1: empty name: a workbook round trip drops it"),
            QStringLiteral("transponder 1: satellite 5 does not exist (fix: remove it)"),
            QStringLiteral("program 1: transponder 9 does not exist (fix: remove it)"),
        };
        QCOMPARE(pList->count(), lines.size());
        for (int i = 0; i < pList->count(); ++i)
            QCOMPARE(pList->item(i)->text(), lines[i]);
        // Fixable lines share an icon that the other lines do not have.
        QCOMPARE(pList->item(1)->icon().cacheKey(), pList->item(2)->icon().cacheKey());
        QVERIFY(pList->item(0)->icon().cacheKey() != pList->item(1)->icon().cacheKey());
        QCOMPARE(dlg.findChild<QLabel*>("summaryLabel")->text(),
                 QStringLiteral("3 problems found, 2 can be fixed"));
        QVERIFY(dlg.GetFixButton()->isEnabled());

        const QRect rcLine = pList->visualItemRect(pList->item(2));
        // A double click as the platform delivers it: press, release, double click, release.
        QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, rcLine.center());
        QTest::mouseDClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, rcLine.center());
        QTest::mouseRelease(pList->viewport(), Qt::LeftButton, Qt::NoModifier, rcLine.center());
        pList->setCurrentRow(1);
        pList->setFocus();
        QTest::keyClick(pList, Qt::Key_Return);
        QCOMPARE(activated.size(), 2);
        QCOMPARE(activated[0], (QVariantList{int(NODE_PROG), 1, 1}));
        QCOMPARE(activated[1], (QVariantList{int(NODE_TP), 1, 1}));
        QCOMPARE(fix.size(), 0);
        QVERIFY(dlg.isVisible());

        // Fix asks and keeps the dialog open for the findings that are left.
        QTest::mouseClick(dlg.GetFixButton(), Qt::LeftButton);
        QCOMPARE(fix.size(), 1);
        QVERIFY(dlg.isVisible());
        FixDb(db);
        dlg.SetFindings(CheckDb(db));
        QCOMPARE(pList->count(), 1);
        QCOMPARE(pList->currentRow(), 0);
        QCOMPARE(pList->item(0)->text(), lines[0]);
        QCOMPARE(dlg.GetSummary(), QStringLiteral("1 problem found, 0 can be fixed"));
        QVERIFY(!dlg.GetFixButton()->isEnabled());

        dlg.SetFindings({});
        QCOMPARE(pList->count(), 0);
        QCOMPARE(dlg.GetSummary(), QStringLiteral("No problems found"));
        QVERIFY(!dlg.GetFixButton()->isEnabled());
        QTest::keyClick(pList, Qt::Key_Return);
        QCOMPARE(activated.size(), 2);

        dlg.findChild<QPushButton*>("closeButton")->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(fix.size(), 1);

        // Run modally, Fix works the same and Close ends the dialog.
        db.GetProgList().GetAtIndex(0)->SetParentId(9);
        connect(&dlg, &CCheckDlg::FixRequested, &dlg, [&] {
            FixDb(db);
            dlg.SetFindings(CheckDb(db));
        });
        QTimer::singleShot(0, &dlg, [&] {
            dlg.SetFindings(CheckDb(db));
            dlg.GetFixButton()->click();
            dlg.findChild<QPushButton*>("closeButton")->click();
        });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QCOMPARE(fix.size(), 2);
        QCOMPARE(db.GetProgList().GetCount(), 0);
        QCOMPARE(dlg.GetSummary(), QStringLiteral("1 problem found, 0 can be fixed"));
    }
};

RAVELIN_GUI_TEST_MAIN(CDialogsTest)
#include "DialogsTest.moc"
