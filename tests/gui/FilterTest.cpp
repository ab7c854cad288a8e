// The Filter command: the condition dialog with its refusals, the exact matching of cell texts,
// and the list pane keeping only the matching rows, rebuilt from the database.

#include "GuiTestMain.h"
#include "QueuePrompt.h"
#include "TestDb.h"

#include "app/MainFrame.h"
#include "views/FilterDlg.h"
#include "views/ListFilter.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <utility>
#include <vector>

namespace {

using Conditions = std::vector<std::pair<int, QString>>; // column index, typed value

QStringList ComboItems(const QComboBox* pCombo)
{
    QStringList out;
    for (int i = 0; i < pCombo->count(); ++i)
        out << pCombo->itemText(i);
    return out;
}

QStringList ConditionRows(const QTreeWidget* pList)
{
    QStringList out;
    for (int i = 0; i < pList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* p = pList->topLevelItem(i);
        out << p->text(0) + " " + p->text(1) + " " + p->text(2);
    }
    return out;
}

// Chooses each column in the combo box, types the value and presses "&Add".
void AddConditions(CFilterDlg& dlg, const Conditions& conds)
{
    for (const auto& c : conds) {
        dlg.GetColumnCombo()->setCurrentIndex(c.first);
        dlg.GetValueEdit()->setText(c.second);
        QTest::mouseClick(dlg.GetAddButton(), Qt::LeftButton);
    }
}

} // namespace

class CFilterTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CProgDb> m_pDb;
    std::unique_ptr<CProgListView> m_pList;
    std::unique_ptr<QAbstractItemModelTester> m_pTester;
    CQueuePrompt m_prompt;
    QString m_strLastTitle;
    QStringList m_lastCombo;

    // Programs: ids 0..5 on transponders 0 and 1 with Scramble/Hide flags; names that differ in
    // case and by surrounding blanks.
    void BuildDb()
    {
        CProgDb& db = *m_pDb;
        CSatNode* pAstra = AddSat(db, "Astra");
        pAstra->GetRecord()->Set(SatField::LocalFre1, 3); // 9750 MHz
        pAstra->GetRecord()->Set(SatField::Longitude, 130);
        CSatNode* pHot = AddSat(db, "Hot");
        pHot->GetRecord()->Set(SatField::LocalFre1, 12); // 5150 MHz
        pHot->GetRecord()->Set(SatField::Longitude, 130);
        AddSat(db, "astra")->GetRecord()->Set(SatField::LocalFre1, 3);
        AddTp(db, 0, 11747, 27500, 1);
        AddTp(db, 1, 10971, 29700);
        const struct
        {
            int32_t nTp;
            const char* pszName;
            uint32_t nScramble;
            uint32_t nHide;
        } progs[] = {{0, "One", 1, 0},  {0, "Two", 0, 0},  {1, "Three", 1, 1},
                     {1, "Four", 1, 0}, {0, " BBC", 0, 1}, {1, "BBC", 1, 0}};
        for (const auto& p : progs) {
            CProgNode* pProg = AddProg(db, p.nTp, p.pszName);
            pProg->GetRecord()->Set(ProgField::Scramble, p.nScramble);
            pProg->GetRecord()->Set(ProgField::Hide, p.nHide);
        }
    }

    // A stand-in for the dialog's modal loop: adds the conditions and presses OK (or Cancel).
    void Answer(Conditions conds, bool bOk = true)
    {
        m_pList->SetFilterDlgRunner([this, conds, bOk](CFilterDlg& dlg) {
            dlg.OnInitDialog();
            m_strLastTitle = dlg.windowTitle();
            m_lastCombo = ComboItems(dlg.GetColumnCombo());
            AddConditions(dlg, conds);
            QTest::mouseClick(bOk ? dlg.GetOkButton() : dlg.GetCancelButton(), Qt::LeftButton);
            return dlg.result();
        });
    }

    QStringList Ids() const
    {
        QStringList out;
        for (int r = 0; r < m_pList->GetRowCount(); ++r)
            out << QString::number(m_pList->GetRowId(r));
        return out;
    }

