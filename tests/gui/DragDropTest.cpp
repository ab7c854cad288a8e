// Reordering the list pane by dragging rows with the left mouse button: the drag image and the
// drop highlight while dragging, where the dragged records land in the rows and in the database
// list, and the drops that change nothing.

#include "GuiTestMain.h"
#include "QueuePrompt.h"
#include "TestDb.h"

#include "app/MainFrame.h"
#include "views/FilterDlg.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class CDragDropTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CProgDb> m_pDb;
    std::unique_ptr<CProgListView> m_pList;
    std::unique_ptr<QAbstractItemModelTester> m_pTester;
    std::unique_ptr<QSignalSpy> m_pModified;

    QWidget* Viewport() const { return m_pList->viewport(); }

    // Programs named by one letter each, on transponder 0 (or on transponder 1 from nSecondTp on),
    // listed as "All Prog".
    void ShowProgs(const std::string& names, size_t nSecondTp = std::string::npos)
    {
        for (size_t i = 0; i < names.size(); ++i)
            AddProg(*m_pDb, i < nSecondTp ? 0 : 1, std::string(1, names[i]));
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
    }

    QString Name(int32_t nId) const
    {
        const CNode* p = m_pDb->GetProgList().Find(nId);
        return p ? QString::fromStdString(static_cast<const CProgNode*>(p)->GetRecord()->GetName())
                 : QStringLiteral("?");
    }
    // The rows as the list shows them (the name column), and the database list.
    QString Rows() const
    {
        QString s;
        for (int r = 0; r < m_pList->GetRowCount(); ++r)
            s += m_pList->model()->data(m_pList->model()->index(r, 2)).toString();
        return s;
    }
    QString Db() const
    {
        QString s;
        for (const CNode* p : m_pDb->GetProgList())
            s += QString::fromStdString(static_cast<const CProgNode*>(p)->GetRecord()->GetName());
        return s;
    }
    QString Selected() const
    {
        QString s;
        for (int r : m_pList->GetSelectedRows())
            s += Name(m_pList->GetRowId(r));
        return s;
    }
    int Row(QChar c) const { return Rows().indexOf(c); }
    QPoint At(int nRow) const { return m_pList->visualRect(m_pList->model()->index(nRow, 1)).center(); }
    // Below the last row, still inside the list.
    QPoint Empty() const { return QPoint(20, Viewport()->height() - 5); }

    void Click(int nRow, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(Viewport(), Qt::LeftButton, mods, At(nRow));
    }
    // Presses on a row, moves a little along it (the drag starts), passes over the given points
    // and releases at the last one.
    void Drag(int nFrom, std::initializer_list<QPoint> path)
    {
        const QPoint ptStart = At(nFrom);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, ptStart);
        QTest::mouseMove(Viewport(), ptStart + QPoint(QApplication::startDragDistance() + 2, 0));
        QVERIFY(m_pList->IsDragging());
        QPoint pt = ptStart;
        for (const QPoint& p : path) {
            pt = p;
            QTest::mouseMove(Viewport(), pt);
        }
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, pt);
        QVERIFY(!m_pList->IsDragging());
    }
    void Drag(int nFrom, int nTo) { Drag(nFrom, {At(nTo)}); }

