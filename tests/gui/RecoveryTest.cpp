// Recovery copies of unsaved changes: when the editor writes and removes its copy, the offer of the
// copies dead editors left behind, and an editor killed after an edit whose changes come back at the
// next start and are saved to the original file.

#include "FrameTestBase.h"

#include "access/RecoveryFile.h"
#include "app/PelmoraApp.h"
#include "app/Recovery.h"
#include "platform/CodePage.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const char* const CHILD_MODE = "--recovery-child";
const char* const CHILD_READY = "recovery copy written";

QStringList CopiesIn(const QString& strFolder)
{
    return QDir(strFolder).entryList(QDir::Files, QDir::Name);
}

// The programs of a .db file, by name.
QStringList ProgramNames(const QString& strPath)
{
    CProgDb db;
    QStringList names;
    if (CAccessDbIn().LoadDb(strPath.toStdString(), &db))
        for (const CNode* p : db.GetProgList())
            names << QString::fromStdString(static_cast<const CProgNode*>(p)->GetRecord()->GetName());
    return names;
}

QStringList ProgramNames(const CProgDb& db)
{
    QStringList names;
    for (const CNode* p : db.GetProgList())
        names << QString::fromStdString(static_cast<const CProgNode*>(p)->GetRecord()->GetName());
    return names;
}

} // namespace

class CRecoveryTest : public CFrameTestBase
{
    Q_OBJECT

    QString Folder() const { return m_pFrame->GetRecovery()->GetFolder(); }
    QString CopyPath() const { return m_pFrame->GetRecovery()->GetCopyPath(); }

    // The frame of a new run on sample.db with its first program deleted and the copy written.
    void EditSampleFile(const QString& strPath)
    {
        NewFrame();
        m_pFrame->GetRecovery()->SetDelay(20);
        QVERIFY(m_pFrame->OpenFile(strPath));
        DeleteAProgram();
        QTRY_VERIFY(QFileInfo::exists(CopyPath()));
        QVERIFY(QFileInfo::exists(CopyPath() + ".lock"));
    }

    // A copy as an editor that is gone left it (no lock).
    void PlantCopy(const QString& strFile, const RecoveryInfo& info, const CProgDb& db)
    {
        QVERIFY(QDir().mkpath(Folder()));
        std::string strError;
        QVERIFY2(WriteRecoveryFile(QDir(Folder()).filePath(strFile).toStdString(), info, db, strError),
                 strError.c_str());
    }

private slots:
    // The copy exists exactly while there are unsaved changes, holds them with the document's file,
    // and goes with a save, an undo back to the saved state, a load that replaces the document and a
    // confirmed close. It stays when the changes stay, and when the editor ends without a close.
    void CopyFollowsTheUnsavedChanges()
    {
        QDir(Folder()).removeRecursively();
        const QString strFile = SampleDbFile();
        const QString strOther = SampleDbFile(QStringLiteral("other.db"));
        const QStringList original = ProgramNames(strFile);
        const struct
        {
            const char* pszCase;
            std::function<void()> fnAct;
            bool bKept;
        } cases[] = {
            {"undo back to the saved state", [this] { Trigger("actionUndo"); }, false},
            {"save", [this] { Trigger("actionSave"); }, false},
            {"discard, then load another file",
             [&] {
                 m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
                 m_pPrompt->files = {strOther};
                 Trigger("actionOpenDb");
             },
             false},
            {"close, discarding",
             [this] {
                 m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
                 QVERIFY(m_pFrame->close());
             },
             false},
            {"close, saving",
             [this] {
                 m_pPrompt->saveAnswers = {IPrompt::CHOICE_SAVE};
                 QVERIFY(m_pFrame->close());
             },
             false},
            {"discard, then cancel the open dialog",
             [this] {
                 m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
                 m_pPrompt->files = {QString()};
                 Trigger("actionOpenDb");
             },
             true},
            {"close, cancelled",
             [this] {
                 m_pPrompt->saveAnswers = {IPrompt::CHOICE_CANCEL};
                 QVERIFY(!m_pFrame->close());
             },
             true},
        };
        for (const auto& c : cases) {
            QVERIFY(SampleDbFile() == strFile); // the file as it was
            EditSampleFile(strFile);
            const QString strCopy = CopyPath();

            RecoveryInfo info;
            CProgDb db;
            std::string strError;
            QCOMPARE(ReadRecoveryFile(strCopy.toStdString(), info, &db, strError), RecoveryRead::Ok);
            QCOMPARE(QString::fromStdString(info.strPath), strFile);
            QCOMPARE(info.strFormat, std::string("db"));
            QCOMPARE(info.strName, std::string("sample.db"));
            QCOMPARE(info.nCodePage, CodePage::GetAnsiCodePage());
            QCOMPARE(ProgramNames(db), original.mid(1));
            QCOMPARE(IdsOf(db.GetProgList()), IdsOf(m_pFrame->GetDb()->GetProgList()));

            c.fnAct();
            QVERIFY2(m_pPrompt->Drained(), c.pszCase);
            QVERIFY2(QFileInfo::exists(strCopy) == c.bKept, c.pszCase);
            QVERIFY2(QFileInfo::exists(strCopy + ".lock") == c.bKept, c.pszCase);
            m_pPrompt->Reset();
            const QString strFolder = Folder();
            m_pFrame.reset();
            QDir(strFolder).removeRecursively();
        }

        // Redone after an undo back to the saved state: written again.
        EditSampleFile(strFile);
        Trigger("actionUndo");
        QVERIFY(!QFileInfo::exists(CopyPath()));
        Trigger("actionRedo");
        QTRY_VERIFY(QFileInfo::exists(CopyPath()));

        // An editor ending without a confirmed close keeps the copy, but no longer its lock.
        const QString strCopy = CopyPath();
        m_pFrame.reset();
        QVERIFY(QFileInfo::exists(strCopy));
        QVERIFY(!QFileInfo::exists(strCopy + ".lock"));
    }

