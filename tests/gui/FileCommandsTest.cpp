// The frame's File commands with their dialogs and messages: loading and saving, the first-load
// creation of the database, load errors, the spreadsheet and firmware commands, and the questions
// about unsaved changes.

#include "FrameTestBase.h"
#include "GuiTestMain.h"
#include "tests/access/UserDbImage.h"

#include "views/ProgBrowseView.h"

namespace {

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
        QVERIFY(m_pFrame->GetDb() == pDb); // cleared and reused, not replaced
        QCOMPARE(pDb->GetSatList().GetCount(), 2);
        QCOMPARE(pDb->GetProgList().GetCount(), 2);
        QCOMPARE(pDb->GetSatList().Find(0)->GetId(), 0); // ids start again at 0
        CProgBrowseView* pTree = m_pFrame->GetTreeView();
        QCOMPARE(pTree->topLevelItemCount(), 2);
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

    void FailedLoadLeavesNoRowsForClearedRecords()
    {
        LoadSample();
        CProgListView* pList = m_pFrame->GetListView();
        pList->ShowRecords(NODE_PROG, INVALID_ID);
        QCOMPARE(pList->GetRowCount(), 2);

        const QString strBad = Path("bad.db");
        QVERIFY(WriteAll(strBad, QByteArray("Sg8K\0\0\0\1\0\0\0\0\0\0\0\0Eg8K", 20)));
        m_pPrompt->files = {strBad};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|File size error!"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_ERROR);
        QCOMPARE(HasLastError(), 0); // shown, then cleared
        QVERIFY(m_pFrame->GetDb() && m_pFrame->GetDb()->IsEmpty());
        // Both panes show the (empty) database: no row is left for a record that was cleared.
        QCOMPARE(pList->GetRowCount(), 0);
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->childCount(), 0);
        pList->DeleteSelected();
        m_pPrompt->Reset();

        Trigger("actionSaveAsDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Empty|No data to save!"));
    }

    void FailedFirstLoadCreatesAnEmptyDatabase()
    {
        m_pPrompt->files = {Path("missing.db")};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Load Error|Open file failed!"));
        QVERIFY(m_pFrame->GetDb() != nullptr);
        QVERIFY(m_pFrame->GetDb()->IsEmpty());
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
        // A reader that failed after adding records: the panes show what is left.
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(0)->text(0), QStringLiteral("half-read"));
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

    void UnsavedChangesAreNeverDroppedSilently()
    {
        LoadSample();
        QVERIFY(!m_pFrame->IsModified());
        DeleteAProgram();
        const QString strPath = SampleDbFile();

        // Cancel: no file dialog, nothing loaded.
        m_pPrompt->discards = {false};
        Trigger("actionOpenDb");
        QCOMPARE(m_pPrompt->nDiscardQuestions, 1);
        QVERIFY(m_pPrompt->dialogs.empty());
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 1);

        // Closing asks too.
        m_pFrame->show();
        m_pPrompt->discards = {false};
        QVERIFY(!m_pFrame->close());
        QVERIFY(m_pFrame->isVisible());

        // Discard: the load goes ahead, and afterwards nothing is pending.
        m_pPrompt->discards = {true};
        m_pPrompt->files = {strPath};
        Trigger("actionOpenDb");
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 2);
        QVERIFY(!m_pFrame->IsModified());

        // A save clears the pending changes.
        DeleteAProgram();
        m_pPrompt->files = {Path("saved.db")};
        Trigger("actionSaveAsDb");
        QVERIFY(!m_pFrame->IsModified());
        const int nAsked = m_pPrompt->nDiscardQuestions;
        QVERIFY(m_pFrame->close());
        QCOMPARE(m_pPrompt->nDiscardQuestions, nAsked);
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
        m_pPrompt->addrs = {0};
        Trigger(qPrintable(action));
        QCOMPARE(m_pPrompt->nAddrQuestions, 2);
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Load Error|")));
    }
};

RAVELIN_GUI_TEST_MAIN(CFileCommandsTest)
#include "FileCommandsTest.moc"
