// Editing in the frame: each Edit command through its action with its undo and redo, the reasons
// of disabled commands, cell editing with refused values, the clipboard between two frames, the
// modified mark following the saved state, and Delete and dragging undone and redone.

#include "FrameTestBase.h"
#include "GuiTestMain.h"

#include "app/ClipboardManager.h"
#include "app/EditActions.h"
#include "db/Columns.h"
#include "edit/RecordSet.h"
#include "platform/CodePage.h"
#include "views/FilterDlg.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/SetFieldDlg.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>

#include <functional>

namespace {

// Every record with its id, parent and bytes, in list order: equal exactly when the databases are.
QByteArray Snapshot(const CProgDb& db)
{
    QByteArray out;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (const CNode* pNode : db.GetList(nKind)) {
            out += QByteArray::number(pNode->GetId()) + '/' + QByteArray::number(pNode->GetParentId()) + ':';
            if (nKind == NODE_SAT)
                out += QByteArray(
                    reinterpret_cast<const char*>(static_cast<const CSatNode*>(pNode)->GetRecord()), 28);
            else if (nKind == NODE_TP)
                out += QByteArray::number(static_cast<const CTpNode*>(pNode)->GetRecord()->dwWord[0]);
            else
                out += QByteArray(
                    reinterpret_cast<const char*>(static_cast<const CProgNode*>(pNode)->GetRecord()), 40);
            out += ';';
        }
        out += '|';
    }
    return out;
}

} // namespace

class CEditTest : public CFrameTestBase
{
    Q_OBJECT

private:
    std::unique_ptr<QAbstractItemModelTester> m_pTester;

    CProgListView* List() const { return m_pFrame->GetListView(); }
    CProgDb& Db() const { return *m_pFrame->GetDb(); }
    QString Status() const { return m_pFrame->statusBar()->currentMessage(); }