private slots:
    void init()
    {
        m_pDb = std::make_unique<CProgDb>();
        m_pList = std::make_unique<CProgListView>();
        m_pTester = std::make_unique<QAbstractItemModelTester>(
            m_pList->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_pModified = std::make_unique<QSignalSpy>(m_pList.get(), &CProgListView::DbModified);
        m_pList->ShowDb(m_pDb.get());
        m_pList->resize(700, 400);
        m_pList->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pList.get()));
    }

    void cleanup()
    {
        m_pModified.reset();
        m_pTester.reset();
        m_pList.reset();
        m_pDb.reset();
    }

    void OneRowLandsBeforeTheDropRow_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("onto");
        QTest::addColumn<QString>("order");
        QTest::newRow("A onto C") << "A"
                                  << "C"
                                  << "BACD";
        QTest::newRow("D onto B") << "D"
                                  << "B"
                                  << "ADBC";
        QTest::newRow("A onto B") << "A"
                                  << "B"
                                  << "ABCD";
        QTest::newRow("C onto D") << "C"
                                  << "D"
                                  << "ABCD";
        QTest::newRow("B onto A") << "B"
                                  << "A"
                                  << "BACD";
    }

    void OneRowLandsBeforeTheDropRow()
    {
        QFETCH(QString, from);
        QFETCH(QString, onto);
        QFETCH(QString, order);
        ShowProgs("ABCD");
        Click(Row(from[0]));
        QCOMPARE(Selected(), from);
        Drag(Row(from[0]), Row(onto[0]));
        QCOMPARE(Rows(), order);
        QCOMPARE(Db(), order);
        QCOMPARE(Selected(), from);
        // A drop before the next row leaves every record where it was: no change to undo or save.
        QCOMPARE(m_pModified->count(), order == QLatin1String("ABCD") ? 0 : 1);
        // Ids never change by dragging.
        for (int r = 0; r < m_pList->GetRowCount(); ++r)
            QCOMPARE(Name(m_pList->GetRowId(r)), QString(order[r]));
    }

    void DragImageFollowsThePointerAndTheRowUnderItIsTheTarget()
    {
        ShowProgs("ABCD");
        Click(0);
        const QPoint ptStart = At(0);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, ptStart);
        QVERIFY(!m_pList->IsDragging());
        QVERIFY(m_pList->GetDragImage() == nullptr);
        QTest::mouseMove(Viewport(), ptStart + QPoint(1, 0)); // not far enough for a drag
        QVERIFY(!m_pList->IsDragging());

        QTest::mouseMove(Viewport(), At(2));
        QVERIFY(m_pList->IsDragging());
        QCOMPARE(m_pList->GetDragIndex(), 0);
        const QLabel* pImage = m_pList->GetDragImage();
        QVERIFY(pImage != nullptr);
        QVERIFY(pImage->isVisible());
        QVERIFY(pImage->pixmap().width() > 0);
        QCOMPARE(pImage->pos(), Viewport()->mapToGlobal(At(2)) + QPoint(10, 14));
        QCOMPARE(m_pList->GetDropIndex(), 2);
        const CProgListModel* pModel = m_pList->GetModel();
        QCOMPARE(pModel->GetDropHilite(), 2);
        QVERIFY(pModel->data(pModel->index(2, 3), Qt::BackgroundRole).isValid());
        QVERIFY(!pModel->data(pModel->index(1, 3), Qt::BackgroundRole).isValid());

        QTest::mouseMove(Viewport(), At(3));
        QCOMPARE(m_pList->GetDropIndex(), 3);
        QCOMPARE(pModel->GetDropHilite(), 3);
        QVERIFY(!pModel->data(pModel->index(2, 3), Qt::BackgroundRole).isValid());

        // Below the rows and outside the list the last target stays; the image still follows.
        QTest::mouseMove(Viewport(), Empty());
        QCOMPARE(m_pList->GetDropIndex(), 3);
        const QPoint ptOutside(-40, -30);
        QTest::mouseMove(Viewport(), ptOutside);
        QCOMPARE(m_pList->GetDropIndex(), 3);
        QCOMPARE(pImage->pos(), Viewport()->mapToGlobal(ptOutside) + QPoint(10, 14));

        // Released outside: the drop goes to the row last highlighted.
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, ptOutside);
        QVERIFY(!m_pList->IsDragging());
        QVERIFY(m_pList->GetDragImage() == nullptr);
        QCOMPARE(pModel->GetDropHilite(), -1);
        QCOMPARE(Rows(), QStringLiteral("BCAD"));
        QCOMPARE(Db(), QStringLiteral("BCAD"));
        QCOMPARE(Selected(), QStringLiteral("A"));
    }

    void DropsThatChangeNothing()
    {
        ShowProgs("ABCD");
        Click(1);
        Drag(1, 1); // onto itself
        QCOMPARE(Rows(), QStringLiteral("ABCD"));
        QCOMPARE(Selected(), QStringLiteral("B"));
        QCOMPARE(m_pList->GetModel()->GetDropHilite(), -1);

        // Released where the pointer never passed over a row after the drag began.
        const QPoint ptStart = At(1);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, ptStart);
        QTest::mouseMove(Viewport(), Empty());
        QVERIFY(m_pList->IsDragging());
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, Empty());
        QCOMPARE(Rows(), QStringLiteral("ABCD"));

        // The same through the entry points.
        m_pList->BeginDrag(2, At(2));
        m_pList->EndDrag();
        QCOMPARE(Rows(), QStringLiteral("ABCD"));

        // The right button does not drag.
        QTest::mousePress(Viewport(), Qt::RightButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(3));
        QVERIFY(!m_pList->IsDragging());
        QTest::mouseRelease(Viewport(), Qt::RightButton, Qt::NoModifier, At(3));

        // No row selected.
        m_pList->clearSelection();
        m_pList->BeginDrag(0, At(0));
        m_pList->DragMove(At(3));
        m_pList->EndDrag();
        QCOMPARE(Rows(), QStringLiteral("ABCD"));
        QCOMPARE(Db(), QStringLiteral("ABCD"));
        QCOMPARE(m_pList->GetModel()->GetDropHilite(), -1);
        QCOMPARE(m_pModified->count(), 0);
    }

    // A drag whose button release never arrives, or whose rows are replaced, is given up.
    void LostDragsDropNothing()
    {
        ShowProgs("ABCD");
        Click(0);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(2));
        QVERIFY(m_pList->IsDragging());
        QTest::mousePress(Viewport(), Qt::RightButton, Qt::NoModifier, At(3)); // ignored meanwhile
        QTest::mouseRelease(Viewport(), Qt::RightButton, Qt::NoModifier, At(3));
        QVERIFY(m_pList->IsDragging());
        QCOMPARE(Selected(), QStringLiteral("A"));
        QMouseEvent move(QEvent::MouseMove, QPointF(At(3)), Viewport()->mapToGlobal(QPointF(At(3))),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &move);
        QVERIFY(!m_pList->IsDragging());
        QVERIFY(m_pList->GetDragImage() == nullptr);
        QCOMPARE(m_pList->GetModel()->GetDropHilite(), -1);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(3));
        QCOMPARE(Rows(), QStringLiteral("ABCD"));

        m_pList->BeginDrag(0, At(0));
        m_pList->DragMove(At(2));
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        QVERIFY(!m_pList->IsDragging());
        m_pList->EndDrag();
        QCOMPARE(Rows(), QStringLiteral("ABCD"));
        QCOMPARE(Db(), QStringLiteral("ABCD"));
        QCOMPARE(m_pModified->count(), 0);
    }

    void SeveralRowsLandAsOneBlockBeforeTheTarget()
    {
        ShowProgs("ABCDEF");
        Click(Row('B'));
        Click(Row('E'), Qt::ControlModifier);
        QCOMPARE(Selected(), QStringLiteral("BE"));
        // Pressing on a selected row keeps the other one selected for the drag.
        Drag(Row('B'), Row('D'));
        QCOMPARE(Rows(), QStringLiteral("ACBEDF"));
        QCOMPARE(Db(), QStringLiteral("ACBEDF"));
        QCOMPARE(Selected(), QStringLiteral("BE"));
        QCOMPARE(m_pModified->count(), 1);

        // Dropped on one of the dragged rows: before the next unselected row.
        Drag(Row('E'), Row('B'));
        QCOMPARE(Rows(), QStringLiteral("ACBEDF"));
        Click(Row('A'));
        Click(Row('F'), Qt::ControlModifier);
        Drag(Row('F'), Row('F')); // no unselected row after F: before the last remaining one
        QCOMPARE(Rows(), QStringLiteral("CBEAFD"));
        QCOMPARE(Db(), QStringLiteral("CBEAFD"));
        QCOMPARE(Selected(), QStringLiteral("AF"));
    }

    void AClickWithoutDragSelectsJustThatRow()
    {
        ShowProgs("ABCD");
        Click(0);
        Click(1, Qt::ShiftModifier);
        Click(3, Qt::ControlModifier);
        QCOMPARE(Selected(), QStringLiteral("ABD"));
        Click(1);
        QCOMPARE(Selected(), QStringLiteral("B"));
        QCOMPARE(m_pList->currentIndex().row(), 1);
        QCOMPARE(Rows(), QStringLiteral("ABCD"));
        // Pressing on a row and moving does not sweep a selection.
        Click(0);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(2));
        QTest::mouseMove(Viewport(), At(2) + QPoint(1, 0));
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(2) + QPoint(1, 0));
        QCOMPARE(Selected(), QStringLiteral("C"));
        QCOMPARE(m_pModified->count(), 0);
    }

    void EveryRowSelectedChangesNothing()
    {
        ShowProgs("ABC");
        m_pList->selectAll();
        Drag(0, 2);
        QCOMPARE(Rows(), QStringLiteral("ABC"));
        QCOMPARE(Db(), QStringLiteral("ABC"));
        QCOMPARE(m_pDb->GetProgList().GetCount(), 3);
        QCOMPARE(Selected(), QStringLiteral("ABC"));
        QCOMPARE(m_pModified->count(), 0);
    }

    void AProgramDroppedOnAnotherTranspondersProgramKeepsItsParent()
    {
        ShowProgs("ABCDEF", 3); // A B C on transponder 0, D E F on 1
        Click(Row('A'));
        Drag(Row('A'), Row('E'));
        QCOMPARE(Rows(), QStringLiteral("BCDAEF"));
        QCOMPARE(Db(), QStringLiteral("BCDAEF"));
        QCOMPARE(m_pDb->GetProgList().Find(0)->GetParentId(), 0);
        QCOMPARE(m_pDb->GetProgList().Find(0)->GetId(), 0);
        // Listing transponder 0 alone still shows it there.
        m_pList->ShowRecords(NODE_PROG, 0);
        QCOMPARE(Rows(), QStringLiteral("BCA"));
    }

    void DropOnAFilteredListKeepsTheHiddenRecordsInPlace()
    {
        ShowProgs("ABCDEFG", 4); // A..D on transponder 0, E F G on 1
        // Keep the programs whose names are A, C, E or G... by their transponder and name:
        // filter TpID == 1 leaves E F G.
        m_pList->SetFilterDlgRunner([](CFilterDlg& dlg) {
            dlg.OnInitDialog();
            dlg.GetColumnCombo()->setCurrentIndex(1);
            dlg.GetValueEdit()->setText(QStringLiteral("1"));
            dlg.OnAdd();
            dlg.OnOK();
            return dlg.result();
        });
        m_pList->OnFilter();
        QCOMPARE(Rows(), QStringLiteral("EFG"));
        Click(Row('G'));
        Drag(Row('G'), Row('E'));
        QCOMPARE(Rows(), QStringLiteral("GEF"));
        QCOMPARE(Db(), QStringLiteral("ABCDGEF"));

        // Several rows of a filtered list, dropped onto the first one.
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        m_pList->OnFilter(); // again TpID == 1: G E F
        Click(Row('E'));
        Click(Row('F'), Qt::ControlModifier);
        Drag(Row('F'), Row('G'));
        QCOMPARE(Rows(), QStringLiteral("EFG"));
        QCOMPARE(Db(), QStringLiteral("ABCDEFG"));
        QCOMPARE(Selected(), QStringLiteral("EF"));
    }

    // Satellites and transponders move in their own lists, and the tree, wired as in the editor,
    // follows the new order, keeping what was expanded and the node that is current.
    void SatellitesAndTranspondersMoveInTheirOwnLists()
    {
        AddSat(*m_pDb, "S0");
        AddSat(*m_pDb, "S1");
        AddSat(*m_pDb, "S2");
        AddTp(*m_pDb, 0, 100, 1);
        AddTp(*m_pDb, 0, 200, 2);
        AddTp(*m_pDb, 0, 300, 3);
        CProgBrowseView tree;
        connect(m_pList.get(), &CProgListView::TreeRecordsChanged, &tree, &CProgBrowseView::RefreshTree);
        tree.ShowDb(m_pDb.get());
        tree.GetSatGroupItem()->setExpanded(true);
        tree.GetSatGroupItem()->child(0)->setExpanded(true);
        tree.setCurrentItem(tree.GetSatGroupItem());
        const auto Children = [&tree](QTreeWidgetItem* pItem) {
            QStringList out;
            for (int i = 0; i < pItem->childCount(); ++i)
                out << pItem->child(i)->text(0);
            return out;
        };

        m_pList->ShowRecords(NODE_SAT, INVALID_ID);
        Click(2);
        Drag(2, 0);
        QStringList sats;
        for (const CNode* p : m_pDb->GetSatList())
            sats << QString::fromStdString(static_cast<const CSatNode*>(p)->GetRecord()->GetName());
        QCOMPARE(sats, QStringList({"S2", "S0", "S1"}));
        QCOMPARE(m_pList->GetRowId(0), 2);
        QCOMPARE(Children(tree.GetSatGroupItem()), sats);
        QVERIFY(tree.GetSatGroupItem()->child(1)->isExpanded()); // S0
        QVERIFY(tree.currentItem() == tree.GetSatGroupItem());

        m_pList->ShowRecords(NODE_TP, 0);
        Click(0);
        Drag(0, 2);
        QStringList tps;
        for (const CNode* p : m_pDb->GetTpList())
            tps << QString::number(p->GetId()) + "/" + QString::number(p->GetParentId());
        QCOMPARE(tps, QStringList({"1/0", "0/0", "2/0"}));
        QCOMPARE(m_pList->model()->data(m_pList->model()->index(1, 2)).toString(), QStringLiteral("100"));
        QCOMPARE(Children(tree.GetSatGroupItem()->child(1)), QStringList({"1-200-2", "0-100-1", "2-300-3"}));
        QCOMPARE(m_pModified->count(), 2);
    }

    // Escape gives a drag up: nothing moves, and the button's release drops nothing.
    void EscapeGivesUpADrag()
    {
        ShowProgs("ABCD");
        Click(0);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(2));
        QVERIFY(m_pList->IsDragging());
        QCOMPARE(m_pList->GetModel()->GetDropHilite(), 2);
        QTest::keyClick(m_pList.get(), Qt::Key_Escape);
        QVERIFY(!m_pList->IsDragging());
        QVERIFY(m_pList->GetDragImage() == nullptr);
        QCOMPARE(m_pList->GetModel()->GetDropHilite(), -1);
        QTest::mouseMove(Viewport(), At(3));
        QVERIFY(!m_pList->IsDragging());
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(3));
        QCOMPARE(Rows(), QStringLiteral("ABCD"));
        QCOMPARE(Db(), QStringLiteral("ABCD"));
        QCOMPARE(m_pModified->count(), 0);
    }

    // Held near the bottom edge, a drag scrolls the rows, and the row at the edge becomes the
    // target: rows can be dropped beyond the part that was visible when the drag began.
    void ADragNearAnEdgeScrollsTheRows()
    {
        std::string names;
        for (int i = 0; i < 200; ++i)
            names += static_cast<char>('a' + i % 26);
        ShowProgs(names);
        QCoreApplication::processEvents();
        QScrollBar* pBar = m_pList->verticalScrollBar();
        QCOMPARE(pBar->value(), 0);
        const int nLastVisible = m_pList->rowAt(Viewport()->height() - 1);
        QVERIFY(nLastVisible > 0 && nLastVisible < 100);

        Click(0);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(1));
        QVERIFY(m_pList->IsDragging());
        const QPoint ptEdge(At(0).x(), Viewport()->height() - 2);
        QTest::mouseMove(Viewport(), ptEdge);
        QTRY_VERIFY(pBar->value() >= 10);
        QVERIFY(m_pList->GetDropIndex() > nLastVisible);
        // Away from the edge the rows stand still; the row under the pointer is the target.
        const QPoint ptMiddle(At(0).x(), Viewport()->height() / 2);
        QTest::mouseMove(Viewport(), ptMiddle);
        const int nScroll = pBar->value();
        QTest::qWait(200);
        QCOMPARE(pBar->value(), nScroll);
        const int nTarget = m_pList->GetDropIndex();
        QCOMPARE(nTarget, m_pList->rowAt(ptMiddle.y()));
        QVERIFY(nTarget > nLastVisible);
        const int32_t nTargetId = m_pList->GetRowId(nTarget);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, ptMiddle);
        QCOMPARE(m_pList->GetRowId(nTarget - 1), 0);
        QCOMPARE(m_pList->GetRowId(nTarget), nTargetId);
        QCOMPARE(m_pModified->count(), 1);

        // At the top edge it scrolls back.
        Click(nTarget - 1);
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(nTarget - 1));
        QTest::mouseMove(Viewport(), At(nTarget - 1) + QPoint(10, 0));
        QTest::mouseMove(Viewport(), QPoint(At(0).x(), -5));
        QTRY_COMPARE(pBar->value(), 0);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(At(0).x(), -5));
        QCOMPARE(m_pList->GetRowId(0), 0); // dropped before the first row
    }

    // In the editor a move counts as an unsaved change: the next load asks before discarding it.
    void FrameAsksBeforeDiscardingMoves()
    {
        CQueuePrompt prompt;
        CMainFrame frame(prompt);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.OpenSample());
        CProgListView* pList = frame.GetListView();
        frame.GetTreeView()->setCurrentItem(frame.GetTreeView()->GetAllProgItem());
        QVERIFY(pList->GetRowCount() > 1);
        QVERIFY(!frame.IsModified());

        const auto At = [pList](int nRow) {
            return pList->visualRect(pList->model()->index(nRow, 1)).center();
        };
        const int32_t nSecondId = pList->GetRowId(1);
        QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::NoModifier, At(1));
        QTest::mousePress(pList->viewport(), Qt::LeftButton, Qt::NoModifier, At(1));
        QTest::mouseMove(pList->viewport(), At(0));
        QTest::mouseRelease(pList->viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QCOMPARE(pList->GetRowId(0), nSecondId);
        QCOMPARE((*frame.GetDb()->GetProgList().begin())->GetId(), nSecondId); // moved in the database
        QVERIFY(frame.IsModified());

        prompt.saveAnswers.push_back(IPrompt::CHOICE_CANCEL); // keep the changes: no file dialog follows
        frame.findChild<QAction*>(QStringLiteral("actionOpenDb"))->trigger();
        QCOMPARE(prompt.nSaveQuestions, 1);
        QVERIFY(prompt.dialogs.empty());
        QVERIFY(prompt.Drained());
    }

    // The rows are reordered in place: the list keeps its scroll position and the keyboard's
    // current row stays on its record.
    void ALongListKeepsItsPlace()
    {
        std::string names;
        for (int i = 0; i < 200; ++i)
            names += static_cast<char>('a' + i % 26);
        ShowProgs(names);
        QCoreApplication::processEvents(); // lets the view lay out the new rows
        m_pList->verticalScrollBar()->setValue(m_pList->verticalScrollBar()->maximum() / 2);
        const int nScroll = m_pList->verticalScrollBar()->value();
        QVERIFY(nScroll > 0);
        const int nTop = m_pList->rowAt(5);
        Click(nTop + 1);
        Click(nTop + 2, Qt::ControlModifier);
        Drag(nTop + 1, nTop + 5); // the press makes row nTop + 1 current
        QCOMPARE(m_pList->verticalScrollBar()->value(), nScroll);
        QCOMPARE(m_pList->currentIndex().row(), nTop + 3);
        QCOMPARE(m_pList->GetRowId(nTop + 3), nTop + 1);
        QCOMPARE(m_pList->GetRowId(nTop + 4), nTop + 2);
        QCOMPARE(m_pList->GetRowId(nTop + 5), nTop + 5);
        QCOMPARE(m_pList->GetSelectedRows(), (std::vector<int>{nTop + 3, nTop + 4}));
    }
};

RAVELIN_GUI_TEST_MAIN(CDragDropTest)
#include "DragDropTest.moc"
