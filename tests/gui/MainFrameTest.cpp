// The main frame driven through its actions and an answering prompt: menus and bars, every File
// command with its dialogs and messages, the first-load creation of the database, the questions
// about unsaved changes, and the merge with a converter that works, fails or is missing.

#include "GuiTestMain.h"
#include "QueuePrompt.h"
#include "TestDb.h"
#include "tests/access/UserDbImage.h"

#include "access/AccessDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "platform/CodePage.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

const QString DB_FILTER = QStringLiteral("Program Db File(*.db);;All Files (*.*)");
const QString BIN_FILTER = QStringLiteral("Binary File(*.bin);;All Files (*.*)");
constexpr qint64 FIRMWARE_SIZE = 0x200000;
constexpr qint64 USB_IMAGE_SIZE = 0x200200;

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

// A merge writer that marks the image: its first four bytes become "MRGD".
class CMarkingWriter : public CAccessOut
{
public:
    int nCalls = 0;
    bool bFail = false;
    bool SaveDb(const std::string& strPath, CProgDb*) override
    {
        ++nCalls;
        if (bFail) {
            SetLastErrorMsg("Invalid file format!");
            return false;
        }
        QFile f(QString::fromStdString(strPath));
        if (!f.open(QIODevice::ReadWrite))
            return false;
        f.write("MRGD", 4);
        return true;
    }
};

