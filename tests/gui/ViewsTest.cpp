// The tree pane and the list pane together, without a frame: tree contents, what each tree node
// lists, columns and cell texts, and Delete with its cascade and reselect rules.

#include "GuiTestMain.h"
#include "TestDb.h"

#include "platform/CodePage.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

QStringList Headings(const CProgListView& list)
{
    QStringList out;
    const QAbstractItemModel* pModel = list.model();
    for (int c = 0; c < pModel->columnCount(); ++c)
        out << pModel->headerData(c, Qt::Horizontal).toString();
    return out;
}

QStringList Row(const CProgListView& list, int nRow)
{
    QStringList out;
    const QAbstractItemModel* pModel = list.model();
    for (int c = 0; c < pModel->columnCount(); ++c)
        out << pModel->data(pModel->index(nRow, c)).toString();
    return out;
}

// Column 0 of every row: the record ids, in row order.
QStringList Ids(const CProgListView& list)
{
    QStringList out;
    for (int r = 0; r < list.GetRowCount(); ++r)
        out << list.model()->data(list.model()->index(r, 0)).toString();
    return out;
}

QStringList Children(const QTreeWidgetItem* pItem)
{
    QStringList out;
    for (int i = 0; i < pItem->childCount(); ++i)
        out << pItem->child(i)->text(0);
    return out;
}

QStringList Names(const CNodeList& list)
{
    QStringList out;
    for (const CNode* pNode : list) {
        if (pNode->GetType() == NODE_SAT)
            out << QString::fromStdString(static_cast<const CSatNode*>(pNode)->GetRecord()->GetName());
        else if (pNode->GetType() == NODE_PROG)
            out << QString::fromStdString(static_cast<const CProgNode*>(pNode)->GetRecord()->GetName());
        else
            out << QString::number(pNode->GetId());
    }
    return out;
}

} // namespace

class CViewsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CProgDb> m_pDb;
    std::unique_ptr<CProgBrowseView> m_pTree;
    std::unique_ptr<CProgListView> m_pList;
    std::unique_ptr<QAbstractItemModelTester> m_pTester;

    // Two satellites; "Astra" has transponders 0 and 2 (programs on both), "Hot" has 1; a fourth
    // transponder belongs to no satellite and carries one program.
    void BuildDb()
    {
        CProgDb& db = *m_pDb;
        AddSat(db, "Astra");
        AddSat(db, "Hot");
        AddTp(db, 0, 11747, 27500, 1);
        AddTp(db, 1, 10971, 29700);
        AddTp(db, 0, 12604, 22000);
        AddTp(db, 9, 4000, 1000);
        AddProg(db, 0, "One");
        AddProg(db, 1, "Two");
        AddProg(db, 0, "Three");
        AddProg(db, 2, "Four");
        AddProg(db, 3, "Orphan");
    }

    void Select(QTreeWidgetItem* pItem) { m_pTree->setCurrentItem(pItem); }
    QTreeWidgetItem* SatItem(int i) { return m_pTree->GetSatGroupItem()->child(i); }

    void SelectRows(std::initializer_list<int> rows)
    {
        m_pList->clearSelection();
        for (int r : rows)
            m_pList->SelectRow(r);
    }