    // At start, the copy of an editor that is gone is offered and, accepted, loaded as modified with
    // its file, so that Save writes the changes there; a running editor's copy is left alone, and two
    // editors running at once write copies of their own.
    void OffersTheCopyOfAnEditorThatIsGone()
    {
        QDir(Folder()).removeRecursively();
        const QString strFile = SampleDbFile();
        const QStringList original = ProgramNames(strFile);
        EditSampleFile(strFile);
        const QString strGone = CopyPath();
        const std::vector<int32_t> editedIds = IdsOf(m_pFrame->GetDb()->GetProgList());
        m_pFrame.reset(); // ended without closing: the copy stays, unlocked

        // A second editor, running, with changes of its own.
        CMainFrame running(*m_pPrompt);
        running.GetRecovery()->SetDelay(20);
        QVERIFY(running.OpenFile(SampleDbFile(QStringLiteral("running.db"))));
        running.GetListView()->ShowRecords(NODE_PROG, INVALID_ID);
        running.GetListView()->SelectRow(1);
        running.GetListView()->DeleteSelected();
        QTRY_VERIFY(QFileInfo::exists(running.GetRecovery()->GetCopyPath()));
        QVERIFY(running.GetRecovery()->GetCopyPath() != strGone);

        NewFrame();
        m_pPrompt->yesNoAnswers = {true};
        QVERIFY(m_pFrame->GetRecovery()->OfferStaleCopies());
        QCOMPARE(m_pPrompt->questions.size(), 1);
        QVERIFY2(
            QRegularExpression(
                QStringLiteral(R"(^Recovery\|Recover the unsaved changes to sample\.db from \d\d:\d\d\?$)"))
                .match(m_pPrompt->questions[0])
                .hasMatch(),
            qPrintable(m_pPrompt->questions[0]));
        QVERIFY(m_pFrame->IsModified());
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("sample.db* - Ravelin Advanced"));
        QCOMPARE(m_pFrame->GetDocPath(), strFile);
        QCOMPARE(m_pFrame->GetDocFormat(), std::string("db"));
        QCOMPARE(IdsOf(m_pFrame->GetDb()->GetProgList()), editedIds);
        m_pFrame->GetListView()->ShowRecords(NODE_PROG, INVALID_ID); // the pane has the new database
        QCOMPARE(m_pFrame->GetListView()->GetRowCount(), original.size() - 1);
        QVERIFY(!m_pFrame->GetEditHistory().CanUndo());
        // Taken over: the dead editor's copy is gone, this editor has its own; the running one's stays.
        QVERIFY(!QFileInfo::exists(strGone));
        QVERIFY(QFileInfo::exists(CopyPath()));
        QVERIFY(QFileInfo::exists(running.GetRecovery()->GetCopyPath()));

