// The list tools in the editor: sorting by a heading and Apply Sort Order, Find with its field and
// F3, the keyboard's moves, Check Database with its dialog, and the JSON file commands.

#include "FrameTestBase.h"
#include "GuiTestMain.h"

#include "app/CheckDlg.h"
#include "app/EditActions.h"
#include "db/Columns.h"
#include "views/FilterDlg.h"
#include "views/LocaleCollation.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

namespace {

const int NAME = 2;       // ProgName
const int SERVICE_ID = 9; // ServiceId

// Programs 0..6 in list order: (transponder, name, ServiceId). Program 6 repeats the ServiceId of
// program 0 on transponder 0, which Check Database finds and can fix.
const struct
{
    int32_t nTp;
    const char* pszName;
    uint32_t nServiceId;
} PROGS[] = {{0, "beta", 10}, {0, "Alpha", 9},   {1, "delta", 100}, {1, "alpha two", 2},
             {2, "Gamma", 5}, {2, "BBC One", 6}, {0, "bbc two", 10}};

} // namespace

class CListToolsTest : public CFrameTestBase
{
    Q_OBJECT

private:
    CProgListView* List() const { return m_pFrame->GetListView(); }

    // Opens the database of PROGS from a .db file and lists what nKind/nParentId names.
    void OpenDb(int32_t nKind = NODE_PROG, int32_t nParentId = INVALID_ID)
    {
        CProgDb db;
        AddSat(db, "Hot");
        AddSat(db, "Astra");
        AddTp(db, 0, 11747, 27500);
        AddTp(db, 0, 10971, 29700);
        AddTp(db, 1, 12000, 27500);
        for (const auto& p : PROGS)
            AddProg(db, p.nTp, p.pszName)->GetRecord()->Set(ProgField::ServiceId, p.nServiceId);
        const QString strPath = Path(QStringLiteral("tools.db"));
        QVERIFY(CAccessDbOut().SaveDb(strPath.toStdString(), &db));
        QVERIFY(m_pFrame->OpenFile(strPath));
        m_pFrame->show();
        QVERIFY(m_pFrame->GetTreeView()->SelectNode(nKind, nParentId));
    }

    // The names (or another column) of the rows, and of the programs in database order.
    QStringList Rows(int nColumn = NAME) const
    {
        QStringList out;
        for (int r = 0; r < List()->GetRowCount(); ++r)
            out << List()->GetModel()->CellText(r, nColumn);
        return out;
    }
    QStringList DbNames() const
    {
        QStringList out;
        for (const CNode* p : m_pFrame->GetDb()->GetProgList())
            out << QString::fromStdString(GetNodeName(*p));
        return out;
    }
    QStringList Selected() const
    {
        QStringList out;
        for (int r : List()->GetSelectedRows())
            out << List()->GetModel()->CellText(r, List()->GetNameColumn());
        return out;
    }
    void ClickHeading(int nColumn)
    {
        QHeaderView* pHeader = List()->horizontalHeader();
        QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {},
                          QPoint(pHeader->sectionViewportPosition(nColumn) + 5, pHeader->height() / 2));
    }
    QString Status() const { return m_pFrame->findChild<QLabel*>("messagePane")->text(); }
    QString Message() const { return m_pFrame->statusBar()->currentMessage(); }

