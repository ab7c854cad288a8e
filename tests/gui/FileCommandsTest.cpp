// The frame's File commands with their dialogs and messages: loading and saving, the first-load
// creation of the database, load errors, the spreadsheet and firmware commands, and the questions
// about unsaved changes.

#include "FrameTestBase.h"
#include "GuiTestMain.h"
#include "tests/access/UserDbImage.h"

#include "app/ChannelPrint.h"
#include "app/PrintCommands.h"
#include "app/PrintOptionsDlg.h"
#include "app/RecentFiles.h"
#include "views/ProgBrowseView.h"

#include <QFileInfo>
#include <QMenu>

namespace {

// The bytes of a .db file: the sample with nExtra satellites more.
QByteArray SampleWithSatellites(int nExtra)
{
    CProgDb db;
    CAccessDummyIn().LoadDb("", &db);
    for (int i = 0; i < nExtra; ++i)
        AddSat(db, "extra");
    std::vector<uint8_t> image;
    if (!CAccessDbOut().BuildImage(&db, image))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size()));
}

// An importer that fails, storing the given messages first (none: no message).
class CFailingIn : public CAccessIn
{
public:
    explicit CFailingIn(QStringList messages = {}) : m_messages(std::move(messages)) {}
    bool LoadDb(const std::string&, CProgDb* pDb) override
    {
        AddSat(*pDb, "half-read"); // a reader may fail after adding records
        for (const QString& s : m_messages)
            SetLastErrorMsg(s.toStdString());
        return false;
    }

private:
    QStringList m_messages;
};

// An importer that succeeds but leaves a message behind.
class CChattyIn : public CAccessIn
{
public:
    bool LoadDb(const std::string&, CProgDb* pDb) override
    {
        AddSat(*pDb, "S");
        SetLastErrorMsg("left over");
        return true;
    }
};

} // namespace

class CFileCommandsTest : public CFrameTestBase
{
    Q_OBJECT

private slots:
    void CancelledFirstLoadCreatesNoDatabase()
    {
        m_pPrompt->files = {QString()};
        Trigger("actionOpenDb");
        QVERIFY(m_pFrame->GetDb() == nullptr);
        QCOMPARE(m_pPrompt->dialogs.size(), size_t(1));
        QCOMPARE(m_pPrompt->dialogs[0].strFilter, DB_FILTER);
        QVERIFY(!m_pPrompt->dialogs[0].bSave);
        QVERIFY(m_pPrompt->messages.empty());

        Trigger("actionSaveAsDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Empty|No data to save!"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_ERROR);
        m_pPrompt->Reset();

        CMarkingWriter writer;
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Empty|No data to merge!"));
        QCOMPARE(writer.nCalls, 0);
        QVERIFY(m_pPrompt->dialogs.empty());
    }

    void OpenDbLoadsTheFileAndRefreshesThePanes()
    {
        const QString strPath = SampleDbFile();
        QVERIFY(!strPath.isEmpty());
        // The list shows something from before; a load empties it.
        LoadSample();
        m_pFrame->GetListView()->ShowRecords(NODE_SAT, INVALID_ID);
        CProgDb* pDb = m_pFrame->GetDb();

        m_pPrompt->files = {strPath};
        Trigger("actionOpenDb");
        QVERIFY(m_pPrompt->messages.empty());
        QVERIFY(m_pFrame->GetDb() != pDb); // read into a new database, which replaced the old one
        pDb = m_pFrame->GetDb();
        QCOMPARE(pDb->GetSatList().GetCount(), 2);
        QCOMPARE(pDb->GetProgList().GetCount(), 2);
        QCOMPARE(pDb->GetSatList().Find(0)->GetId(), 0); // ids start again at 0
        CProgBrowseView* pTree = m_pFrame->GetTreeView();
        QCOMPARE(pTree->topLevelItemCount(), 3); // "All Prog", "Favourites", "Sat"
        QCOMPARE(pTree->GetSatGroupItem()->child(0)->text(0), QStringLiteral("A3S"));
        QCOMPARE(pTree->GetSatGroupItem()->child(0)->childCount(), 2);
        QCOMPARE(m_pFrame->GetListView()->model()->columnCount(), 0);
        QCOMPARE(m_pFrame->GetListView()->GetRowCount(), 0);
        QVERIFY(!Action("actionFilter")->isEnabled());

        // The same file named on the command line.
        QVERIFY(m_pFrame->OpenFile(strPath));
        QCOMPARE(m_pFrame->GetDb()->GetTpList().GetCount(), 2);
        QCOMPARE(m_pPrompt->dialogs.size(), size_t(1)); // no dialog for a named file
    }