        Trigger("actionSave");
        QCOMPARE(ProgramNames(strFile), original.mid(1));
        QVERIFY(!m_pFrame->IsModified());
        QVERIFY(!QFileInfo::exists(CopyPath()));
        QCOMPARE(CopiesIn(Folder()),
                 QStringList({QFileInfo(running.GetRecovery()->GetCopyPath()).fileName(),
                              QFileInfo(running.GetRecovery()->GetCopyPath()).fileName() + ".lock"}));
    }

    // Several copies are offered newest first until one is accepted; the others wait for the next
    // start, a declined one is removed, one that cannot be read is reported and removed, and one of a
    // newer editor is kept. An empty lock (left by a power cut) does not hide its copy. A recovered list
    // keeps duplicate ids and records without their parent, comes back in its code page, and the sample (no
    // file) is saved like Save As Db.
    void OffersSeveralCopiesNewestFirst()
    {
        QDir(Folder()).removeRecursively();
        const uint32_t nOldCodePage = CodePage::GetAnsiCodePage();
        const int64_t nNow = QDateTime::currentSecsSinceEpoch();
        const int64_t n2020 = QDateTime(QDate(2020, 1, 2), QTime(3, 4)).toSecsSinceEpoch();

        CProgDb sample;
        CAccessDummyIn().LoadDb("", &sample);
        RecoveryInfo sampleInfo;
        sampleInfo.strName = "Sample";
        sampleInfo.nCodePage = nOldCodePage;
        sampleInfo.nWrittenAt = nNow;
        PlantCopy(QStringLiteral("a.rvr"), sampleInfo, sample);

        CProgDb odd; // what a .db file cannot hold
        AddSat(odd, "S", 4);
        AddSat(odd, "S again", 4);
        AddRecord(odd, NODE_TP, 4, "", 9);
        AddRecord(odd, NODE_PROG, 9, "P", 2);
        AddRecord(odd, NODE_PROG, 77, "Orphan", 2);
        RecoveryInfo oddInfo;
        oddInfo.strPath = Path(QStringLiteral("odd.db")).toStdString();
        oddInfo.strFormat = "db";
        oddInfo.strName = "odd.db";
        oddInfo.nCodePage = nOldCodePage == 1251 ? 1252 : 1251;
        oddInfo.nWrittenAt = n2020;
        PlantCopy(QStringLiteral("b.rvr"), oddInfo, odd);

        RecoveryInfo oldest = oddInfo;
        oldest.strName = "oldest.db";
        oldest.nWrittenAt = n2020 - 86400;
        PlantCopy(QStringLiteral("c.rvr"), oldest, odd);
        QVERIFY(WriteAll(QDir(Folder()).filePath(QStringLiteral("c.rvr.lock")), QByteArray())); // a power cut

        std::vector<uint8_t> newer = BuildRecoveryImage(oddInfo, odd);
        newer[7] = 2; // version 2
        QVERIFY(WriteAll(QDir(Folder()).filePath(QStringLiteral("d.rvr")),
                         QByteArray(reinterpret_cast<const char*>(newer.data()), int(newer.size()))));
        std::vector<uint8_t> damaged = BuildRecoveryImage(oddInfo, odd);
        damaged[damaged.size() / 2] ^= 1;
        QVERIFY(WriteAll(QDir(Folder()).filePath(QStringLiteral("e.rvr")),
                         QByteArray(reinterpret_cast<const char*>(damaged.data()), int(damaged.size()))));

        // First start: the damaged copy is reported, the newest is accepted.
        NewFrame();
        m_pPrompt->yesNoAnswers = {true};
        QVERIFY(m_pFrame->GetRecovery()->OfferStaleCopies());
        QCOMPARE(m_pPrompt->messages.size(), size_t(1));
        QCOMPARE(m_pPrompt->messages[0].strCaption, std::string("Recovery"));
        QVERIFY(QString::fromStdString(m_pPrompt->messages[0].strText).contains(QStringLiteral("e.rvr")));
        QVERIFY(QString::fromStdString(m_pPrompt->messages[0].strText)
                    .contains(QStringLiteral("recovery copy: damaged (its checksum does not match)")));
        QCOMPARE(m_pPrompt->questions.size(), 1);
        QVERIFY2(m_pPrompt->questions[0].startsWith(
                     QStringLiteral("Recovery|Recover the unsaved changes to Sample from ")),
                 qPrintable(m_pPrompt->questions[0]));
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Sample* - Ravelin Advanced"));
        QCOMPARE(m_pFrame->GetDocPath(), QString());
        m_pPrompt->files = {Path(QStringLiteral("saved.db"))};
        Trigger("actionSave");
        QCOMPARE(m_pPrompt->dialogs.size(), size_t(1));
        QVERIFY(m_pPrompt->dialogs[0].bSave);
        QCOMPARE(ProgramNames(Path(QStringLiteral("saved.db"))), ProgramNames(sample));
        QCOMPARE(CopiesIn(Folder()), QStringList({"b.rvr", "c.rvr", "d.rvr"}));
        m_pPrompt->Reset();
        m_pPrompt->questions.clear();

        // Next start: the next newest, declined, then the oldest, accepted.
        NewFrame();
        m_pPrompt->yesNoAnswers = {false, true};
        QVERIFY(m_pFrame->GetRecovery()->OfferStaleCopies());
        QCOMPARE(m_pPrompt->questions,
                 QStringList({"Recovery|Recover the unsaved changes to odd.db from 2020-01-02 03:04?",
                              "Recovery|Recover the unsaved changes to oldest.db from 2020-01-01 03:04?"}));
        QCOMPARE(CodePage::GetAnsiCodePage(), oddInfo.nCodePage);
        QVERIFY(Action(qPrintable(QStringLiteral("actionCodePage%1").arg(oddInfo.nCodePage)))->isChecked());
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
            QCOMPARE(IdsOf(m_pFrame->GetDb()->GetList(nKind)), IdsOf(odd.GetList(nKind)));
            std::vector<int32_t> parents, expected;
            for (const CNode* p : m_pFrame->GetDb()->GetList(nKind))
                parents.push_back(p->GetParentId());
            for (const CNode* p : odd.GetList(nKind))
                expected.push_back(p->GetParentId());
            QCOMPARE(parents, expected);
        }
        QCOMPARE(m_pFrame->GetDocPath(), Path(QStringLiteral("odd.db")));
        QCOMPARE(CopiesIn(Folder()), QStringList({"d.rvr", QFileInfo(CopyPath()).fileName(),
                                                  QFileInfo(CopyPath()).fileName() + ".lock"}));
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
        QVERIFY(m_pFrame->close());
        m_pPrompt->questions.clear();

        // And then only the newer editor's copy is left, which is not offered.
        NewFrame();
        QVERIFY(!m_pFrame->GetRecovery()->OfferStaleCopies());
        QVERIFY(m_pPrompt->questions.isEmpty());
        QCOMPARE(CopiesIn(Folder()), QStringList({"d.rvr"}));
        CodePage::SetAnsiCodePage(nOldCodePage);
    }

    // An editor killed (SIGKILL) after an edit: the next start offers its changes, and Save writes
    // them to the file it had open. The editor is this test program in its child mode.
    void KilledEditorsChangesAreOfferedAndSaved()
    {
        QDir(Folder()).removeRecursively();
        const QString strFile = SampleDbFile();
        const QStringList original = ProgramNames(strFile);

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(CHILD_MODE), strFile});
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        QByteArray line;
        while (!line.endsWith('\n') && child.state() == QProcess::Running)
            if (child.waitForReadyRead(120000) || child.bytesAvailable() > 0)
                line += child.readLine();
            else
                break;
        QCOMPARE(line.trimmed(), QByteArray(CHILD_READY));
        child.kill();
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(ProgramNames(strFile), original); // nothing was saved

        NewFrame();
        m_pPrompt->yesNoAnswers = {true};
        QVERIFY(m_pFrame->GetRecovery()->OfferStaleCopies());
        QCOMPARE(m_pPrompt->questions.size(), 1);
        QVERIFY(m_pPrompt->questions[0].contains(
            QStringLiteral("Recover the unsaved changes to sample.db from ")));
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("sample.db* - Ravelin Advanced"));
        Trigger("actionSave");
        QCOMPARE(ProgramNames(strFile), original.mid(1));
        QVERIFY(!QFileInfo::exists(CopyPath()));
        QVERIFY(CopiesIn(Folder()).isEmpty());
    }
};

namespace {

// The editor that is killed: opens the file, deletes its first program, waits until the recovery
// copy is written, says so on stdout and waits to be killed.
int RunChild(int argc, char** argv)
{
    CPelmoraApp app(argc, argv);
    CQueuePrompt prompt;
    CMainFrame frame(prompt);
    frame.GetRecovery()->SetDelay(50);
    if (!frame.OpenFile(QString::fromLocal8Bit(argv[2])))
        return 1;
    frame.GetListView()->ShowRecords(NODE_PROG, INVALID_ID);
    frame.GetListView()->SelectRow(0);
    frame.GetListView()->DeleteSelected();
    while (!QFileInfo::exists(frame.GetRecovery()->GetCopyPath())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    std::printf("%s\n", CHILD_READY);
    std::fflush(stdout);
    return app.exec();
}

} // namespace

// As RAVELIN_GUI_TEST_MAIN, and the child mode. The child inherits the settings and data folders.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], CHILD_MODE) == 0)
        return RunChild(argc, argv);
    QTemporaryDir settingsDir;
    qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", settingsDir.path().toLocal8Bit());
    CPelmoraApp app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    CRecoveryTest tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "RecoveryTest.moc"