private slots:
    void HeadingClicksSortReverseAndRestore()
    {
        OpenDb();
        QAbstractItemModelTester tester(List()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QStringList dbOrder = {"beta", "Alpha", "delta", "alpha two", "Gamma", "BBC One", "bbc two"};
        const QStringList byName = {"Alpha", "alpha two", "BBC One", "bbc two", "beta", "delta", "Gamma"};
        QHeaderView* pHeader = List()->horizontalHeader();
        QCOMPARE(Rows(), dbOrder);

        // Ascending, descending, database order; names without case, in the locale's order.
        List()->SelectRow(3); // "alpha two" stays selected through the sorts
        ClickHeading(NAME);
        QCOMPARE(Rows(), byName);
        QCOMPARE(pHeader->sortIndicatorSection(), NAME);
        QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(Selected(), QStringList({"alpha two"}));
        QVERIFY(Action("actionApplySortOrder")->isEnabled());
        ClickHeading(NAME);
        QStringList reversed = byName;
        std::reverse(reversed.begin(), reversed.end());
        QCOMPARE(Rows(), reversed);
        QCOMPARE(pHeader->sortIndicatorOrder(), Qt::DescendingOrder);
        ClickHeading(NAME);
        QCOMPARE(Rows(), dbOrder);
        QCOMPARE(pHeader->sortIndicatorSection(), -1);
        QVERIFY(!List()->IsSorted());
        QVERIFY(!Action("actionApplySortOrder")->isEnabled());

        // Numbers as numbers, equal values in database order either way.
        List()->SortByColumn(SERVICE_ID, false);
        QCOMPARE(Rows(SERVICE_ID), QStringList({"2", "5", "6", "9", "10", "10", "100"}));
        QCOMPARE(Rows().mid(4, 2), QStringList({"beta", "bbc two"}));
        List()->SortByColumn(SERVICE_ID, true);
        QCOMPARE(Rows().mid(1, 2), QStringList({"beta", "bbc two"}));

        // While sorted, nothing is reordered by hand, and the status bar says why.
        ClickHeading(NAME);
        QCOMPARE(List()->GetSortColumn(), NAME);
        List()->clearSelection();
        List()->SelectRow(2);
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(Message(), CProgListView::SortedViewMessage());
        m_pFrame->statusBar()->clearMessage();
        List()->BeginDrag(2, QPoint(5, 5));
        QVERIFY(!List()->IsDragging());
        QCOMPARE(Message(), CProgListView::SortedViewMessage());
        QCOMPARE(DbNames(), dbOrder);

        // The sort holds through an edit and its undo.
        QVERIFY(List()->SetCellText(5, NAME, QStringLiteral("aardvark"))); // was "delta"
        QCOMPARE(Rows().first(), QStringLiteral("aardvark"));
        QCOMPARE(Selected(), QStringList({"BBC One"}));
        Trigger("actionUndo");
        QCOMPARE(Rows(), byName);

        // Apply Sort Order: the database follows the rows, as one step; the view is unsorted then.
        Trigger("actionApplySortOrder");
        QCOMPARE(DbNames(), byName);
        QCOMPARE(Rows(), byName);
        QVERIFY(!List()->IsSorted());
        QCOMPARE(pHeader->sortIndicatorSection(), -1);
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Sort 7 programs"));
        Trigger("actionUndo");
        QCOMPARE(DbNames(), dbOrder);
        QCOMPARE(Rows(), dbOrder);

        // Another tree node ends the sort.
        ClickHeading(NAME);
        QVERIFY(m_pFrame->GetTreeView()->SelectNode(NODE_PROG, 0));
        QVERIFY(!List()->IsSorted());
        QCOMPARE(Rows(), QStringList({"beta", "Alpha", "bbc two"}));
    }

    void FindNarrowsCombinesAndSteps()
    {
        OpenDb();
        QAbstractItemModelTester tester(List()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QLineEdit* pEdit = m_pFrame->GetFindEdit();
        Trigger("actionFind");
        QTest::keyClicks(pEdit, QStringLiteral("Bb"));
        QCOMPARE(Rows(), QStringList({"BBC One", "bbc two"}));
        QCOMPARE(Status(), QStringLiteral("Find: 2 of 7 programs"));
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QCOMPARE(Rows(), QStringList({"beta", "BBC One", "bbc two"}));

        // With a filter (programs of transponder 0) and a sort.
        List()->SetFilterDlgRunner([](CFilterDlg& dlg) {
            dlg.OnInitDialog();
            dlg.GetColumnCombo()->setCurrentIndex(1); // TpID
            dlg.GetValueEdit()->setText(QStringLiteral("0"));
            QTest::mouseClick(dlg.GetAddButton(), Qt::LeftButton);
            QTest::mouseClick(dlg.GetOkButton(), Qt::LeftButton);
            return dlg.result();
        });
        Trigger("actionFilter");
        QCOMPARE(Rows(), QStringList({"beta", "bbc two"}));
        QCOMPARE(Status(), QStringLiteral("Filter: 3 of 7 programs; Find: 2 of 3"));
        List()->SortByColumn(NAME, false);
        QCOMPARE(Rows(), QStringList({"bbc two", "beta"}));

        // Enter shows the unnarrowed rows and selects a match; F3 and Shift+F3 go round them.
        QVERIFY(!Action("actionFindNext")->isEnabled());
        QTest::keyClick(pEdit, Qt::Key_Return);
        QCOMPARE(Rows(), QStringList({"Alpha", "bbc two", "beta"}));
        QCOMPARE(Selected(), QStringList({"bbc two"}));
        Trigger("actionFindNext");
        QCOMPARE(Selected(), QStringList({"beta"}));
        Trigger("actionFindNext");
        QCOMPARE(Selected(), QStringList({"bbc two"}));
        Trigger("actionFindPrevious");
        QCOMPARE(Selected(), QStringList({"beta"}));
        QVERIFY(Status().startsWith(QStringLiteral("Filter: 3 of 7 programs; Find: 2 of 3 (F3")));

        // Typing narrows again; Escape in the list ends Find, then the filter; Escape in the field
        // clears it.
        QTest::keyClicks(pEdit, QStringLiteral("e"));
        QCOMPARE(Rows(), QStringList({"beta"}));
        QVERIFY(!Action("actionFindNext")->isEnabled());
        QTest::keyClick(List(), Qt::Key_Escape);
        QCOMPARE(pEdit->text(), QString());
        QCOMPARE(Rows(), QStringList({"Alpha", "bbc two", "beta"}));
        QTest::keyClick(List(), Qt::Key_Escape);
        QCOMPARE(Rows().size(), 7);
        QCOMPARE(Status(), QStringLiteral("Ready"));
        QTest::keyClicks(pEdit, QStringLiteral("zz"));
        QCOMPARE(Rows(), QStringList());
        QTest::keyClick(pEdit, Qt::Key_Escape);
        QCOMPARE(pEdit->text(), QString());
        QCOMPARE(Rows().size(), 7);

        // A rename that makes a row match shows it in its sorted place: the names Find keeps follow
        // every command.
        QTest::keyClicks(pEdit, QStringLiteral("mm"));
        QCOMPARE(Rows(), QStringList({"Gamma"}));
        List()->ClearFind();
        QVERIFY(List()->SetCellText(0, NAME, QStringLiteral("Hammer"))); // was "Alpha"
        List()->SetFindText(QStringLiteral("mm"));
        QCOMPARE(Rows(), QStringList({"Gamma", "Hammer"}));
    }

    // Names in the order a reader expects: without case and accents first, numbers by their value,
    // so "Channel 2" comes before "Channel 10".
    void NamesSortWithoutCaseAndWithNumbersByValue()
    {
        const std::vector<std::string> names = {"Channel 10",
                                                "channel 2",
                                                "\xC3\x89"
                                                "clair",
                                                "eclair b",
                                                "Channel 1",
                                                "zulu",
                                                "Alpha"};
        const std::vector<size_t> expected = {6, 4, 1, 0, 2, 3, 5};
        for (const QLocale& locale : {QLocale(QLocale::C), QLocale(QLocale::German, QLocale::Germany)}) {
            CLocaleCollation collation(locale);
            collation.Prepare(names);
            std::vector<size_t> order(names.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::stable_sort(order.begin(), order.end(),
                             [&](size_t a, size_t b) { return collation.Compare(a, b) < 0; });
            QCOMPARE(order, expected);
        }
    }

    void KeyboardMovesAreUndoableAndTheTreeFollows()
    {
        OpenDb(NODE_PROG, 0); // beta, Alpha, bbc two at places 0, 1, 6 of the program list
        List()->SelectRow(2);
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(Rows(), QStringList({"beta", "bbc two", "Alpha"}));
        QCOMPARE(Selected(), QStringList({"bbc two"}));
        QCOMPARE(List()->GetCurrentRow(), 1);
        QCOMPARE(DbNames(),
                 QStringList({"beta", "bbc two", "delta", "alpha two", "Gamma", "BBC One", "Alpha"}));
        QTest::keyClick(List(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(Rows(), QStringList({"bbc two", "beta", "Alpha"}));
        QTest::keyClick(List(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(Rows(), QStringList({"beta", "Alpha", "bbc two"}));
        QTest::keyClick(List(), Qt::Key_Down, Qt::ControlModifier); // already at the bottom
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Move 1 program"));
        Trigger("actionUndo");
        Trigger("actionUndo");
        QCOMPARE(Rows(), QStringList({"beta", "bbc two", "Alpha"}));
        Trigger("actionUndo");
        QCOMPARE(DbNames(),
                 QStringList({"beta", "Alpha", "delta", "alpha two", "Gamma", "BBC One", "bbc two"}));
        QCOMPARE(Selected(), QStringList({"bbc two"}));

        // Narrowed by Find, the shown records move among the places they hold.
        List()->SetFindText(QStringLiteral("b"));
        QCOMPARE(Rows(), QStringList({"beta", "bbc two"}));
        List()->clearSelection();
        List()->SelectRow(1);
        QVERIFY(List()->MoveSelected(ROW_MOVE_UP));
        QCOMPARE(Rows(), QStringList({"bbc two", "beta"}));
        QCOMPARE(DbNames().first(), QStringLiteral("bbc two"));
        List()->ClearFind();

        // Satellites: the tree follows.
        QVERIFY(m_pFrame->GetTreeView()->SelectNode(NODE_SAT, INVALID_ID));
        List()->SelectRow(1);
        QVERIFY(List()->MoveSelected(ROW_MOVE_TOP));
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(0)->text(0), QStringLiteral("Astra"));
        Trigger("actionUndo");
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(0)->text(0), QStringLiteral("Hot"));
    }

    void CheckDialogShowsRecordsAndFixes()
    {
        OpenDb(NODE_SAT, INVALID_ID);
        List()->SetFindText(QStringLiteral("gamma")); // hides the record the check names
        Trigger("actionCheckDb");
        CCheckDlg* pDlg = m_pFrame->GetCheckDlg();
        QVERIFY(pDlg && pDlg->isVisible());
        QCOMPARE(pDlg->GetFindings().size(), size_t(1));
        QCOMPARE(
            pDlg->GetList()->item(0)->text(),
            QStringLiteral("program 6: same ServiceId 10 as program 0 on transponder 0 (fix: remove it)"));

        // A double click shows the record: its transponder in the tree, its row selected.
        QListWidget* pLines = pDlg->GetList();
        const QPoint pt = pLines->visualItemRect(pLines->item(0)).center();
        QTest::mousePress(pLines->viewport(), Qt::LeftButton, {}, pt);
        QTest::mouseRelease(pLines->viewport(), Qt::LeftButton, {}, pt);
        QTest::mouseDClick(pLines->viewport(), Qt::LeftButton, {}, pt);
        QTest::mouseRelease(pLines->viewport(), Qt::LeftButton, {}, pt);
        QTreeWidgetItem* pNode = m_pFrame->GetTreeView()->currentItem();
        QVERIFY(pNode);
        QCOMPARE(pNode->data(0, CProgBrowseView::ROLE_IMAGE).toInt(), int(CProgBrowseView::IMAGE_TP));
        QCOMPARE(pNode->data(0, CProgBrowseView::ROLE_ID).toInt(), 0);
        QCOMPARE(List()->GetFindText(), QString());
        QCOMPARE(Rows(), QStringList({"beta", "Alpha", "bbc two"}));
        QCOMPARE(Selected(), QStringList({"bbc two"}));

        // Fix is one step; the dialog follows the fix, its undo and a redo.
        QTest::mouseClick(pDlg->GetFixButton(), Qt::LeftButton);
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 6);
        QCOMPARE(Rows(), QStringList({"beta", "Alpha"}));
        QCOMPARE(pDlg->GetSummary(), QStringLiteral("No problems found"));
        QVERIFY(!pDlg->GetFixButton()->isEnabled());
        pDlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pDlg));
        QTest::keyClick(pDlg->GetList(), Qt::Key_Z, Qt::ControlModifier); // Undo from the dialog
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 7);
        QCOMPARE(pDlg->GetSummary(), QStringLiteral("1 problem found, 1 can be fixed"));
        Trigger("actionRedo");
        QCOMPARE(pDlg->GetFindings().size(), size_t(0));

        // A record that is gone is said to be gone.
        Trigger("actionUndo");
        m_pFrame->SelectRecord(NODE_PROG, 6, 99);
        QCOMPARE(Message(), QStringLiteral("The record is no longer in the database"));
        // A load refreshes the open dialog.
        QVERIFY(m_pFrame->OpenSample());
        QCOMPARE(pDlg->GetList()->item(0)->text(),
                 QString::fromStdString(FindingLine(CheckDb(*m_pFrame->GetDb()).at(0))));
    }

    void JsonCommandsRoundTrip()
    {
        const QString strFilter = QStringLiteral("JSON File(*.json);;All Files (*.*)");
        OpenDb();
        const QString strJson = Path(QStringLiteral("list.json"));
        m_pPrompt->Reset();
        m_pPrompt->files = {strJson};
        Trigger("actionSaveAsJson");
        QCOMPARE(m_pPrompt->dialogs.at(0).strDefaultName, QStringLiteral("DefaultDb.json"));
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, strFilter);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Save default program finished!"));
        QVERIFY(ReadAll(strJson).contains("\"bbc two\""));
        m_pPrompt->Reset();

        QVERIFY(m_pFrame->OpenSample());
        m_pPrompt->files = {strJson};
        Trigger("actionOpenJson");
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, strFilter);
        QCOMPARE(m_pPrompt->Only(), QString());
        QCOMPARE(DbNames(),
                 QStringList({"beta", "Alpha", "delta", "alpha two", "Gamma", "BBC One", "bbc two"}));
        QCOMPARE(m_pFrame->GetDb()->GetTpList().GetCount(), 3);
        QCOMPARE(m_pFrame->GetDocFormat(), std::string("json"));
        // The .db bytes of what came back equal those of the original.
        const QString strDb = Path(QStringLiteral("back.db"));
        QVERIFY(CAccessDbOut().SaveDb(strDb.toStdString(), m_pFrame->GetDb()));
        QCOMPARE(ReadAll(strDb), ReadAll(Path(QStringLiteral("tools.db"))));
    }
};

RAVELIN_GUI_TEST_MAIN(CListToolsTest)
#include "ListToolsTest.moc"