    // A load that fails leaves the database, the panes and the document as they were, whatever
    // the importer had read before it failed.
    void FailedLoadKeepsWhatWasShown_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no such file
        QTest::addColumn<QString>("message");
        QTest::newRow("counts that do not fit the file") << QByteArray("Sg8K\0\0\0\1\0\0\0\0\0\0\0\0Eg8K", 20)
                                                         << QStringLiteral("Load Error|File size error!");
        QTest::newRow("a firmware image opened as .db")
            << QByteArray(FIRMWARE_SIZE, '\xFF') << QStringLiteral("Load Error|File format error!");
        QTest::newRow("no such file") << QByteArray() << QStringLiteral("Load Error|Open file failed!");
    }

    void FailedLoadKeepsWhatWasShown()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString strGood = SampleDbFile();
        m_pPrompt->files = {strGood};
        Trigger("actionOpenDb");
        DeleteAProgram(); // the list shows "All Prog"; the database has changes
        CProgDb* pDb = m_pFrame->GetDb();
        CProgBrowseView* pTree = m_pFrame->GetTreeView();
        pTree->GetSatGroupItem()->setExpanded(true);
        const QString strTitle = m_pFrame->windowTitle();
        QCOMPARE(strTitle, QStringLiteral("sample.db* - Ravelin Advanced"));

        const QString strBad = Path("bad.db");
        if (!content.isEmpty())
            QVERIFY(WriteAll(strBad, content));
        m_pPrompt->Reset();
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
        m_pPrompt->files = {strBad};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->Only(), message);
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_ERROR);
        QCOMPARE(HasLastError(), 0); // shown, then cleared

        QVERIFY(m_pFrame->GetDb() == pDb);
        QCOMPARE(pDb->GetSatList().GetCount(), 2);
        QCOMPARE(pDb->GetProgList().GetCount(), 1);
        QCOMPARE(m_pFrame->GetListView()->GetRowCount(), 1);
        QCOMPARE(m_pFrame->GetListView()->model()->columnCount(), 16);
        QCOMPARE(pTree->GetSatGroupItem()->childCount(), 2);
        QVERIFY(pTree->GetSatGroupItem()->isExpanded());
        QVERIFY(m_pFrame->IsModified());
        QCOMPARE(m_pFrame->windowTitle(), strTitle);
        QCOMPARE(m_pFrame->GetDocPath(), strGood);
    }

    void FailedFirstLoadLeavesNoDatabase()
    {
        m_pPrompt->files = {Path("missing.db")};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|Open file failed!"));
        QVERIFY(m_pFrame->GetDb() == nullptr);
        QCOMPARE(m_pFrame->GetTreeView()->topLevelItemCount(), 0);
        m_pPrompt->Reset();
        Trigger("actionSaveAsDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Empty|No data to save!"));
    }

    void LoadErrorShowsTheLastMessageOrUnknownError()
    {
        CFailingIn silent;
        m_pPrompt->files = {QStringLiteral("x")};
        m_pFrame->DoLoad(silent, DB_FILTER);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|Unknown Error!"));
        // A reader that failed after adding records: nothing of it is shown.
        QVERIFY(m_pFrame->GetDb() == nullptr);
        QCOMPARE(m_pFrame->GetTreeView()->topLevelItemCount(), 0);
        m_pPrompt->Reset();

        CFailingIn twice({"first", "second"});
        m_pPrompt->files = {QStringLiteral("x")};
        m_pFrame->DoLoad(twice, DB_FILTER);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|second"));
        m_pPrompt->Reset();

        // A message stored by a successful call is shown by the next failure that stores none.
        CChattyIn chatty;
        m_pPrompt->files = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};
        m_pFrame->DoLoad(chatty, DB_FILTER);
        QVERIFY(m_pPrompt->messages.empty());
        m_pFrame->DoLoad(silent, DB_FILTER);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|left over"));
        m_pPrompt->Reset();
        m_pFrame->DoLoad(silent, DB_FILTER);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|Unknown Error!"));
    }

    void SaveAsDbWritesTheFileAndReports()
    {
        LoadSample();
        const QString strTarget = Path("out.db");
        m_pPrompt->files = {QString(), strTarget};
        Trigger("actionSaveAsDb"); // cancelled
        QVERIFY(m_pPrompt->messages.empty());
        QVERIFY(!QFile::exists(strTarget));
        QCOMPARE(m_pPrompt->dialogs[0].strDefaultName, QStringLiteral("DefaultDb.db"));
        QCOMPARE(m_pPrompt->dialogs[0].strDefaultSuffix, QStringLiteral("db"));
        QCOMPARE(m_pPrompt->dialogs[0].strFilter, DB_FILTER);
        QVERIFY(m_pPrompt->dialogs[0].bSave && !m_pPrompt->dialogs[0].bMustExist);

        Trigger("actionSaveAsDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Save default program finished!"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_INFORMATION);
        CProgDb back;
        QVERIFY(CAccessDbIn().LoadDb(strTarget.toStdString(), &back));
        QCOMPARE(back.GetProgList().GetCount(), 2);
        m_pPrompt->Reset();

        // A folder that does not exist: "Save Error" with the writer's message, database kept.
        m_pPrompt->files = {Path("no/such/dir/out.db")};
        Trigger("actionSaveAsDb");
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Save Error|")));
        QVERIFY(m_pPrompt->Only() != QStringLiteral("Save Error|Unknown Error!"));
        QCOMPARE(m_pFrame->GetDb()->GetSatList().GetCount(), 2);
        m_pPrompt->Reset();

        // A folder in the way: the exporter's own message.
        QVERIFY(QDir().mkpath(Path("dir.db")));
        m_pPrompt->files = {Path("dir.db")};
        Trigger("actionSaveAsDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Save Error|Open file failed!"));
    }

    void SaveProposesTheNameOfItsExtension()
    {
        LoadSample();
        CAccessDummyOut exporter(*m_pPrompt);
        m_pPrompt->files = {QString()};
        m_pFrame->DoSave(exporter, QStringLiteral("xls"),
                         QStringLiteral("Excel File(*.xls);;All Files (*.*)"));
        QCOMPARE(m_pPrompt->dialogs.at(0).strDefaultName, QStringLiteral("DefaultDb.xls"));
        QCOMPARE(m_pPrompt->dialogs.at(0).strDefaultSuffix, QStringLiteral("xls"));
        QVERIFY(m_pPrompt->messages.empty());
    }

    void SpreadsheetCommandsRoundTrip()
    {
        if (!Action("actionSaveAsExcel")->isEnabled())
            QSKIP("the spreadsheet exchange is not part of this build");
        const QString strFilter = QStringLiteral("Excel File(*.xls);;All Files (*.*)");
        LoadSample();
        const QString strBook = Path("book.xls");
        m_pPrompt->files = {strBook};
        Trigger("actionSaveAsExcel");
        QCOMPARE(m_pPrompt->dialogs.at(0).strDefaultName, QStringLiteral("DefaultDb.xls"));
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, strFilter);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Save default program finished!"));
        m_pPrompt->Reset();

        m_pPrompt->files = {strBook};
        Trigger("actionOpenExcel");
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, strFilter);
        QCOMPARE(m_pPrompt->Only(), QString());
        QCOMPARE(m_pFrame->GetDb()->GetSatList().GetCount(), 2);
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 2);
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(0)->text(0), QStringLiteral("A3S"));

        // The same workbook named on the command line.
        QVERIFY(m_pFrame->OpenFile(strBook));
        QCOMPARE(m_pFrame->GetDb()->GetTpList().GetCount(), 2);
    }

    // Before a load or close replaces changes, the user saves them, discards them or cancels.
    void UnsavedChangesAreNeverDroppedSilently()
    {
        const QString strPath = SampleDbFile();
        LoadSample();
        QVERIFY(!m_pFrame->IsModified());
        DeleteAProgram();

        // Cancel: no file dialog, nothing loaded.
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_CANCEL};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->nSaveQuestions, 1);
        QVERIFY(m_pPrompt->dialogs.empty());
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 1);

        // Closing asks too.
        m_pFrame->show();
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_CANCEL};
        QVERIFY(!m_pFrame->close());
        QVERIFY(m_pFrame->isVisible());

        // Save, for the sample: it asks where, like Save As Db; cancelling that cancels the load.
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_SAVE};
        m_pPrompt->files = {QString()};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->dialogs.size(), size_t(1));
        QCOMPARE(m_pPrompt->dialogs[0].strDefaultName, QStringLiteral("DefaultDb.db"));
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 1);
        QVERIFY(m_pFrame->IsModified());

        // Discard: the load goes ahead, and afterwards nothing is pending.
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
        m_pPrompt->files = {strPath};
        Trigger("actionOpenDb");
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 2);
        QVERIFY(!m_pFrame->IsModified());

        // Save, for a file: written back, then the close goes ahead.
        DeleteAProgram();
        m_pPrompt->Reset();
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_SAVE};
        QVERIFY(m_pFrame->close());
        QVERIFY(m_pPrompt->dialogs.empty());
        CProgDb back;
        QVERIFY(CAccessDbIn().LoadDb(strPath.toStdString(), &back));
        QCOMPARE(back.GetProgList().GetCount(), 1);
        QVERIFY(!m_pFrame->IsModified());
        const int nAsked = m_pPrompt->nSaveQuestions;
        m_pFrame->show();
        QVERIFY(m_pFrame->close());
        QCOMPARE(m_pPrompt->nSaveQuestions, nAsked);
    }

    // Save writes back to the file the database came from or was last saved to, in its format;
    // the title names that file and marks unsaved changes.
    void SaveWritesBackToTheDocumentInItsFormat()
    {
        QCOMPARE(Action("actionSave")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(Action("actionOpenDb")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Ravelin Advanced"));
        const QString strDb = SampleDbFile();
        m_pPrompt->files = {strDb};
        Trigger("actionOpenDb");
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("sample.db - Ravelin Advanced"));
        DeleteAProgram();
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("sample.db* - Ravelin Advanced"));
        m_pPrompt->Reset();
        Trigger("actionSave");
        QVERIFY(m_pPrompt->dialogs.empty());
        QVERIFY(m_pPrompt->messages.empty());
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("sample.db - Ravelin Advanced"));
        CProgDb back;
        QVERIFY(CAccessDbIn().LoadDb(strDb.toStdString(), &back));
        QCOMPARE(back.GetProgList().GetCount(), 1);

        // Saved as a workbook, the database is that workbook's now, and Save writes a workbook.
        if (Action("actionSaveAsExcel")->isEnabled()) {
            const QString strBook = Path("book.xls");
            m_pPrompt->files = {strBook};
            Trigger("actionSaveAsExcel");
            QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("book.xls - Ravelin Advanced"));
            QCOMPARE(m_pFrame->GetDocFormat(), std::string("xls"));
            m_pPrompt->Reset();
            m_pFrame->GetListView()->ShowRecords(NODE_SAT, INVALID_ID);
            m_pFrame->GetListView()->SelectRow(1);
            m_pFrame->GetListView()->DeleteSelected();
            Trigger("actionSave");
            QVERIFY(m_pPrompt->dialogs.empty());
            QVERIFY(m_pFrame->OpenFile(strBook));
            QCOMPARE(m_pFrame->GetDb()->GetSatList().GetCount(), 1);
            QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("book.xls - Ravelin Advanced"));
        }

        // The sample has no file: Save asks like Save As Db, and the answer becomes the document.
        LoadSample();
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Sample - Ravelin Advanced"));
        const QString strNew = Path("new.db");
        m_pPrompt->files = {strNew};
        Trigger("actionSave");
        QCOMPARE(m_pPrompt->dialogs.size(), size_t(1));
        QCOMPARE(m_pPrompt->dialogs[0].strFilter, DB_FILTER);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Save default program finished!"));
        QCOMPARE(m_pFrame->GetDocPath(), strNew);
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("new.db - Ravelin Advanced"));
    }

    void FirmwareReadersLoadFromTheAddressTheUserGives_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<uint>("addr");
        QTest::newRow("Open Bin 2.0") << QStringLiteral("actionOpenBin20") << 0x110000u;
        QTest::newRow("Open Bin 2.5") << QStringLiteral("actionOpenBin25") << 0x120000u;
    }

    void FirmwareReadersLoadFromTheAddressTheUserGives()
    {
        QFETCH(QString, action);
        QFETCH(uint, addr);
        TestImage::CImage img(FIRMWARE_SIZE, 0xFF);
        const TestImage::Db db = TestImage::MakeDb(2, 2, 3);
        if (action.endsWith(QLatin1String("20")))
            TestImage::UserDb20(img, addr, db);
        else
            TestImage::UserDb25(img, addr, db);
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage,
                         QByteArray(reinterpret_cast<const char*>(img.Data().data()), int(img.Size()))));

        m_pPrompt->files = {strImage};
        m_pPrompt->addrs = {addr};
        Trigger(qPrintable(action));
        QCOMPARE(m_pPrompt->nAddrQuestions, 1);
        // Only layout 2.0 can search for its database.
        QCOMPARE(m_pPrompt->addrAutoAllowed, std::vector<bool>{action.endsWith(QLatin1String("20"))});
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("fw.bin - Ravelin Advanced"));
        QVERIFY(m_pFrame->GetDocPath().isEmpty()); // Save asks where
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, BIN_FILTER);
        QCOMPARE(m_pPrompt->Only(), QString());
        QCOMPARE(m_pFrame->GetDb()->GetSatList().GetCount(), 2);
        QCOMPARE(m_pFrame->GetDb()->GetTpList().GetCount(), 4);
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 12);
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->childCount(), 2);
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(1)->childCount(), 2);

        // A file too small to hold a user database.
        m_pPrompt->Reset();
        QVERIFY(WriteAll(strImage, QByteArray(16, '\0')));
        m_pPrompt->files = {strImage};
        m_pPrompt->addrs = {addr};
        Trigger(qPrintable(action));
        QCOMPARE(m_pPrompt->nAddrQuestions, 2);
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Load Error|")));
    }

    // "Open Bin 2.5" cannot search: its dialog refuses "Auto", and a cancelled dialog (answered 0)
    // gives the load up without a word and without touching what is shown.
    void CancelledAddressOfLayout25ChangesNothing()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, QByteArray(FIRMWARE_SIZE, '\0')));
        CProgDb* pDb = m_pFrame->GetDb();
        m_pPrompt->files = {strImage};
        m_pPrompt->addrs = {0};
        Trigger("actionOpenBin25");
        QCOMPARE(m_pPrompt->addrAutoAllowed, std::vector<bool>{false});
        QCOMPARE(m_pPrompt->Only(), QString());
        QVERIFY(m_pFrame->GetDb() == pDb);
        QCOMPARE(pDb->GetProgList().GetCount(), 2);
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Sample - Ravelin Advanced"));
    }

    // A firmware load that finds no records says where it looked, rather than showing an empty
    // window without a word.
    void EmptyFirmwareResultIsExplained_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<uint>("addr");
        QTest::addColumn<QString>("message");
        QTest::newRow("Open Bin 2.5")
            << QStringLiteral("actionOpenBin25") << 0x110000u
            << QStringLiteral("No channel records were found at address 0x110000 (layout 2.5).");
        QTest::newRow("Open Bin 2.0, Auto")
            << QStringLiteral("actionOpenBin20") << 0u
            << QStringLiteral("No channel records were found at address 0x120000 (layout 2.0).");
    }

    void EmptyFirmwareResultIsExplained()
    {
        QFETCH(QString, action);
        QFETCH(uint, addr);
        QFETCH(QString, message);
        TestImage::CImage img(FIRMWARE_SIZE, 0x00);
        if (action.endsWith(QLatin1String("20")))
            TestImage::UserDb20(img, 0x120000, TestImage::MakeDb(0, 0, 0));
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage,
                         QByteArray(reinterpret_cast<const char*>(img.Data().data()), int(img.Size()))));
        m_pPrompt->files = {strImage};
        m_pPrompt->addrs = {addr};
        Trigger(qPrintable(action));
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Empty|") + message);
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_INFORMATION);
        QVERIFY(m_pFrame->GetDb() && m_pFrame->GetDb()->IsEmpty());
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->childCount(), 0);
    }

    // Before the first overwrite of an existing file in a run, Save As, Save and Merge To Bin keep
    // it as FILE.bak: later overwrites and an existing FILE.bak leave the backup alone, a backup
    // that cannot be made stops the command before the file is touched, and View > Keep Backups
    // of Overwritten Files turns the rule off.
    void BackupsKeepTheFirstOriginal_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save As Db") << QStringLiteral("saveAs");
        QTest::newRow("Save") << QStringLiteral("save");
        QTest::newRow("Merge To Bin") << QStringLiteral("merge");
    }

    void BackupsKeepTheFirstOriginal()
    {
        QFETCH(QString, command);
        const bool bMerge = command == QLatin1String("merge");
        const char* pszCaption = bMerge ? "Merge Error" : "Save Error";
        const QString strExt = bMerge ? QStringLiteral(".bin") : QStringLiteral(".db");
        QVERIFY(WriteScript(Path("tessary"), CONVERTER_SCRIPT));
        LoadSample();
        CMarkingWriter writer;

        // What a file holds before the editor writes it: a firmware image to merge into, a
        // database to load and save back, or any bytes to be replaced by Save As.
        int nVersion = 0;
        const auto Original = [&](const QString& strPath) {
            QByteArray data;
            if (bMerge)
                data = QByteArray(FIRMWARE_SIZE, char('a' + nVersion));
            else if (command == QLatin1String("save"))
                data = SampleWithSatellites(nVersion + 1);
            else
                data = QByteArray("version ") + QByteArray::number(nVersion);
            ++nVersion;
            return WriteAll(strPath, data) ? data : QByteArray();
        };
        const auto Run = [&](const QString& strPath) {
            if (command == QLatin1String("save")) {
                QVERIFY(m_pFrame->OpenFile(strPath));
                DeleteAProgram();
                Trigger("actionSave");
            } else if (bMerge) {
                m_pPrompt->files = {strPath};
                m_pFrame->DoMerge(writer);
            } else {
                m_pPrompt->files = {strPath};
                Trigger("actionSaveAsDb");
            }
        };

        const QString strTarget = Path("target" + strExt);
        const QByteArray original = Original(strTarget);
        QVERIFY(!original.isEmpty());
        Run(strTarget);
        QVERIFY2(!m_pPrompt->Only().contains(QLatin1String("Error")), qPrintable(m_pPrompt->Only()));
        QCOMPARE(ReadAll(strTarget + ".bak"), original);
        QVERIFY(ReadAll(strTarget) != original);
        // Changed by someone else meanwhile: still the first original is kept.
        QVERIFY(!Original(strTarget).isEmpty());
        Run(strTarget);
        QCOMPARE(ReadAll(strTarget + ".bak"), original);

        const QString strKept = Path("kept" + strExt);
        QVERIFY(!Original(strKept).isEmpty());
        QVERIFY(WriteAll(strKept + ".bak", "older"));
        Run(strKept);
        QCOMPARE(ReadAll(strKept + ".bak"), QByteArray("older"));

        // No room for ".bak" behind the name.
        const QString strLong = Path(QString(250, QLatin1Char('x')) + strExt);
        const QByteArray longOriginal = Original(strLong);
        m_pPrompt->Reset();
        const int nMerges = writer.nCalls;
        Run(strLong);
        QCOMPARE(m_pPrompt->messages.size(), size_t(1));
        QCOMPARE(m_pPrompt->messages[0].strCaption, std::string(pszCaption));
        QVERIFY(
            QString::fromStdString(m_pPrompt->messages[0].strText).startsWith(QLatin1String("No backup of")));
        QCOMPARE(ReadAll(strLong), longOriginal);
        QCOMPARE(writer.nCalls, nMerges);

        QAction* pKeep = Action("actionKeepBackups");
        QVERIFY(pKeep->isChecked());
        pKeep->trigger();
        QCOMPARE(QSettings().value("Settings/KeepBackups").toBool(), false);
        const QString strPlain = Path("plain" + strExt);
        const QByteArray plainOriginal = Original(strPlain);
        Run(strPlain);
        QVERIFY(!QFile::exists(strPlain + ".bak"));
        QVERIFY(ReadAll(strPlain) != plainOriginal);
        NewFrame();
        QVERIFY(!Action("actionKeepBackups")->isChecked());
    }

    // Recent Files lists the last eight files loaded or saved, newest first, and reopens each with
    // its importer: a firmware image with its layout and address, without asking again.
    void RecentFilesReopenWithTheirImporter()
    {
        TestImage::CImage img(FIRMWARE_SIZE, 0xFF);
        TestImage::UserDb25(img, 0x120000, TestImage::MakeDb(2, 2, 3));
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage,
                         QByteArray(reinterpret_cast<const char*>(img.Data().data()), int(img.Size()))));
        const QString strDb = SampleDbFile();
        m_pPrompt->files = {strDb, Path("copy.db"), strImage};
        m_pPrompt->addrs = {0x120000};
        Trigger("actionOpenDb");
        Trigger("actionSaveAsDb");
        Trigger("actionOpenBin25");
        const auto Entries = [this] {
            QStringList out;
            for (QAction* a : m_pFrame->GetRecentFiles()->GetMenu()->actions())
                out << a->text();
            return out;
        };
        const QStringList expected = {"&1 fw.bin (layout 2.5, 0x120000)", "&2 copy.db", "&3 sample.db"};
        QCOMPARE(Entries(), expected);

        // The next run starts with the same list.
        NewFrame();
        QCOMPARE(Entries(), expected);
        m_pPrompt->Reset();
        Trigger("actionRecentFile1");
        QCOMPARE(m_pPrompt->nAddrQuestions, 1); // none more
        QCOMPARE(m_pPrompt->Only(), QString());
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 12);
        Trigger("actionRecentFile3");
        QCOMPARE(m_pFrame->GetDocPath(), strDb);
        QCOMPARE(Entries().first(), QStringLiteral("&1 sample.db"));

        // A file that is gone says so and leaves the list.
        QVERIFY(QFile::remove(Path("copy.db")));
        Trigger("actionRecentFile3");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|Open file failed!"));
        QCOMPARE(Entries(), QStringList({"&1 sample.db", "&2 fw.bin (layout 2.5, 0x120000)"}));

        // At most eight.
        for (int i = 0; i < 9; ++i)
            QVERIFY(m_pFrame->OpenFile(SampleDbFile(QStringLiteral("s%1.db").arg(i))));
        QCOMPARE(Entries().size(), 8);
        QCOMPARE(Entries().first(), QStringLiteral("&1 s8.db"));
        QCOMPARE(Entries().last(), QStringLiteral("&8 s1.db"));
    }

    // Print and the exports go out through their actions; an export never becomes the document nor
    // counts as saving the changes.
    void PrintAndExportsThroughTheirActions()
    {
        const QString strDb = SampleDbFile();
        QVERIFY(m_pFrame->OpenFile(strDb));
        DeleteAProgram();
        const int nRecent = m_pFrame->GetRecentFiles()->GetFiles().size();
        m_pFrame->GetPrintCommands()->SetOptionsDlgRunner(
            [](CPrintOptionsDlg&) { return int(QDialog::Accepted); });
        const struct
        {
            const char* pszAction;
            const char* pszFile;
            QByteArray start;
        } exports[] = {
            {"actionExportCsv", "out.csv", "Number,Name,Satellite,"},
            {"actionExportHtml", "out.html", "<!DOCTYPE html>"},
            {"actionExportPdf", "out.pdf", "%PDF"},
        };
        for (const auto& e : exports) {
            m_pPrompt->files.push_back(Path(QString::fromLatin1(e.pszFile)));
            Trigger(e.pszAction);
            QVERIFY2(ReadAll(Path(QString::fromLatin1(e.pszFile))).startsWith(e.start), e.pszAction);
            QCOMPARE(m_pFrame->GetDocPath(), strDb);
            QVERIFY(m_pFrame->IsModified());
            QCOMPARE(m_pFrame->GetRecentFiles()->GetFiles().size(), nRecent);
            QCOMPARE(m_pPrompt->dialogs.back().strDefaultName,
                     QStringLiteral("sample.") + QFileInfo(QString::fromLatin1(e.pszFile)).suffix());
        }
        QVERIFY(m_pPrompt->messages.empty());

        int nPreviews = 0;
        m_pFrame->GetPrintCommands()->SetPreviewRunner(
            [&nPreviews](CPrintPreview& preview) { nPreviews += preview.GetDialog() != nullptr; });
        QCOMPARE(Action("actionPrint")->shortcut(), QKeySequence(QKeySequence::Print));
        Trigger("actionPrint");
        QCOMPARE(nPreviews, 1);
    }
};

RAVELIN_GUI_TEST_MAIN(CFileCommandsTest)
#include "FileCommandsTest.moc"