private slots:
    void init()
    {
        m_pDb = std::make_unique<CProgDb>();
        m_pList = std::make_unique<CProgListView>();
        m_pList->SetMessageSink(&m_prompt);
        m_pTester = std::make_unique<QAbstractItemModelTester>(
            m_pList->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        BuildDb();
        m_pList->ShowDb(m_pDb.get());
        m_prompt.Reset();
        m_strLastTitle.clear();
        m_lastCombo.clear();
    }

    void cleanup()
    {
        QVERIFY2(m_prompt.Drained(), qPrintable(m_prompt.unexpected.join(", ")));
        m_pTester.reset();
        m_pList.reset();
        m_pDb.reset();
    }

    void FindNextMatchWalksTheRowsThatEqualEveryCondition()
    {
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        CListFilter filter(*m_pList->model());
        QCOMPARE(filter.GetColumnCount(), 16);
        QCOMPARE(filter.GetColumnName(6), QStringLiteral("Scramble"));

        QCOMPARE(filter.FindNextMatch(-1), 0); // no conditions: every row
        QCOMPARE(filter.FindNextMatch(4), 5);
        QCOMPARE(filter.FindNextMatch(5), -1);
        QCOMPARE(filter.FindNextMatch(1000), -1);

        filter.AddItem(6, QStringLiteral("1")); // Scramble
        QCOMPARE(filter.FindNextMatch(-5), 0);
        QCOMPARE(filter.FindNextMatch(0), 2);
        QCOMPARE(filter.FindNextMatch(2), 3);
        filter.AddItem(7, QStringLiteral("0")); // and Hide
        QCOMPARE(filter.FindNextMatch(0), 3);
        QCOMPARE(filter.FindNextMatch(3), 5);
        QCOMPARE(filter.FindNextMatch(5), -1);

        filter.ClearItems();
        filter.AddItem(99, QString()); // a column the list does not have never holds
        QCOMPARE(filter.FindNextMatch(-1), -1);
    }

    void MatchingIsExactOnTheShownText()
    {
        m_pList->ShowRecords(NODE_SAT, INVALID_ID);
        CListFilter filter(*m_pList->model());
        const auto Matches = [&](int nColumn, const QString& strValue) {
            filter.ClearItems();
            filter.AddItem(nColumn, strValue);
            QStringList rows;
            for (int r = filter.FindNextMatch(-1); r >= 0; r = filter.FindNextMatch(r))
                rows << QString::number(r);
            return rows.join(',');
        };
        QCOMPARE(Matches(1, "Astra"), QStringLiteral("0")); // letter case counts
        QCOMPARE(Matches(1, "astra"), QStringLiteral("2"));
        QCOMPARE(Matches(3, "9750"), QStringLiteral("0,2")); // the frequency shown, not the index 3
        QCOMPARE(Matches(3, "3"), QString());
        QCOMPARE(Matches(3, "5150"), QStringLiteral("1"));
        QCOMPARE(Matches(2, "130"), QStringLiteral("0,1"));
        QCOMPARE(Matches(2, "0130"), QString()); // numbers are not interpreted
        QCOMPARE(Matches(2, "130 "), QString());

        // Cells are not trimmed: a name stored with a leading blank needs it.
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        QCOMPARE(Matches(2, "BBC"), QStringLiteral("5"));
        QCOMPARE(Matches(2, " BBC"), QStringLiteral("4"));
    }

    void DialogOffersTheColumnsOfTheListUnderItsKindsCaption()
    {
        m_pList->ShowRecords(NODE_TP, INVALID_ID);
        CListFilter filter(*m_pList->model());
        CFilterDlg dlg(&filter, &m_prompt);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Filter"));
        dlg.SetTitle(QStringLiteral("Tp Filter"));
        dlg.OnInitDialog();
        dlg.OnInitDialog(); // a second call adds nothing
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Tp Filter"));
        QCOMPARE(ComboItems(dlg.GetColumnCombo()),
                 QStringList({"TpID", "SatID", "Frequency", "SymbolRate", "Polar"}));
        QCOMPARE(dlg.GetColumnCombo()->currentIndex(), 0);
        QVERIFY(!dlg.GetColumnCombo()->isEditable());
        QTreeWidget* pConds = dlg.GetConditionList();
        QCOMPARE(pConds->headerItem()->text(0), QStringLiteral("Item"));
        QCOMPARE(pConds->headerItem()->text(1), QStringLiteral("Opt"));
        QCOMPARE(pConds->headerItem()->text(2), QStringLiteral("Value"));
        QCOMPARE(pConds->columnWidth(0), 100);
        QCOMPARE(pConds->columnWidth(1), 60);
        QCOMPARE(pConds->columnWidth(2), 120);
        QCOMPARE(pConds->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(dlg.GetAddButton()->text(), QStringLiteral("&Add"));
        QCOMPARE(dlg.GetOkButton()->text(), QStringLiteral("确定"));
        QCOMPARE(dlg.GetCancelButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.GetOkButton()->isDefault());

        // Without a title the resource caption stays.
        CFilterDlg plain(&filter, &m_prompt);
        plain.OnInitDialog();
        QCOMPARE(plain.windowTitle(), QStringLiteral("Filter"));
    }

    void AddRefusesEmptyValuesAndSecondConditionsOnAColumn()
    {
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        CListFilter filter(*m_pList->model());
        CFilterDlg dlg(&filter, &m_prompt);
        dlg.OnInitDialog();
        QTreeWidget* pConds = dlg.GetConditionList();

        AddConditions(dlg, {{6, QStringLiteral("   ")}});
        QCOMPARE(m_prompt.Only(), QStringLiteral("Error|Empty input"));
        QCOMPARE(m_prompt.messages[0].nIcon, IMessageSink::ICON_ERROR);
        QCOMPARE(pConds->topLevelItemCount(), 0);
        m_prompt.Reset();

        AddConditions(dlg, {{6, QStringLiteral("  1 ")}, {2, QStringLiteral("One")}});
        QCOMPARE(m_prompt.Only(), QString());
        QCOMPARE(ConditionRows(pConds), QStringList({"Scramble == 1", "ProgName == One"}));
        QCOMPARE(pConds->topLevelItem(0)->data(0, Qt::UserRole).toInt(), 6);
        QCOMPARE(dlg.GetValueEdit()->text(), QStringLiteral("One")); // the edit box keeps its text

        AddConditions(dlg, {{6, QStringLiteral("0")}});
        QCOMPARE(m_prompt.Only(), QStringLiteral("Error|Filter Item Existed!"));
        QCOMPARE(pConds->topLevelItemCount(), 2);
        m_prompt.Reset();

        // A double click removes the condition it hits; then the column can be used again.
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QRect rcFirst = pConds->visualItemRect(pConds->topLevelItem(0));
        QTest::mouseDClick(pConds->viewport(), Qt::LeftButton, Qt::NoModifier, rcFirst.center());
        QCOMPARE(ConditionRows(pConds), QStringList({"ProgName == One"}));
        AddConditions(dlg, {{6, QStringLiteral("0")}});
        QCOMPARE(ConditionRows(pConds), QStringList({"ProgName == One", "Scramble == 0"}));
        QCOMPARE(m_prompt.Only(), QString());

        // With no row last clicked a double click removes nothing.
        pConds->setCurrentItem(nullptr);
        dlg.OnConditionDblClick();
        QCOMPARE(pConds->topLevelItemCount(), 2);
    }

    void OkRefusesAnEmptySetAndOtherwiseFillsTheFilterInRowOrder()
    {
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        CListFilter filter(*m_pList->model());
        filter.AddItem(0, QStringLiteral("stale"));
        CFilterDlg dlg(&filter, &m_prompt);
        dlg.OnInitDialog();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QTest::mouseClick(dlg.GetOkButton(), Qt::LeftButton);
        QCOMPARE(m_prompt.Only(), QStringLiteral("Empty|Empty Filter!"));
        QCOMPARE(m_prompt.messages[0].nIcon, IMessageSink::ICON_ERROR);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(filter.GetItems().size(), size_t(1)); // untouched by a refused OK
        m_prompt.Reset();

        AddConditions(dlg, {{7, QStringLiteral("0")}, {1, QStringLiteral("1")}});
        QTest::mouseClick(dlg.GetOkButton(), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(filter.GetItems().size(), size_t(2));
        QCOMPARE(filter.GetItems()[0].nColumn, 7);
        QCOMPARE(filter.GetItems()[0].strValue, QStringLiteral("0"));
        QCOMPARE(filter.GetItems()[1].nColumn, 1);
        QCOMPARE(filter.GetItems()[1].strValue, QStringLiteral("1"));
    }

    void FilterKeepsTheMatchingRowsAndNarrowsFurther()
    {
        QAction action;
        m_pList->SetFilterAction(&action);
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        QSignalSpy modified(m_pList.get(), &CProgListView::DbModified);

        Answer({{6, QStringLiteral("1")}}); // Scramble == 1
        action.trigger();
        QCOMPARE(m_strLastTitle, QStringLiteral("Prog Filter"));
        QCOMPARE(m_lastCombo.size(), 16);
        QCOMPARE(Ids(), QStringList({"0", "2", "3", "5"}));
        QCOMPARE(m_pList->model()->columnCount(), 16);

        Answer({{7, QStringLiteral("0")}}); // then Hide == 0, on the rows left
        action.trigger();
        QCOMPARE(Ids(), QStringList({"0", "3", "5"}));

        // Cancel changes nothing.
        Answer({{2, QStringLiteral("One")}}, false);
        action.trigger();
        QCOMPARE(Ids(), QStringList({"0", "3", "5"}));

        // The rows are rebuilt from the database: a changed record shows its new values.
        static_cast<CProgNode*>(m_pDb->GetProgList().Find(3))->GetRecord()->SetName("Vier");
        Answer({{1, QStringLiteral("1")}}); // TpID == 1
        action.trigger();
        QCOMPARE(Ids(), QStringList({"3", "5"}));
        QCOMPARE(m_pList->model()->data(m_pList->model()->index(0, 2)).toString(), QStringLiteral("Vier"));

        // Nothing left: the columns stay and the command is disabled.
        Answer({{2, QStringLiteral("one")}});
        action.trigger();
        QCOMPARE(m_pList->GetRowCount(), 0);
        QCOMPARE(m_pList->model()->columnCount(), 16);
        QVERIFY(!action.isEnabled());
        QCOMPARE(m_pDb->GetProgList().GetCount(), 6); // the database never changes
        QCOMPARE(modified.count(), 0);

        // A new listing drops the filter.
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        QCOMPARE(m_pList->GetRowCount(), 6);
        QVERIFY(action.isEnabled());
    }

    void FilterCaptionFollowsTheKindShown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("firstColumn");
        QTest::newRow("satellites") << int(NODE_SAT) << "Sat Filter"
                                    << "SatID";
        QTest::newRow("transponders") << int(NODE_TP) << "Tp Filter"
                                      << "TpID";
        QTest::newRow("programs") << int(NODE_PROG) << "Prog Filter"
                                  << "ProgID";
    }

    void FilterCaptionFollowsTheKindShown()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, firstColumn);
        m_pList->ShowRecords(kind, INVALID_ID);
        Answer({}, false);
        m_pList->OnFilter();
        QCOMPARE(m_strLastTitle, title);
        QCOMPARE(m_lastCombo.value(0), firstColumn);
    }

    void FilterOnSatellitesComparesTheShownFrequency()
    {
        m_pList->ShowRecords(NODE_SAT, INVALID_ID);
        Answer({{3, QStringLiteral(" 9750 ")}}); // LocalFre1, typed with blanks
        m_pList->OnFilter();
        QCOMPARE(Ids(), QStringList({"0", "2"}));
    }

    void FilterWithNoRowsDoesNotAsk()
    {
        m_pList->ShowRecords(NODE_TP, 7); // no transponder on satellite 7
        int nAsked = 0;
        m_pList->SetFilterDlgRunner([&](CFilterDlg&) { return ++nAsked, int(QDialog::Accepted); });
        m_pList->OnFilter();
        QCOMPARE(nAsked, 0);
    }

    // The real modal loop, answered through the dialog's own widgets while it runs.
    void FilterDialogRunsModally()
    {
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        bool bSeen = false;
        QTimer::singleShot(0, this, [&] {
            auto* pDlg = qobject_cast<CFilterDlg*>(QApplication::activeModalWidget());
            if (!pDlg)
                return;
            bSeen = true;
            QCOMPARE(pDlg->windowTitle(), QStringLiteral("Prog Filter"));
            QTest::mouseClick(pDlg->GetOkButton(), Qt::LeftButton); // refused: no condition
            pDlg->GetColumnCombo()->setCurrentIndex(2);
            QTest::keyClicks(pDlg->GetValueEdit(), QStringLiteral("Two"));
            QTest::mouseClick(pDlg->GetAddButton(), Qt::LeftButton);
            QTest::mouseClick(pDlg->GetOkButton(), Qt::LeftButton);
        });
        // Should the dialog not have come up as expected, it is closed so that the test ends.
        QTimer::singleShot(5000, this, [] {
            if (auto* pDlg = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                pDlg->reject();
        });
        m_pList->OnFilter();
        QVERIFY(bSeen);
        QCOMPARE(m_prompt.Only(), QStringLiteral("Empty|Empty Filter!"));
        QCOMPARE(Ids(), QStringList({"1"}));
    }

    // Enter in the value box adds the condition; it does not press OK.
    void EnterInTheValueBoxAddsTheCondition()
    {
        m_pList->ShowRecords(NODE_PROG, INVALID_ID);
        CListFilter filter(*m_pList->GetModel());
        CFilterDlg dlg(&filter, &m_prompt);
        dlg.OnInitDialog();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.GetColumnCombo()->setCurrentIndex(6);
        dlg.GetValueEdit()->setFocus();
        QTest::keyClicks(dlg.GetValueEdit(), QStringLiteral("1"));
        QTest::keyClick(dlg.GetValueEdit(), Qt::Key_Return);
        QCOMPARE(ConditionRows(dlg.GetConditionList()), QStringList({"Scramble == 1"}));
        QVERIFY(dlg.isVisible());
        QCOMPARE(m_prompt.Only(), QString());
        dlg.GetColumnCombo()->setCurrentIndex(7);
        dlg.GetValueEdit()->setText(QStringLiteral("0"));
        QTest::keyClick(dlg.GetValueEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(dlg.GetConditionList()->topLevelItemCount(), 2);
        QVERIFY(dlg.isVisible());
        // Elsewhere Enter still presses OK.
        dlg.GetColumnCombo()->setFocus();
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(filter.GetItems().size(), size_t(2));
    }

    // A filter is cleared where it was made: selecting the tree node again, or Escape in the
    // list. While it is in force, the status bar says how many rows are left of how many.
    void AFilterIsShownAndClearedWhereItWasMade()
    {
        CQueuePrompt prompt;
        CMainFrame frame(prompt);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CProgBrowseView* pTree = frame.GetTreeView();
        CProgListView* pList = frame.GetListView();
        pTree->ShowDb(m_pDb.get());
        pList->ShowDb(m_pDb.get());
        auto* pStatus = frame.findChild<QLabel*>(QStringLiteral("messagePane"));
        const auto ClickNode = [pTree](QTreeWidgetItem* pItem) {
            QTest::mouseClick(pTree->viewport(), Qt::LeftButton, Qt::NoModifier,
                              pTree->visualItemRect(pItem).center());
        };
        const auto Filter = [&](const Conditions& conds) {
            pList->SetFilterDlgRunner([conds](CFilterDlg& dlg) {
                dlg.OnInitDialog();
                AddConditions(dlg, conds);
                dlg.OnOK();
                return dlg.result();
            });
            pList->OnFilter();
        };

        ClickNode(pTree->GetAllProgItem());
        QCOMPARE(pList->GetRowCount(), 6);
        QCOMPARE(pStatus->text(), QStringLiteral("Ready"));
        Filter({{6, QStringLiteral("1")}}); // Scramble == 1
        QCOMPARE(pList->GetRowCount(), 4);
        QCOMPARE(pStatus->text(), QStringLiteral("Filter: 4 of 6 programs"));
        Filter({{7, QStringLiteral("0")}}); // and Hide == 0
        QCOMPARE(pStatus->text(), QStringLiteral("Filter: 3 of 6 programs"));
        ClickNode(pTree->GetAllProgItem()); // the same node again
        QCOMPARE(pList->GetRowCount(), 6);
        QCOMPARE(pStatus->text(), QStringLiteral("Ready"));

        // Escape: everything again, the selected record still selected.
        pTree->GetSatGroupItem()->setExpanded(true);
        ClickNode(pTree->GetSatGroupItem()->child(1)); // the transponders of "Hot"
        ClickNode(pTree->GetSatGroupItem());
        QCOMPARE(pList->GetRowCount(), 3);
        Filter({{3, QStringLiteral("9750")}});
        QCOMPARE(pStatus->text(), QStringLiteral("Filter: 2 of 3 satellites"));
        pList->SelectRow(1); // "astra"
        pList->setFocus();
        QTest::keyClick(pList, Qt::Key_Escape);
        QCOMPARE(pList->GetRowCount(), 3);
        QCOMPARE(pList->GetSelectedRows(), std::vector<int>({2}));
        QCOMPARE(pList->currentIndex().row(), 2);
        QCOMPARE(pStatus->text(), QStringLiteral("Ready"));
        // Without a filter Escape does nothing.
        QTest::keyClick(pList, Qt::Key_Escape);
        QCOMPARE(pList->GetRowCount(), 3);

        // A delete in a filtered list counts down both numbers.
        Filter({{3, QStringLiteral("9750")}});
        pList->clearSelection();
        pList->SelectRow(1);
        pList->DeleteSelected();
        QCOMPARE(pStatus->text(), QStringLiteral("Filter: 1 of 2 satellites"));
    }

    // In the editor the dialog's refusals reach the frame's prompt, and Ctrl+F runs the command.
    void FrameRoutesFilterMessagesToItsPrompt()
    {
        CQueuePrompt prompt;
        CMainFrame frame(prompt);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.OpenSample());
        CProgListView* pList = frame.GetListView();
        frame.GetTreeView()->setCurrentItem(frame.GetTreeView()->GetAllProgItem());
        QVERIFY(pList->GetRowCount() > 1);
        auto* pAction = frame.findChild<QAction*>(QStringLiteral("actionFilter"));
        QVERIFY(pAction && pAction->isEnabled());

        int nRuns = 0;
        pList->SetFilterDlgRunner([&](CFilterDlg& dlg) {
            ++nRuns;
            dlg.OnInitDialog();
            dlg.OnOK();
            dlg.reject();
            return dlg.result();
        });
        pList->setFocus();
        QTest::keyClick(pList, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(nRuns, 1);
        QCOMPARE(prompt.Only(), QStringLiteral("Empty|Empty Filter!"));
    }
};

RAVELIN_GUI_TEST_MAIN(CFilterTest)
#include "FilterTest.moc"