private slots:
    void init()
    {
        m_pDb = std::make_unique<CProgDb>();
        m_pTree = std::make_unique<CProgBrowseView>();
        m_pList = std::make_unique<CProgListView>();
        // Wired as the frame wires them.
        connect(m_pTree.get(), &CProgBrowseView::RecordsRequested, m_pList.get(),
                &CProgListView::ShowRecords);
        connect(m_pList.get(), &CProgListView::TreeRecordsChanged, m_pTree.get(),
                &CProgBrowseView::RefreshTree);
        m_pTester = std::make_unique<QAbstractItemModelTester>(
            m_pList->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        BuildDb();
    }

    void cleanup()
    {
        m_pTester.reset();
        m_pList.reset();
        m_pTree.reset();
        m_pDb.reset();
    }

    void TreeShowsAllProgThenSatellitesWithTheirTransponders()
    {
        m_pTree->ShowDb(m_pDb.get());
        QCOMPARE(m_pTree->topLevelItemCount(), 3);
        QTreeWidgetItem* pAll = m_pTree->topLevelItem(0);
        QTreeWidgetItem* pSats = m_pTree->topLevelItem(2);
        QCOMPARE(m_pTree->topLevelItem(1)->text(0), QStringLiteral("Favourites"));
        QCOMPARE(pAll->text(0), QStringLiteral("All Prog"));
        QCOMPARE(pAll->childCount(), 0);
        QCOMPARE(pSats->text(0), QStringLiteral("Sat"));
        QCOMPARE(Children(pSats), QStringList({"Astra", "Hot"}));
        // Labels are TpID-Frequency-SymbolRate, in transponder list order; the transponder of a
        // satellite that does not exist is nowhere in the tree.
        QCOMPARE(Children(pSats->child(0)), QStringList({"0-11747-27500", "2-12604-22000"}));
        QCOMPARE(Children(pSats->child(1)), QStringList({"1-10971-29700"}));

        QCOMPARE(pAll->data(0, CProgBrowseView::ROLE_IMAGE).toInt(), int(CProgBrowseView::IMAGE_ALL_PROG));
        QCOMPARE(pAll->data(0, CProgBrowseView::ROLE_ID).toInt(), INVALID_ID);
        QCOMPARE(pSats->data(0, CProgBrowseView::ROLE_IMAGE).toInt(), int(CProgBrowseView::IMAGE_SAT));
        QCOMPARE(pSats->data(0, CProgBrowseView::ROLE_ID).toInt(), INVALID_ID);
        QCOMPARE(pSats->child(1)->data(0, CProgBrowseView::ROLE_ID).toInt(), 1);
        QCOMPARE(pSats->child(0)->child(1)->data(0, CProgBrowseView::ROLE_IMAGE).toInt(),
                 int(CProgBrowseView::IMAGE_TP));
        QCOMPARE(pSats->child(0)->child(1)->data(0, CProgBrowseView::ROLE_ID).toInt(), 2);

        QVERIFY(!pSats->isExpanded());
        QVERIFY(m_pTree->currentItem() == nullptr);
        QVERIFY(m_pTree->selectedItems().isEmpty());

        // Getting the keyboard focus selects nothing, so the list pane stays empty.
        m_pList->ShowDb(m_pDb.get());
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(m_pTree.get(), &focusIn);
        QVERIFY(m_pTree->currentItem() == nullptr);
        QCOMPARE(m_pList->model()->columnCount(), 0);
    }

    void TreeEdgeCases()
    {
        // A null database: empty tree, and the list pane is left as it was.
        m_pList->ShowDb(m_pDb.get());
        m_pList->ShowRecords(NODE_SAT, INVALID_ID);
        m_pTree->ShowDb(nullptr);
        QCOMPARE(m_pTree->topLevelItemCount(), 0);
        QCOMPARE(m_pList->GetRowCount(), 2);

        // No satellites: "All Prog", "Favourites" and an empty "Sat".
        CProgDb progsOnly;
        AddProg(progsOnly, 0, "Lonely");
        m_pTree->ShowDb(&progsOnly);
        QCOMPARE(m_pTree->topLevelItemCount(), 3);
        QCOMPARE(m_pTree->GetSatGroupItem()->childCount(), 0);

        // Two satellites sharing an id each get every transponder of that id.
        CProgDb dup;
        AddSat(dup, "A");
        AddSat(dup, "B", 0);
        AddTp(dup, 0, 100, 200);
        AddTp(dup, 0, 300, 400);
        m_pTree->ShowDb(&dup);
        QCOMPARE(Children(m_pTree->GetSatGroupItem()->child(0)), QStringList({"0-100-200", "1-300-400"}));
        QCOMPARE(Children(m_pTree->GetSatGroupItem()->child(1)), QStringList({"0-100-200", "1-300-400"}));
    }

    void SelectionListsTheRecordsOfEachNodeType()
    {
        m_pTree->ShowDb(m_pDb.get());
        m_pList->ShowDb(m_pDb.get());

        Select(m_pTree->GetSatGroupItem());
        QCOMPARE(m_pList->GetKind(), int32_t(NODE_SAT));
        QCOMPARE(Headings(*m_pList),
                 QStringList({"SatID", "Name", "Longitude", "LocalFre1", "LocalFre2", "12V", "22K", "DiSEqC",
                              "DiSEqC12", "Direction", "LnbTpype", "DisEqC Motor", "TunerSel"}));
        QCOMPARE(Ids(*m_pList), QStringList({"0", "1"}));

        Select(SatItem(0));
        QCOMPARE(m_pList->GetKind(), int32_t(NODE_TP));
        QCOMPARE(Headings(*m_pList), QStringList({"TpID", "SatID", "Frequency", "SymbolRate", "Polar"}));
        QCOMPARE(Ids(*m_pList), QStringList({"0", "2"}));
        QCOMPARE(Row(*m_pList, 0), QStringList({"0", "0", "11747", "27500", "1"}));

        Select(SatItem(0)->child(0));
        QCOMPARE(m_pList->GetKind(), int32_t(NODE_PROG));
        QCOMPARE(Headings(*m_pList), QStringList({"ProgID", "TpID", "ProgName", "VPID", "APID", "PCRPID",
                                                  "Scramble", "Hide", "Track", "ServiceId", "PmtPid",
                                                  "AvType", "Lock", "Skip", "FavType", "TunerSel"}));
        QCOMPARE(Ids(*m_pList), QStringList({"0", "2"}));

        // All programs, including those of a transponder that is not in the tree.
        Select(m_pTree->GetAllProgItem());
        QCOMPARE(m_pList->GetKind(), int32_t(NODE_PROG));
        QCOMPARE(Ids(*m_pList), QStringList({"0", "1", "2", "3", "4"}));

        // A satellite without transponders: the transponder columns and no rows.
        AddSat(*m_pDb, "Empty");
        m_pTree->RefreshTree();
        Select(SatItem(2));
        QCOMPARE(m_pList->model()->columnCount(), 5);
        QCOMPARE(m_pList->GetRowCount(), 0);

        // The row value is the record id.
        Select(m_pTree->GetSatGroupItem());
        QCOMPARE(m_pList->model()->data(m_pList->model()->index(1, 3), Qt::UserRole).toInt(), 1);
        QCOMPARE(m_pList->GetRowId(1), 1);
    }

    void CellTextsFollowTheRecordFields()
    {
        CProgDb db;
        CSatNode* pSat = AddSat(db, "Sirius");
        SatRecord* s = pSat->GetRecord();
        s->Set(SatField::Longitude, 50);
        s->Set(SatField::LocalFre1, 3);  // 9750 MHz
        s->Set(SatField::LocalFre2, 12); // not in the table: the first entry
        s->Set(SatField::V12, 1);
        s->Set(SatField::K22, 2);
        s->Set(SatField::DiSEqC, 5);
        s->Set(SatField::DiSEqC12, 200);
        s->Set(SatField::Direction, 1);
        s->Set(SatField::LnbType, 3);
        s->Set(SatField::DisEqCMotor, 2);
        s->Set(SatField::TunerSel, 1);
        AddTp(db, 0, 12000, 27500, 0);
        CProgNode* pProg = AddProg(db, 0, "News 24");
        ProgRecord* p = pProg->GetRecord();
        p->Set(ProgField::VPID, 8191);
        p->Set(ProgField::APID, 257);
        p->Set(ProgField::PCRPID, 258);
        p->Set(ProgField::Scramble, 1);
        p->Set(ProgField::Hide, 1);
        p->Set(ProgField::Track, 2);
        p->Set(ProgField::ServiceId, 65535);
        p->Set(ProgField::PmtPid, 100);
        p->Set(ProgField::AvType, 1);
        p->Set(ProgField::Lock, 1);
        p->Set(ProgField::Skip, 1);
        p->Set(ProgField::FavType, 15);
        p->Set(ProgField::TunerSel, 3);
        p->Set(ProgField::TpIndex, 77); // link fields have no column

        m_pList->ShowDb(&db);
        m_pList->ShowRecords(NODE_SAT, INVALID_ID);
        QCOMPARE(Row(*m_pList, 0), QStringList({"0", "Sirius", "50", "9750", "5150", "1", "2", "5", "200",
                                                "1", "3", "2", "1"}));
        m_pList->ShowRecords(NODE_TP, INVALID_ID);
        QCOMPARE(Row(*m_pList, 0), QStringList({"0", "0", "12000", "27500", "0"}));
        m_pList->ShowRecords(NODE_PROG, 0);
        QCOMPARE(Row(*m_pList, 0), QStringList({"0", "0", "News 24", "8191", "257", "258", "1", "1", "2",
                                                "65535", "100", "1", "1", "1", "15", "3"}));
        // Ids of records without parent show the minus sign.
        AddTp(db, INVALID_ID, 1, 2);
        m_pList->ShowRecords(NODE_TP, INVALID_ID);
        QCOMPARE(Row(*m_pList, 1).at(1), QStringLiteral("-1"));
    }

    void ShowDbEmptiesTheListAndFilterFollowsTheRowCount()
    {
        QAction filter;
        m_pList->SetFilterAction(&filter);
        m_pList->ShowDb(m_pDb.get());
        m_pList->ShowRecords(NODE_SAT, INVALID_ID);
        QVERIFY(filter.isEnabled()); // two rows

        m_pList->ShowDb(m_pDb.get());
        QCOMPARE(m_pList->model()->columnCount(), 0);
        QCOMPARE(m_pList->GetRowCount(), 0);
        QVERIFY(!filter.isEnabled());
        QCOMPARE(m_pList->GetKind(), int32_t(NODE_SAT)); // the kind is kept
        m_pList->DeleteSelected();                       // nothing to delete
        QCOMPARE(m_pDb->GetSatList().GetCount(), 2);

        m_pList->ShowRecords(NODE_TP, 1); // one row is not enough
        QCOMPARE(m_pList->GetRowCount(), 1);
        QVERIFY(!filter.isEnabled());
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        QVERIFY(filter.isEnabled());
        SelectRows({0, 1, 2, 3});
        m_pList->DeleteSelected();
        QCOMPARE(m_pList->GetRowCount(), 1);
        QVERIFY(!filter.isEnabled());
    }

    void DeletingASatelliteRemovesItsTranspondersAndPrograms()
    {
        m_pTree->ShowDb(m_pDb.get());
        m_pList->ShowDb(m_pDb.get());
        SatItem(1)->setExpanded(true);
        Select(m_pTree->GetSatGroupItem());
        QSignalSpy modified(m_pList.get(), &CProgListView::DbModified);

        SelectRows({0});
        QTest::keyClick(m_pList.get(), Qt::Key_Delete);

        QCOMPARE(Names(m_pDb->GetSatList()), QStringList({"Hot"}));
        QCOMPARE(Names(m_pDb->GetTpList()), QStringList({"1", "3"}));
        QCOMPARE(Names(m_pDb->GetProgList()), QStringList({"Two", "Orphan"}));
        QCOMPARE(modified.count(), 1);
        // The tree is rebuilt: what was expanded stays expanded and "Sat" stays the current node,
        // while the list keeps showing the remaining satellites.
        QCOMPARE(Children(m_pTree->GetSatGroupItem()), QStringList({"Hot"}));
        QVERIFY(SatItem(0)->isExpanded());
        QVERIFY(m_pTree->currentItem() == m_pTree->GetSatGroupItem());
        QCOMPARE(m_pList->GetKind(), int32_t(NODE_SAT));
        QCOMPARE(Ids(*m_pList), QStringList({"1"}));
        QVERIFY(m_pList->GetSelectedRows().empty()); // row 0 is never reselected
    }

    void DeletingTranspondersAndProgramsCascadesOnlyDownwards()
    {
        m_pTree->ShowDb(m_pDb.get());
        m_pList->ShowDb(m_pDb.get());
        Select(SatItem(0));
        SelectRows({1}); // transponder 2
        m_pList->DeleteSelected();
        QCOMPARE(Names(m_pDb->GetTpList()), QStringList({"0", "1", "3"}));
        QCOMPARE(Names(m_pDb->GetProgList()), QStringList({"One", "Two", "Three", "Orphan"}));
        QCOMPARE(Children(m_pTree->GetSatGroupItem()->child(0)), QStringList({"0-11747-27500"}));
        QVERIFY(m_pTree->currentItem() == SatItem(0));
        QCOMPARE(Ids(*m_pList), QStringList({"0"}));
        QCOMPARE(m_pList->GetSelectedRows(), std::vector<int>({0})); // the position ran past the end

        // Programs: the tree is not rebuilt, so it keeps its expansion and selection.
        SatItem(0)->setExpanded(true);
        Select(SatItem(0)->child(0));
        QTreeWidgetItem* pTpItem = m_pTree->currentItem();
        SelectRows({1});
        m_pList->DeleteSelected();
        QCOMPARE(Names(m_pDb->GetProgList()), QStringList({"One", "Two", "Orphan"}));
        QVERIFY(m_pTree->currentItem() == pTpItem);
        QVERIFY(SatItem(0)->isExpanded());
        QCOMPARE(Ids(*m_pList), QStringList({"0"}));
    }

    void ReselectAfterDelete_data()
    {
        QTest::addColumn<QList<int>>("deleted");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<int>("selected"); // -1: no row selected

        QTest::newRow("first rows: nothing") << QList<int>{0, 1} << QStringList{"2", "3", "4", "5"} << -1;
        QTest::newRow("single first row: nothing")
            << QList<int>{0} << QStringList{"1", "2", "3", "4", "5"} << -1;
        QTest::newRow("middle rows: same position")
            << QList<int>{2, 3} << QStringList{"0", "1", "4", "5"} << 2;
        QTest::newRow("single middle row") << QList<int>{3} << QStringList{"0", "1", "2", "4", "5"} << 3;
        QTest::newRow("last rows: row 0") << QList<int>{4, 5} << QStringList{"0", "1", "2", "3"} << 0;
        QTest::newRow("single last row: row 0") << QList<int>{5} << QStringList{"0", "1", "2", "3", "4"} << 0;
        QTest::newRow("scattered rows") << QList<int>{1, 3, 5} << QStringList{"0", "2", "4"} << 1;
    }

    // After a delete, the reselected row is also the keyboard's current row (none when nothing is
    // reselected), so the arrow keys go on from the highlighted row.
    void ReselectAfterDelete()
    {
        QFETCH(QList<int>, deleted);
        QFETCH(QStringList, remaining);
        QFETCH(int, selected);

        CProgDb db;
        AddSat(db, "S");
        AddTp(db, 0, 1, 1);
        for (int i = 0; i < 6; ++i)
            AddProg(db, 0, "P" + std::to_string(i));
        m_pList->ShowDb(&db);
        m_pList->ShowRecords(NODE_PROG, 0);
        m_pList->clearSelection();
        for (int r : deleted)
            m_pList->SelectRow(r);
        // As a click and a shift-click leave it: the current row is the last one chosen.
        m_pList->selectionModel()->setCurrentIndex(m_pList->model()->index(deleted.last(), 0),
                                                   QItemSelectionModel::NoUpdate);
        m_pList->DeleteSelected();

        QCOMPARE(Ids(*m_pList), remaining);
        QCOMPARE(db.GetProgList().GetCount(), int32_t(remaining.size()));
        const std::vector<int> sel = m_pList->GetSelectedRows();
        if (selected < 0)
            QVERIFY(sel.empty());
        else
            QCOMPARE(sel, std::vector<int>({selected}));
        QCOMPARE(m_pList->currentIndex().row(), selected);
        QTest::keyClick(m_pList.get(), Qt::Key_Down);
        QCOMPARE(m_pList->GetSelectedRows(), std::vector<int>({selected + 1}));
    }

    void RowsWhoseRecordIsGoneAreNotRemoved()
    {
        m_pList->ShowDb(m_pDb.get());
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        QSignalSpy modified(m_pList.get(), &CProgListView::DbModified);
        m_pDb->GetProgList().Remove(1); // behind the pane's back

        SelectRows({1});
        m_pList->DeleteSelected();
        QCOMPARE(m_pList->GetRowCount(), 5); // the row stays
        QCOMPARE(modified.count(), 0);
        QCOMPARE(m_pList->GetSelectedRows(), std::vector<int>({1}));

        // Of several rows only those whose records were removed go; the first of them is the
        // reselect position.
        SelectRows({1, 2, 3});
        m_pList->DeleteSelected();
        QCOMPARE(Ids(*m_pList), QStringList({"0", "", "4"}));
        QCOMPARE(m_pList->GetRowId(1), 1);
        QCOMPARE(modified.count(), 1);
        // Row 1 (not removed) stays selected, and the row now at position 2 is selected too.
        QCOMPARE(m_pList->GetSelectedRows(), std::vector<int>({1, 2}));
    }

    // A rebuild keeps the expanded nodes and the current node, told apart also when satellites
    // share an id; a new database starts collapsed.
    void TreeKeepsItsStateAcrossARefresh()
    {
        AddSat(*m_pDb, "Astra twin", 0);
        AddTp(*m_pDb, 1, 11000, 27500);
        m_pTree->ShowDb(m_pDb.get());
        m_pList->ShowDb(m_pDb.get());
        QSignalSpy requested(m_pTree.get(), &CProgBrowseView::RecordsRequested);
        m_pTree->GetSatGroupItem()->setExpanded(true);
        SatItem(2)->setExpanded(true); // the second satellite with id 0
        Select(SatItem(1)->child(1));  // transponder 4 of "Hot"
        QCOMPARE(requested.count(), 1);

        m_pTree->RefreshTree();
        QVERIFY(m_pTree->GetSatGroupItem()->isExpanded());
        QVERIFY(!SatItem(0)->isExpanded());
        QVERIFY(!SatItem(1)->isExpanded());
        QVERIFY(SatItem(2)->isExpanded());
        QCOMPARE(m_pTree->currentItem()->text(0), QStringLiteral("4-11000-27500"));
        QVERIFY(m_pTree->currentItem()->parent() == SatItem(1));
        QCOMPARE(requested.count(), 1); // a rebuild is no selection

        // The current node gone: none is current.
        QVERIFY(m_pDb->GetTpList().Remove(4));
        m_pTree->RefreshTree();
        QVERIFY(m_pTree->currentItem() == nullptr);
        QVERIFY(SatItem(2)->isExpanded());

        m_pTree->ShowDb(m_pDb.get());
        QVERIFY(!m_pTree->GetSatGroupItem()->isExpanded());
        QVERIFY(!SatItem(2)->isExpanded());
    }

    // A cell too narrow for its text shows all of it as a tool tip; other cells show none.
    void TruncatedCellsShowTheirTextAsToolTip()
    {
        const std::string strLong = "Programme name, long"; // 20 bytes: as much as a record holds
        AddProg(*m_pDb, 0, strLong);
        m_pList->ShowDb(m_pDb.get());
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        m_pList->resize(900, 300);
        m_pList->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pList.get()));
        const auto Tip = [this](int nRow, int nColumn) {
            const QPoint pt = m_pList->visualRect(m_pList->model()->index(nRow, nColumn)).center();
            QHelpEvent help(QEvent::ToolTip, pt, m_pList->viewport()->mapToGlobal(pt));
            QApplication::sendEvent(m_pList->viewport(), &help);
            return help.isAccepted() ? QToolTip::text() : QString();
        };
        QCOMPARE(Tip(5, 2), QString::fromStdString(strLong));
        QCOMPARE(Tip(0, 2), QString()); // "One"
        QCOMPARE(Tip(5, 0), QString());
        // Wide enough, the long name needs no tip either.
        m_pList->horizontalHeader()->resizeSection(2, 600);
        QCOMPARE(Tip(5, 2), QString());
    }

    void RowInsertionKeepsTheOtherRows()
    {
        m_pList->ShowDb(m_pDb.get());
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        CProgListModel* pModel = m_pList->GetModel();
        pModel->InsertRow(1, m_pDb->GetProgList().Find(4)->GetId());
        QCOMPARE(Ids(*m_pList), QStringList({"0", "4", "1", "2", "3", "4"}));
        pModel->SetColumns(CProgListModel::COLUMNS_TP);
        QCOMPARE(m_pList->GetRowCount(), 0);
        pModel->InsertRow(0, m_pDb->GetTpList().Find(2)->GetId());
        QCOMPARE(Row(*m_pList, 0), QStringList({"2", "0", "12604", "22000", "0"}));
        QVERIFY(m_pList->GetCurrentList() == &m_pDb->GetProgList()); // the kind comes from ShowRecords
    }

    void NamesAreDecodedWithTheCurrentCodePage()
    {
        const uint32_t nOld = CodePage::GetAnsiCodePage();
        CProgDb db;
        AddSat(db, "\xD6\xD0\xD0\xC7"
                   "6B");
        m_pTree->ShowDb(&db);
        m_pList->ShowDb(&db);
        m_pList->ShowRecords(NODE_SAT, INVALID_ID);

        CodePage::SetAnsiCodePage(936);
        m_pTree->RefreshNames();
        m_pList->RefreshNames();
        QCOMPARE(SatItem(0)->text(0), QString::fromUtf8("中星6B"));
        QCOMPARE(Row(*m_pList, 0).at(1), QString::fromUtf8("中星6B"));

        CodePage::SetAnsiCodePage(1252);
        m_pTree->RefreshNames();
        QCOMPARE(SatItem(0)->text(0), QString::fromUtf8("ÖÐÐÇ6B"));
        QCOMPARE(Row(*m_pList, 0).at(1), QString::fromUtf8("ÖÐÐÇ6B"));
        // The stored bytes never change.
        QCOMPARE(static_cast<CSatNode*>(db.GetSatList().Find(0))->GetRecord()->GetName(),
                 std::string("\xD6\xD0\xD0\xC7"
                             "6B"));
        CodePage::SetAnsiCodePage(nOld);
    }
};

RAVELIN_GUI_TEST_MAIN(CViewsTest)
#include "ViewsTest.moc"