QByteArray ReadAll(const QString& strPath)
{
    QFile f(strPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& strPath, const QByteArray& data)
{
    QFile f(strPath);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// A firmware image of 2 MiB with a recognisable pattern.
QByteArray Firmware()
{
    QByteArray data(FIRMWARE_SIZE, '\0');
    for (qint64 i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + 3);
    return data;
}

QByteArray Merged(QByteArray data)
{
    data.replace(0, 4, "MRGD");
    return data;
}

bool WriteScript(const QString& strPath, const QString& strBody)
{
    if (!WriteAll(strPath, ("#!/bin/sh\n" + strBody + "\n").toUtf8()))
        return false;
    return QFile::setPermissions(strPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList ActionTexts(const QMenu* pMenu)
{
    QStringList out;
    for (const QAction* a : pMenu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class CMainFrameTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CQueuePrompt> m_pPrompt;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_strOldCwd;

    QAction* Action(const char* pszName)
    {
        return m_pFrame->findChild<QAction*>(QString::fromLatin1(pszName));
    }
    QString Path(const QString& strName) const { return m_pDir->filePath(strName); }

    void Trigger(const char* pszName)
    {
        QAction* pAction = Action(pszName);
        QVERIFY2(pAction, pszName);
        QVERIFY2(pAction->isEnabled(), pszName);
        pAction->trigger();
    }

    // A new frame whose start-up directory is the test's temporary directory.
    void NewFrame()
    {
        m_pFrame.reset();
        QDir::setCurrent(m_pDir->path());
        m_pFrame = std::make_unique<CMainFrame>(*m_pPrompt);
        QDir::setCurrent(m_strOldCwd);
    }

    // A .db file holding the sample database.
    QString SampleDbFile()
    {
        const QString strPath = Path("sample.db");
        CProgDb db;
        CAccessDummyIn().LoadDb("", &db);
        if (!CAccessDbOut().SaveDb(strPath.toStdString(), &db))
            return QString();
        return strPath;
    }

    void LoadSample()
    {
        QVERIFY(m_pFrame->OpenSample());
        m_pPrompt->Reset();
    }

    // Deletes the first program: the database then has unsaved changes.
    void DeleteAProgram()
    {
        m_pFrame->GetListView()->ShowRecords(NODE_PROG, INVALID_ID);
        m_pFrame->GetListView()->SelectRow(0);
        m_pFrame->GetListView()->DeleteSelected();
        QVERIFY(m_pFrame->IsModified());
    }

private slots:
    void init()
    {
        m_strOldCwd = QDir::currentPath();
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pDir->isValid());
        m_pPrompt = std::make_unique<CQueuePrompt>();
        ClearLastError();
        NewFrame();
    }

    void cleanup()
    {
        if (m_pPrompt)
            QVERIFY2(m_pPrompt->Drained(), qPrintable(m_pPrompt->unexpected.join(", ")));
        m_pFrame.reset();
        m_pPrompt.reset();
        QDir::setCurrent(m_strOldCwd);
        m_pDir.reset();
    }

    void WindowHasTitleMenusBarsAndPanes()
    {
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Ravelin Advanced"));
        QMenu* pFile = m_pFrame->findChild<QMenu*>("menuFile");
        QVERIFY(pFile);
        QCOMPARE(ActionTexts(pFile),
                 QStringList({"Open Db", "Open Excel", "Open Bin 2.0", "Open Bin 2.5", "Filter\tCtrl+F(&F)",
                              "Save As Db", "Save As Excel", "Merge To Bin", "-", "E&xit"}));
        QCOMPARE(Action("actionFilter")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        QStringList view = ActionTexts(m_pFrame->findChild<QMenu*>("menuView"));
        QCOMPARE(view.mid(0, 2), QStringList({"&Toolbar", "&Status Bar"}));
        QCOMPARE(ActionTexts(m_pFrame->findChild<QMenu*>("menuHelp")), QStringList({"&About Pelmora..."}));

        QToolBar* pBar = m_pFrame->findChild<QToolBar*>("toolBar");
        QVERIFY(pBar);
        QStringList tools;
        for (QAction* a : pBar->actions())
            tools << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(tools, QStringList({"actionCut", "actionCopy", "actionPaste", "-", "actionAbout"}));
        for (const char* psz : {"actionCut", "actionCopy", "actionPaste", "actionUndo"})
            QVERIFY2(!Action(psz)->isEnabled(), psz);
        QVERIFY(Action("actionAbout")->isEnabled());
        QCOMPARE(Action("actionUndo")->shortcuts(),
                 QList<QKeySequence>({QKeySequence(QStringLiteral("Ctrl+Z")),
                                      QKeySequence(QStringLiteral("Alt+Backspace"))}));

        QCOMPARE(m_pFrame->findChild<QLabel*>("messagePane")->text(), QStringLiteral("Ready"));
        for (const char* psz : {"indicatorCAP", "indicatorNUM", "indicatorSCRL"})
            QVERIFY2(m_pFrame->findChild<QLabel*>(psz), psz);

        // View toggles the bars.
        m_pFrame->show();
        Action("actionViewToolBar")->trigger();
        QVERIFY(!pBar->isVisible());
        Action("actionViewStatusBar")->trigger();
        QVERIFY(!m_pFrame->statusBar()->isVisible());
        Action("actionViewToolBar")->trigger();
        QVERIFY(pBar->isVisible());

        QSplitter* pSplitter = m_pFrame->GetSplitter();
        QCOMPARE(pSplitter->count(), 2);
        QVERIFY(pSplitter->widget(0) == m_pFrame->GetTreeView());
        QVERIFY(pSplitter->widget(1) == m_pFrame->GetListView());
        QCOMPARE(pSplitter->sizes().at(0), 160);
    }

    void NextAndPreviousPaneMoveTheFocus()
    {
        m_pFrame->show();
        m_pFrame->GetTreeView()->setFocus();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetTreeView());
        Action("actionNextPane")->trigger();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetListView());
        Action("actionNextPane")->trigger();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetTreeView());
        Action("actionPrevPane")->trigger();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetListView());
        QCOMPARE(Action("actionNextPane")->shortcut(), QKeySequence(Qt::Key_F6));
        QCOMPARE(Action("actionPrevPane")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    }

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

    void MergeWithoutConverterKeepsTheMergedImage()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Merge Error|Merge Error, not find tessary"));
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, BIN_FILTER);
        QVERIFY(m_pPrompt->dialogs.at(0).bSave && m_pPrompt->dialogs.at(0).bMustExist);
        QCOMPARE(writer.nCalls, 1);
        QCOMPARE(ReadAll(strImage), Merged(Firmware()));
        QVERIFY(!QFile::exists(strImage + ".tmp"));
    }

    void MergeStopsWhenTheTemporaryNameIsTaken()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(WriteAll(strImage + ".tmp", "precious"));
        QVERIFY(WriteScript(Path("tessary"), "exit 0"));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Merge Error|")));
        QCOMPARE(writer.nCalls, 0);
        QCOMPARE(ReadAll(strImage), Firmware());
        QCOMPARE(ReadAll(strImage + ".tmp"), QByteArray("precious"));
    }

    void MergeWriterFailureIsReported()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(WriteScript(Path("tessary"), "echo ran > \"$0.ran\""));
        CMarkingWriter writer;
        writer.bFail = true;
        m_pPrompt->files = {QString(), strImage};
        m_pFrame->DoMerge(writer); // cancelled
        QCOMPARE(writer.nCalls, 0);
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Merge Error|Invalid file format!"));
        QVERIFY(!QFile::exists(Path("tessary.ran")));
        QCOMPARE(ReadAll(strImage), Firmware());
    }

    void FailingConverterPutsTheMergedImageBack_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("shown");
        QTest::newRow("exit status 1") << QStringLiteral("echo 'open From file failer!'; : > \"$2\"; exit 1")
                                       << QStringLiteral("open From file failer!");
        QTest::newRow("short image, status 0")
            << QStringLiteral("echo 'file read error!'; head -c 100 \"$1\" > \"$2\"")
            << QStringLiteral("file read error!");
        QTest::newRow("crash") << QStringLiteral("kill -9 $$") << QStringLiteral("crashed");
        QTest::newRow("never finishes") << QStringLiteral("head -c 10 \"$1\" > \"$2\"; exec sleep 30")
                                        << QStringLiteral("did not finish");
    }

    void FailingConverterPutsTheMergedImageBack()
    {
        QFETCH(QString, script);
        QFETCH(QString, shown);
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(WriteScript(Path("tessary"), script));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->SetConverterTimeout(1500);
        m_pFrame->DoMerge(writer);

        QCOMPARE(m_pPrompt->messages.size(), size_t(1));
        QCOMPARE(m_pPrompt->messages[0].strCaption, std::string("Merge Error"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_ERROR);
        const QString strText = QString::fromStdString(m_pPrompt->messages[0].strText);
        QVERIFY2(strText.contains(shown), qPrintable(strText));
        QCOMPARE(ReadAll(strImage), Merged(Firmware()));
        QVERIFY(!QFile::exists(strImage + ".tmp"));
    }

    void ConverterGetsBothPathsAsSeparateArguments()
    {
        LoadSample();
        QVERIFY(QDir(m_pDir->path()).mkpath("my images"));
        const QString strImage = Path("my images/fw 1.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        // Records its arguments, then writes an image of the right size from its source.
        QVERIFY(WriteScript(Path("tessary"),
                            "printf '%s\\n' \"$#\" \"$1\" \"$2\" > \"$(dirname \"$0\")/args.txt\"\n"
                            "cat \"$1\" > \"$2\" && head -c 512 /dev/zero >> \"$2\""));
        // Changing the current directory after start-up does not move the place of the converter.
        QDir::setCurrent(QDir::tempPath());
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QDir::setCurrent(m_strOldCwd);

        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Merge default program finished!"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_INFORMATION);
        QCOMPARE(QString::fromUtf8(ReadAll(Path("args.txt"))),
                 QStringLiteral("2\n%1.tmp\n%1\n").arg(strImage));
        QCOMPARE(QFileInfo(strImage).size(), USB_IMAGE_SIZE);
        QVERIFY(!QFile::exists(strImage + ".tmp"));
    }

    void MergeWithTheRealConverterMakesAUsbImage()
    {
#ifndef RAVELIN_TESSARY
        QSKIP("the converter is not part of this build");
#else
        LoadSample();
        QVERIFY(QFile::link(QStringLiteral(RAVELIN_TESSARY), Path("tessary")));
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Merge default program finished!"));
        const QByteArray usb = ReadAll(strImage);
        QCOMPARE(usb.size(), USB_IMAGE_SIZE);
        QCOMPARE(usb.left(FIRMWARE_SIZE), Merged(Firmware()));
        QCOMPARE(usb.mid(FIRMWARE_SIZE, 6), QByteArray("TR5Hm!"));
        QVERIFY(!QFile::exists(strImage + ".tmp"));

        // An image too short for the converter: the merged image comes back.
        m_pPrompt->Reset();
        const QString strShort = Path("short.bin");
        QVERIFY(WriteAll(strShort, Firmware().left(1000)));
        m_pPrompt->files = {strShort};
        m_pFrame->DoMerge(writer);
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Merge Error|")));
        QCOMPARE(ReadAll(strShort), Merged(Firmware().left(1000)));
        QVERIFY(!QFile::exists(strShort + ".tmp"));
#endif
    }

    void MergeToBinCommandUsesTheMergeWriter()
    {
        QAction* pMerge = Action("actionMergeToBin");
        LoadSample();
        const QString strImage = Path("plain.bin");
        QVERIFY(WriteAll(strImage, QByteArray(64, 'x'))); // no default-database area
        m_pPrompt->files = {strImage};
        pMerge->trigger();
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Merge Error|Invalid file format!"));
        QCOMPARE(ReadAll(strImage), QByteArray(64, 'x'));
    }

    void MergeToBinWritesTheDatabaseIntoTheUsbImage()
    {
#ifndef RAVELIN_TESSARY
        QSKIP("the converter is not part of this build");
#else
        QAction* pMerge = Action("actionMergeToBin");
        QVERIFY(QFile::link(QStringLiteral(RAVELIN_TESSARY), Path("tessary")));
        // An image with an empty default database at 0x1000 and 4 KiB of filler behind it.
        QByteArray image(FIRMWARE_SIZE, '\x11');
        const QByteArray empty("Sg8K\0\0\0\0\0\0\0\0\0\0\0\0Eg8K", 20);
        const int nStart = 0x1000, nCapacity = 20 + 4096;
        image.replace(nStart, empty.size(), empty);
        image.replace(nStart + 20, 4096, QByteArray(4096, '\xFF'));
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, image));

        LoadSample();
        std::vector<uint8_t> db;
        QVERIFY(CAccessDbOut().BuildImage(m_pFrame->GetDb(), db));
        QByteArray expected = image;
        expected.replace(nStart, nCapacity, QByteArray(nCapacity, '\xFF'));
        expected.replace(nStart, int(db.size()),
                         QByteArray(reinterpret_cast<const char*>(db.data()), int(db.size())));

        m_pPrompt->files = {strImage};
        pMerge->trigger();
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Merge default program finished!"));
        const QByteArray usb = ReadAll(strImage);
        QCOMPARE(usb.size(), USB_IMAGE_SIZE);
        QVERIFY(usb.left(FIRMWARE_SIZE) == expected);
        QCOMPARE(usb.mid(FIRMWARE_SIZE, 6), QByteArray("TR5Hm!"));
        QVERIFY(!QFile::exists(strImage + ".tmp"));
#endif
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

    void EncodingMenuSwitchesAndRemembersTheCodePage()
    {
        const uint32_t nOld = CodePage::GetAnsiCodePage();
        QMenu* pEncoding = m_pFrame->findChild<QMenu*>("menuEncoding");
        QVERIFY(pEncoding);
        QCOMPARE(pEncoding->actions().size(), 16);
        for (uint32_t cp : {1252u, 936u, 950u, 932u, 949u, 1250u, 1251u, 1253u, 1258u, 874u, 28591u, 65001u})
            QVERIFY(Action(qPrintable(QStringLiteral("actionCodePage%1").arg(cp))));

        LoadSample();
        Trigger("actionCodePage936");
        QCOMPARE(CodePage::GetAnsiCodePage(), 936u);
        QVERIFY(Action("actionCodePage936")->isChecked());
        QVERIFY(!Action("actionCodePage1252")->isChecked());
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(1)->text(0), QString::fromUtf8("中星6B"));
        QCOMPARE(QSettings().value("Settings/CodePage").toUInt(), 936u);

        // A new frame starts with the remembered code page.
        CodePage::SetAnsiCodePage(1252);
        NewFrame();
        QCOMPARE(CodePage::GetAnsiCodePage(), 936u);
        QVERIFY(Action("actionCodePage936")->isChecked());

        QSettings().remove("Settings/CodePage");
        CodePage::SetAnsiCodePage(nOld);
    }

    void AboutBoxShowsVersionAndBuildDate()
    {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Pelmora"));
        QCOMPARE(dlg.GetVersionText(), QStringLiteral("Ravelin Advanced  V1.0.0.150"));
        QCOMPARE(dlg.GetBuildDateText(), QStringLiteral("Build date: 2012/10/18 10:58:38"));

        int nShown = 0;
        m_pFrame->SetAboutHandler([&nShown] { ++nShown; });
        Trigger("actionAbout");
        QCOMPARE(nShown, 1);
    }

    void ApplicationStartsWithTheSample()
    {
        auto* pApp = qobject_cast<CPelmoraApp*>(qApp);
        QVERIFY(pApp);
        QVERIFY(!pApp->InitInstance({QStringLiteral("--bogus")}));
        QVERIFY(pApp->InitInstance({QStringLiteral("--sample")}));
        CMainFrame* pFrame = pApp->GetMainFrame();
        QVERIFY(pFrame && pFrame->isVisible());
        QCOMPARE(pFrame->windowTitle(), QStringLiteral("Ravelin Advanced"));
        QCOMPARE(pFrame->GetTreeView()->GetSatGroupItem()->child(0)->text(0), QStringLiteral("A3S"));

        // A file named on the command line is loaded without a dialog.
        const QString strPath = SampleDbFile();
        QVERIFY(pApp->InitInstance({strPath}));
        pFrame = pApp->GetMainFrame();
        QCOMPARE(pFrame->GetDb()->GetProgList().GetCount(), 2);
        QCOMPARE(pFrame->GetTreeView()->GetSatGroupItem()->childCount(), 2);

        CPelmoraApp::SetLastErrorMsg("forwarded");
        QCOMPARE(HasLastError(), 1);
        QCOMPARE(CPelmoraApp::GetLastErrorMsg(), std::string("forwarded"));
        CPelmoraApp::ClearLastError();
        QCOMPARE(CPelmoraApp::HasLastError(), 0);
        pFrame->close();
    }
};

RAVELIN_GUI_TEST_MAIN(CMainFrameTest)
#include "MainFrameTest.moc"