    // "Astra" with transponders 0 and 2, "Hot" with 1; programs One, Three, Five on 0, Two on 1,
    // Four on 2. The document is named strName, not yet saved anywhere.
    void Load(CMainFrame& frame, const QString& strName = QStringLiteral("edit.db"))
    {
        struct CBuiltDb : CAccessIn
        {
            bool LoadDb(const std::string&, CProgDb* pDb) override
            {
                AddSat(*pDb, "Astra")->GetRecord()->Set(SatField::LocalFre2, 12); // shown as 5150
                AddSat(*pDb, "Hot");
                AddTp(*pDb, 0, 11747, 27500);
                AddTp(*pDb, 1, 10971, 29700);
                AddTp(*pDb, 0, 12604, 22000);
                for (const auto& [nTp, pszName] :
                     {std::pair{0, "One"}, {1, "Two"}, {0, "Three"}, {2, "Four"}, {0, "Five"}})
                    AddProg(*pDb, nTp, pszName);
                return true;
            }
        } built;
        QVERIFY(frame.LoadPath(built, Path(strName)));
    }
    void Load()
    {
        Load(*m_pFrame);
        m_pTester = std::make_unique<QAbstractItemModelTester>(
            List()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    QStringList Names(NodeType nKind) const
    {
        QStringList out;
        for (const CNode* pNode : Db().GetList(nKind))
            out << (nKind == NODE_TP
                        ? QString::number(pNode->GetId())
                        : QString::fromStdString(GetCellText(*pNode, nKind == NODE_SAT ? 1 : 2)));
        return out;
    }
    QStringList RowNames() const
    {
        QStringList out;
        for (int r = 0; r < List()->GetRowCount(); ++r)
            out << List()->GetModel()->CellText(r, List()->GetNameColumn());
        return out;
    }
    QStringList SelectedNames() const
    {
        QStringList out;
        for (int r : List()->GetSelectedRows())
            out << List()->GetModel()->CellText(r, List()->GetNameColumn());
        return out;
    }
    void Show(NodeType nKind, int32_t nParentId = INVALID_ID)
    {
        QVERIFY(m_pFrame->GetTreeView()->SelectNode(nKind, nParentId));
    }
    void SelectRows(std::initializer_list<int> rows)
    {
        List()->clearSelection();
        for (int r : rows)
            List()->SelectRow(r);
        List()->selectionModel()->setCurrentIndex(List()->model()->index(*rows.begin(), 0),
                                                  QItemSelectionModel::NoUpdate);
    }
    // Types into the open cell editor and presses Enter (a combo box: chooses the text).
    void TypeIntoEditor(const QString& strText)
    {
        QWidget* pEditor = List()->indexWidget(List()->currentIndex());
        if (auto* pCombo = qobject_cast<QComboBox*>(pEditor)) {
            QVERIFY(pCombo->findText(strText) >= 0);
            pCombo->setCurrentIndex(pCombo->findText(strText));
            emit pCombo->activated(pCombo->currentIndex());
            return;
        }
        QVERIFY(qobject_cast<QLineEdit*>(pEditor));
        static_cast<QLineEdit*>(pEditor)->setText(strText);
        QTest::keyClick(pEditor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits after the key
    }

private slots:
    void cleanupTestCase() { m_pTester.reset(); }

    // The Edit menu, its keys, and why each command is disabled before anything is loaded.
    void EditMenuKeysAndReasons()
    {
        m_pTester.reset();
        QStringList texts;
        for (QAction* a : m_pFrame->findChild<QMenu*>(QStringLiteral("menuEdit"))->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(texts, QStringList({"actionUndo",
                                     "actionRedo",
                                     "-",
                                     "actionCut",
                                     "actionCopy",
                                     "actionPaste",
                                     "actionDelete",
                                     "actionDuplicate",
                                     "-",
                                     "actionSelectAll",
                                     "-",
                                     "actionRename",
                                     "actionSetField",
                                     "-",
                                     "actionApplySortOrder",
                                     "-",
                                     "actionNewSatellite",
                                     "actionNewTransponder",
                                     "actionNewProgram",
                                     "-",
                                     "actionTakeOver",
                                     "-",
                                     "actionFind",
                                     "actionFindNext",
                                     "actionFindPrevious"}));
        const struct
        {
            const char* pszAction;
            QStringList keys;
            const char* pszReason;
        } commands[] = {
            {"actionUndo", {"Ctrl+Z", "Alt+Backspace"}, "Undo: there is nothing to undo"},
            {"actionRedo", {"Ctrl+Y", "Ctrl+Shift+Z"}, "Redo: there is nothing to redo"},
            {"actionCut", {"Ctrl+X", "Shift+Del"}, "Cut: no channel list is open"},
            {"actionCopy", {"Ctrl+C", "Ctrl+Ins"}, "Copy: no channel list is open"},
            {"actionPaste", {"Ctrl+V", "Shift+Ins"}, "Paste: no channel list is open"},
            {"actionDelete", {"Del"}, "Delete: no channel list is open"},
            {"actionDuplicate", {"Ctrl+D"}, "Duplicate: no channel list is open"},
            {"actionSelectAll", {"Ctrl+A"}, "Select All: no channel list is open"},
            {"actionRename", {"F2"}, "Rename: no channel list is open"},
            {"actionSetField", {}, "Set Field: no channel list is open"},
            {"actionApplySortOrder", {}, "Apply Sort Order: no channel list is open"},
            {"actionNewSatellite", {}, "New Satellite: no channel list is open"},
        };
        for (const auto& c : commands) {
            QAction* pAction = Action(c.pszAction);
            QVERIFY2(pAction && !pAction->isEnabled(), c.pszAction);
            QStringList keys;
            for (const QKeySequence& k : pAction->shortcuts())
                keys << k.toString();
            QCOMPARE(keys, c.keys);
            QCOMPARE(pAction->statusTip(), QString::fromLatin1(c.pszReason));
        }

        // A disabled command's key says why; hovering it in a menu does too.
        Load();
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        Show(NODE_PROG);
        List()->setFocus();
        QApplication::clipboard()->clear();
        QTest::keyClick(List(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Status(), QStringLiteral("Paste: the clipboard holds no channel records"));
        QTest::keyClick(List(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(Status(), QStringLiteral("Copy: no rows are selected"));
        QCOMPARE(Action("actionNewTransponder")->statusTip(),
                 QStringLiteral("New Transponder: choose a satellite first"));
        QCOMPARE(Action("actionNewProgram")->shortcut(), QKeySequence(Qt::Key_Insert)); // the kind listed
        QMenu* pContext = m_pFrame->GetEditActions()->GetContextMenu();
        QStringList context;
        for (QAction* a : pContext->actions())
            context << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(context, texts.mid(0, texts.size() - 6)); // the Edit menu without Take Over and Find
        pContext->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(pContext));
        QTest::mouseMove(pContext, pContext->actionGeometry(Action("actionNewTransponder")).center());
        QTRY_COMPARE(Status(), QStringLiteral("New Transponder: choose a satellite first"));
        pContext->close();
    }

    // Every command through its action: what it does, and that its undo gives the database back
    // exactly (ids included) with the records selected before, and its redo the state after it.
    void EachCommandThroughItsAction()
    {
        Load();
        CEditActions* pEdit = m_pFrame->GetEditActions();
        const struct
        {
            const char* pszAction;
            std::function<void()> fnPrepare;
            std::function<void()> fnCheck; // after the command
            const char* pszUndo;           // the Undo item afterwards
        } cases[] = {
            {"actionDelete",
             [&] {
                 Show(NODE_PROG);
                 SelectRows({1, 3});
             },
             [&] {
                 QCOMPARE(Names(NODE_PROG), QStringList({"One", "Three", "Five"}));
             },
             "&Undo Delete 2 programs"},
            {"actionCut",
             [&] {
                 Show(NODE_TP, 0);
                 SelectRows({1});
             },
             [&] {
                 QCOMPARE(Names(NODE_PROG), QStringList({"One", "Two", "Three", "Five"}));
                 QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(RECORD_SET_MIME_TYPE));
             },
             "&Undo Cut 1 transponder"},
            {"actionPaste",
             [&] {
                 Show(NODE_PROG, 0);
                 SelectRows({0});
                 Trigger("actionCopy");
                 SelectRows({2});
             },
             [&] {
                 QCOMPARE(RowNames(), QStringList({"One", "Three", "One", "Five"}));
                 QCOMPARE(SelectedNames(), QStringList({"One"}));
                 QCOMPARE(List()->GetRowId(2), 5); // a fresh id
             },
             "&Undo Paste 1 program"},
            {"actionDuplicate",
             [&] {
                 Show(NODE_SAT);
                 SelectRows({0});
             },
             [&] {
                 QCOMPARE(Names(NODE_SAT), QStringList({"Astra", "Astra", "Hot"}));
                 QCOMPARE(Db().GetTpList().GetCount(), 5);
                 QCOMPARE(Db().GetProgList().GetCount(), 9);
                 QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->childCount(), 3);
             },
             "&Undo Duplicate 1 satellite"},
            {"actionSetField",
             [&] {
                 Show(NODE_PROG);
                 SelectRows({0, 4});
                 pEdit->SetFieldDlgRunner([](CSetFieldDlg& dlg) {
                     dlg.SetColumn(3); // VPID
                     dlg.GetValueCombo()->setEditText(QStringLiteral("9000"));
                     dlg.OnOK();
                     if (dlg.GetMessageLabel()->text() !=
                         QStringLiteral("VPID: 9000 is out of range; enter 0 to 8191 (0x0 to 0x1FFF)"))
                         return -1;
                     dlg.GetValueCombo()->setEditText(QStringLiteral("0x100"));
                     dlg.OnOK();
                     return dlg.result();
                 });
             },
             [&] {
                 QCOMPARE(List()->GetModel()->CellText(0, 3), QStringLiteral("256"));
                 QCOMPARE(List()->GetModel()->CellText(1, 3), QStringLiteral("0"));
                 QCOMPARE(List()->GetModel()->CellText(4, 3), QStringLiteral("256"));
             },
             "&Undo Set VPID on 2 programs"},
            {"actionNewSatellite", [&] { Show(NODE_PROG, 1); },
             [&] {
                 QCOMPARE(RowNames(), QStringList({"Astra", "Hot", "New Satellite"}));
                 QCOMPARE(List()->GetModel()->CellText(2, 3) + "/" + List()->GetModel()->CellText(2, 4),
                          QStringLiteral("9750/10600"));
                 QVERIFY(List()->IsEditing()); // the name open
                 TypeIntoEditor(QStringLiteral("Thor"));
             },
             "&Undo Rename 1 satellite"},
            {"actionNewTransponder",
             [&] {
                 Show(NODE_SAT);
                 SelectRows({1});
             },
             [&] {
                 QCOMPARE(List()->GetKind(), int32_t(NODE_TP));
                 QCOMPARE(List()->GetParentId(), 1);
                 QCOMPARE(List()->GetSelectedRows(), std::vector<int>({1}));
                 QCOMPARE(List()->currentIndex().column(), 2); // the frequency open
                 TypeIntoEditor(QStringLiteral("12188"));
                 QCOMPARE(m_pFrame->GetTreeView()->currentItem()->child(1)->text(0),
                          QStringLiteral("5-12188-0"));
             },
             "&Undo Set Frequency on 1 transponder"},
            {"actionNewProgram", [&] { Show(NODE_PROG, 2); },
             [&] {
                 QCOMPARE(RowNames(), QStringList({"Four", "New Program"}));
                 TypeIntoEditor(QStringLiteral("Sport"));
             },
             "&Undo Rename 1 program"},
            {"actionRename",
             [&] {
                 Show(NODE_PROG, 1);
                 SelectRows({0});
             },
             [&] {
                 TypeIntoEditor(QStringLiteral("Zwei"));
                 QCOMPARE(
                     Names(NODE_PROG),
                     QStringList({"One", "Two", "Three", "Four", "Five"}).replaceInStrings("Two", "Zwei"));
             },
             "&Undo Rename 1 program"},
        };
        for (const auto& c : cases) {
            c.fnPrepare();
            const QByteArray before = Snapshot(Db());
            const QStringList selectedBefore = SelectedNames();
            const auto place = std::pair(List()->GetKind(), List()->GetParentId());
            Trigger(c.pszAction);
            c.fnCheck();
            QCOMPARE(Action("actionUndo")->text(), QString::fromLatin1(c.pszUndo));
            const QByteArray after = Snapshot(Db());
            QVERIFY2(after != before, c.pszAction);
            const QStringList selectedAfter = SelectedNames();

            Trigger("actionUndo");
            if (QString::fromLatin1(c.pszAction).startsWith("actionNew")) // New and the name typed
                Trigger("actionUndo");
            QVERIFY2(Snapshot(Db()) == before, c.pszAction);
            if (place == std::pair(List()->GetKind(), List()->GetParentId())) // not moved to the new record
                QCOMPARE(SelectedNames(), selectedBefore);
            QCOMPARE(List()->GetCurrentRow(),
                     List()->GetSelectedRows().empty() ? -1 : List()->GetSelectedRows()[0]);
            Trigger("actionRedo");
            if (QString::fromLatin1(c.pszAction).startsWith("actionNew"))
                Trigger("actionRedo");
            QVERIFY2(Snapshot(Db()) == after, c.pszAction);
            QCOMPARE(SelectedNames(), selectedAfter);
            Trigger("actionUndo"); // the next case starts from the same records
            if (QString::fromLatin1(c.pszAction).startsWith("actionNew"))
                Trigger("actionUndo");
        }
        Show(NODE_PROG);
        Trigger("actionSelectAll");
        QCOMPARE(int(List()->GetSelectedRows().size()), List()->GetRowCount());
    }

    // A typed value is read with the column's rules; a refused one changes nothing and says why.
    void CellEditingKeepsRefusedValues()
    {
        CodePage::SetAnsiCodePage(1252);
        Load();
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        const struct
        {
            NodeType nKind;
            int nColumn;
            QString strTyped;
            QString strShown; // afterwards
            QString strStatus;
        } cases[] = {
            {NODE_PROG, 2, QString::fromUtf8("Новости"), "One",
             QString::fromUtf8("ProgName: \"Н\" has no byte in code page 1252")},
            {NODE_PROG, 2, "A name of 22 bytes ...", "One",
             "ProgName: the name takes 22 bytes in code page 1252; at most 21 fit"},
            {NODE_PROG, 3, "8192", "0", "VPID: 8192 is out of range; enter 0 to 8191 (0x0 to 0x1FFF)"},
            {NODE_PROG, 4, "x", "0", "APID: \"x\" is not a number; enter 0 to 8191 (0x0 to 0x1FFF)"},
            {NODE_PROG, 3, " 0x1fFF ", "8191", ""},
            {NODE_SAT, 1, QString::fromUtf8("Crème"), QString::fromUtf8("Crème"), ""},
            {NODE_SAT, 3, "10600", "10600", ""},
            {NODE_SAT, 4, "5150", "5150", ""}, // as shown: the index outside the table stays
            {NODE_TP, 4, "V", "1", ""},
        };
        for (const auto& c : cases) {
            Show(c.nKind, c.nKind == NODE_SAT ? INVALID_ID : 0);
            m_pFrame->statusBar()->clearMessage();
            List()->EditCell(0, c.nColumn);
            QVERIFY(List()->IsEditing());
            TypeIntoEditor(c.strTyped);
            QCOMPARE(List()->GetModel()->CellText(0, c.nColumn), c.strShown);
            QCOMPARE(Status(), c.strStatus);
        }
        QCOMPARE(m_pFrame->GetEditHistory().GetUndoCount(), size_t(4));
        QCOMPARE(static_cast<CSatNode*>(Db().GetSatList().Find(0))->GetRecord()->Get(SatField::LocalFre2),
                 12u);
        // Ids, parents and the links are never typed in.
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
            Show(nKind, nKind == NODE_SAT ? INVALID_ID : 0);
            for (int c = 0; c < List()->model()->columnCount(); ++c)
                QCOMPARE(List()->IsCellEditable(0, c), !GetColumn(nKind, c)->bReadOnly);
        }
        // A window destroyed with an editor open: the editor loses the focus after the database
        // went, and must write nothing (ASan).
        Show(NODE_PROG, 0);
        List()->EditCell(0, 2);
        auto* pEditor = qobject_cast<QLineEdit*>(List()->indexWidget(List()->currentIndex()));
        QVERIFY(pEditor);
        pEditor->setFocus();
        pEditor->setText(QStringLiteral("Gone"));
        m_pTester.reset();
        m_pFrame.reset();
    }

    // Records copied in one frame are pasted in another through the process's clipboard; a paste
    // that does not fit where it goes says why.
    void PasteBetweenTwoFrames()
    {
        Load();
        Show(NODE_SAT);
        SelectRows({0});
        Trigger("actionCopy");
        QCOMPARE(Status(), QStringLiteral("Copied 1 satellite"));
        QCOMPARE(QApplication::clipboard()->text().section('\n', 0, 1),
                 QStringLiteral(
                     "SatID\tName\tLongitude\tLocalFre1\tLocalFre2\t12V\t22K\tDiSEqC\tDiSEqC12\tDirection\t"
                     "LnbTpype\tDisEqC Motor\tTunerSel\n0\tAstra\t0\t5150\t5150\t0\t0\t0\t0\t0\t0\t0\t0"));

        CMainFrame other(*m_pPrompt);
        Load(other, QStringLiteral("other.db"));
        auto* pPaste = other.findChild<QAction*>(QStringLiteral("actionPaste"));
        QVERIFY(pPaste->isEnabled());
        pPaste->trigger(); // a satellite goes at the end, wherever the list is
        const CProgDb& db = *other.GetDb();
        QCOMPARE(db.GetSatList().GetCount(), 3);
        const CNode* pSat = *std::prev(db.GetSatList().end());
        QCOMPARE(pSat->GetId(), 2);
        QCOMPARE(db.GetTpList().GetCountByParent(2), 2);
        QCOMPARE(db.GetProgList().GetCount(), 9);
        QCOMPARE(other.GetListView()->GetKind(), int32_t(NODE_SAT));
        QCOMPARE(other.GetListView()->GetSelectedRows(), std::vector<int>({2}));
        QVERIFY(other.IsModified());

        // Programs need a transponder: with a satellite chosen they are refused.
        Show(NODE_PROG, 1);
        SelectRows({0});
        Trigger("actionCopy");
        other.GetTreeView()->SelectNode(NODE_SAT, INVALID_ID);
        other.GetListView()->SelectRow(0);
        pPaste->trigger();
        QCOMPARE(other.statusBar()->currentMessage(),
                 QStringLiteral("Paste: programs can only be pasted into a transponder"));
        QCOMPARE(db.GetProgList().GetCount(), 9);
        // Bytes that are no record set are refused too.
        auto* pData = new QMimeData;
        pData->setData(RECORD_SET_MIME_TYPE, "RvRS junk");
        QApplication::clipboard()->setMimeData(pData);
        QVERIFY(!pPaste->isEnabled());
        QVERIFY(!m_pFrame->GetClipboard()->HasRecords());
    }

    // The mark of unsaved changes follows the saved state through undo and redo.
    void ModifiedFollowsTheSavedState()
    {
        Load();
        QSignalSpy changed(m_pFrame.get(), &CMainFrame::ModifiedChanged);
        Show(NODE_PROG);
        SelectRows({0});
        Trigger("actionDelete");
        QVERIFY(m_pFrame->IsModified());
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("edit.db* - Ravelin Advanced"));
        Trigger("actionUndo");
        QVERIFY(!m_pFrame->IsModified());
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("edit.db - Ravelin Advanced"));
        Trigger("actionRedo");
        m_pPrompt->files = {Path(QStringLiteral("saved.db"))};
        Trigger("actionSave");
        QVERIFY(!m_pFrame->IsModified());
        Trigger("actionUndo"); // before the saved state: modified again
        QVERIFY(m_pFrame->IsModified());
        QCOMPARE(changed.count(), 5);
        Trigger("actionRedo");
        m_pFrame->show();
        QVERIFY(m_pFrame->close()); // nothing to ask
        QCOMPARE(m_pPrompt->nSaveQuestions, 0);
        // A name being typed is set before the question.
        m_pFrame->show();
        List()->EditCell(0, 2);
        qobject_cast<QLineEdit*>(List()->indexWidget(List()->currentIndex()))->setText(QStringLiteral("Uno"));
        m_pPrompt->saveAnswers = {IPrompt::CHOICE_DISCARD};
        QVERIFY(m_pFrame->close());
        QCOMPARE(m_pPrompt->nSaveQuestions, 1);
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Rename 1 program"));
        // A load empties the history.
        m_pTester.reset();
        NewFrame();
        Load();
        QVERIFY(!Action("actionUndo")->isEnabled());
    }

    // Deleting a satellite and dragging programs, each undone and redone: the tree keeps its
    // expanded nodes, a filtered list keeps its narrowing, the records come back selected.
    void DeleteAndDragUndoAndRedo()
    {
        Load();
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        CProgBrowseView* pTree = m_pFrame->GetTreeView();
        pTree->GetSatGroupItem()->child(1)->setExpanded(true);
        Show(NODE_SAT);
        SelectRows({0});
        QTest::keyClick(List(), Qt::Key_Delete);
        QCOMPARE(Names(NODE_PROG), QStringList({"Two"}));
        Trigger("actionUndo");
        QCOMPARE(pTree->GetSatGroupItem()->childCount(), 2);
        QVERIFY(pTree->GetSatGroupItem()->child(1)->isExpanded());
        QCOMPARE(SelectedNames(), QStringList({"Astra"}));
        QCOMPARE(Names(NODE_PROG), QStringList({"One", "Two", "Three", "Four", "Five"}));

        // Drag "Five" before "One" in a list filtered to transponder 0's programs.
        Show(NODE_PROG);
        List()->SetFilterDlgRunner([](CFilterDlg& dlg) {
            dlg.OnInitDialog();
            dlg.GetColumnCombo()->setCurrentIndex(1);
            dlg.GetValueEdit()->setText(QStringLiteral("0"));
            dlg.OnAdd();
            dlg.OnOK();
            return dlg.result();
        });
        List()->OnFilter();
        QCOMPARE(RowNames(), QStringList({"One", "Three", "Five"}));
        SelectRows({2});
        const QPoint ptFrom = List()->visualRect(List()->model()->index(2, 1)).center();
        const QPoint ptTo = List()->visualRect(List()->model()->index(0, 1)).center();
        QTest::mousePress(List()->viewport(), Qt::LeftButton, Qt::NoModifier, ptFrom);
        QTest::mouseMove(List()->viewport(), ptFrom + QPoint(QApplication::startDragDistance() + 2, 0));
        QTest::mouseMove(List()->viewport(), ptTo);
        QTest::mouseRelease(List()->viewport(), Qt::LeftButton, Qt::NoModifier, ptTo);
        QCOMPARE(Names(NODE_PROG), QStringList({"Five", "One", "Two", "Three", "Four"}));
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Move 1 program"));
        Trigger("actionUndo");
        QCOMPARE(Names(NODE_PROG), QStringList({"One", "Two", "Three", "Four", "Five"}));
        QVERIFY(List()->IsFiltered());
        QCOMPARE(RowNames(), QStringList({"One", "Three", "Five"}));
        QCOMPARE(SelectedNames(), QStringList({"Five"}));
        Trigger("actionRedo");
        QCOMPARE(RowNames(), QStringList({"Five", "One", "Three"}));
        // A delete in the filtered list, undone: the rows come back into the narrowed list only.
        SelectRows({0, 1});
        Trigger("actionDelete");
        QCOMPARE(RowNames(), QStringList({"Three"}));
        Trigger("actionUndo");
        QCOMPARE(RowNames(), QStringList({"Five", "One", "Three"}));
        QCOMPARE(SelectedNames(), QStringList({"Five", "One"}));
    }
};

RAVELIN_GUI_TEST_MAIN(CEditTest)
#include "EditTest.moc"
