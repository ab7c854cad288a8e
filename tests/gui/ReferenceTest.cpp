// The reference list in the editor: opening and closing it, comparing with it, taking its records
// over (by the command and by dragging) and ordering the edited list like it, each undone back to the
// bytes that were loaded.

#include "FrameTestBase.h"
#include "GuiTestMain.h"

#include "app/OrderLikeDlg.h"
#include "app/ReferenceCommands.h"
#include "db/Columns.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ReferencePane.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>

namespace {

// Two satellites at their own positions, a transponder each, and programs with service ids; names
// "P<service id>".
void MakeReference(CProgDb& db)
{
    for (int s = 0; s < 2; ++s) {
        CSatNode* pSat = AddSat(db, s == 0 ? "Astra" : "Hotbird");
        pSat->GetRecord()->Set(SatField::Longitude, s == 0 ? 192 : 130);
        AddTp(db, s, 11000 + s, 27500, 0);
    }
    for (int p = 0; p < 6; ++p) {
        CProgNode* pProg = AddProg(db, p < 4 ? 0 : 1, "P" + std::to_string(p + 1));
        pProg->GetRecord()->Set(ProgField::ServiceId, static_cast<uint32_t>(p + 1));
        pProg->GetRecord()->Set(ProgField::VPID, 100);
        pProg->GetRecord()->Set(ProgField::Lock, p == 2 ? 1 : 0);
    }
}

QByteArray ImageOf(CProgDb* pDb)
{
    std::vector<uint8_t> image;
    if (!CAccessDbOut().BuildImage(pDb, image))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<int>(image.size()));
}

} // namespace

class CReferenceTest : public CFrameTestBase
{
    Q_OBJECT

    CReferenceCommands* Refs() const { return m_pFrame->GetReferenceCommands(); }
    CProgListView* RefList() const { return Refs()->GetPane()->GetListView(); }
    QString Message() const { return m_pFrame->findChild<QLabel*>("messagePane")->text(); }

    QString SaveDb(CProgDb& db, const QString& strName)
    {
        const QString strPath = Path(strName);
        return CAccessDbOut().SaveDb(strPath.toStdString(), &db) ? strPath : QString();
    }

    // Opens the edited list from a .db file and the reference through File > Open Reference List...
    void OpenBoth(CProgDb& edited, CProgDb& reference)
    {
        QVERIFY(m_pFrame->OpenFile(SaveDb(edited, QStringLiteral("edited.db"))));
        m_pPrompt->files.push_back(SaveDb(reference, QStringLiteral("reference.db")));
        m_pPrompt->filterChoices.push_back(0); // Program Db File
        Trigger("actionOpenReference");
        QVERIFY(Refs()->GetReference());
        m_pPrompt->Reset();
    }

private slots:
    void ReferenceOpensBesideTheListReadOnlyAndCloses()
    {
        QVERIFY(!Action("actionCompare")->isEnabled());
        QCOMPARE(Action("actionCompare")->statusTip(),
                 QStringLiteral(
                     "Compare With Reference: no reference list is open (File > Open Reference List...)"));
        QCOMPARE(Action("actionOpenReference")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+O")));
        CProgDb edited, reference;
        MakeReference(edited);
        MakeReference(reference);
        OpenBoth(edited, reference);
        QCOMPARE(m_pFrame->GetSplitter()->count(), 3);
        QVERIFY(Refs()->GetPane()->isVisibleTo(m_pFrame.get()));
        QCOMPARE(Refs()->GetPane()->findChild<QLabel*>("referenceHeading")->text(),
                 QStringLiteral("Reference: reference.db"));

        // Browsed like the edited list, but nothing in it can change.
        QVERIFY(Refs()->GetPane()->GetTreeView()->SelectNode(NODE_PROG, INVALID_ID));
        QCOMPARE(RefList()->GetRowCount(), 6);
        QVERIFY(!RefList()->IsCellEditable(0, FindColumn(NODE_PROG, "ProgName")));
        RefList()->SelectRow(0);
        RefList()->setFocus();
        QTest::keyClick(RefList(), Qt::Key_Delete);
        QCOMPARE(Refs()->GetReference()->GetDb()->GetProgList().GetCount(), 6);
        QVERIFY(!m_pFrame->IsModified());

        // A file that cannot be read leaves the reference that was open.
        m_pPrompt->files.push_back(Path(QStringLiteral("missing.db")));
        Trigger("actionOpenReference");
        QCOMPARE(m_pPrompt->messages.size(), size_t(1));
        QCOMPARE(m_pPrompt->messages[0].strCaption, std::string("Load Error"));
        QCOMPARE(Refs()->GetReference()->GetName(), std::string("reference.db"));
        m_pPrompt->Reset();

        Trigger("actionCloseReference");
        QVERIFY(!Refs()->GetReference());
        QVERIFY(!Refs()->GetPane()->isVisibleTo(m_pFrame.get()));
        QVERIFY(!Action("actionCloseReference")->isEnabled());
    }

    // The edited list lacks P4, has a program of its own, P2 with another VPID and P5 before P1.
    void CompareMarksCountsAndFollowsTheSelection()
    {
        CProgDb reference;
        MakeReference(reference);
        CProgDb edited;
        MakeReference(edited);
        CNodeList& progs = edited.GetProgList();
        progs.Find(1)->SetParentId(0);
        static_cast<CProgNode*>(progs.Find(1))->GetRecord()->Set(ProgField::VPID, 201);
        progs.Remove(3);
        CProgNode* pOwn = AddProg(edited, 1, "Mine");
        pOwn->GetRecord()->Set(ProgField::ServiceId, 99);
        progs.Move(4, 0); // P5 first
        OpenBoth(edited, reference);

        Trigger("actionCompare");
        QVERIFY(Refs()->IsComparing());
        QCOMPARE(Message(),
                 QStringLiteral("Compare: 1 only in this list, 1 only in the reference, 1 changed, 1 moved"));
        QVERIFY(m_pFrame->GetTreeView()->SelectNode(NODE_PROG, INVALID_ID));
        CProgListView* pList = m_pFrame->GetListView();
        CProgListModel* pModel = pList->GetModel();
        const int nVpid = FindColumn(NODE_PROG, "VPID");
        const int nName = FindColumn(NODE_PROG, "ProgName");
        int nChangedRow = -1, nOwnRow = -1;
        for (int r = 0; r < pList->GetRowCount(); ++r) {
            if (pModel->CellText(r, nName) == QStringLiteral("P2"))
                nChangedRow = r;
            if (pModel->CellText(r, nName) == QStringLiteral("Mine"))
                nOwnRow = r;
        }
        for (int c = 0; c < 16; ++c)
            qDebug() << c << pModel->MarkToolTip(nChangedRow, c) << nChangedRow << pList->GetRowCount()
                     << pModel->GetMarks();
        QCOMPARE(pModel->MarkToolTip(nChangedRow, nVpid), QStringLiteral("Reference: 100"));
        QVERIFY(pModel->data(pModel->index(nChangedRow, nVpid), Qt::BackgroundRole).isValid());
        QVERIFY(!pModel->data(pModel->index(nChangedRow, 0), Qt::BackgroundRole).isValid());
        QCOMPARE(pModel->MarkToolTip(nOwnRow, 0), QStringLiteral("Not in the reference list"));

        // Choosing a row of the edited list chooses its match in the reference, and back.
        pList->setCurrentIndex(pModel->index(nChangedRow, 0));
        QCOMPARE(RefList()->GetKind(), int32_t(NODE_PROG));
        QCOMPARE(RefList()->GetModel()->CellText(RefList()->GetCurrentRow(), nName), QStringLiteral("P2"));
        QCOMPARE(RefList()->GetSelectedRows().size(), size_t(1));
        RefList()->setCurrentIndex(RefList()->GetModel()->index(0, 0)); // P1 of the reference
        QCOMPARE(pModel->CellText(pList->GetCurrentRow(), nName), QStringLiteral("P1"));

        // The comparison follows every change of the edited list: setting VPID back, P2 is the same.
        QVERIFY(pList->SetCellText(nChangedRow, nVpid, QStringLiteral("100")));
        QCOMPARE(Message(),
                 QStringLiteral("Compare: 1 only in this list, 1 only in the reference, 0 changed, 1 moved"));
        Trigger("actionUndo");
        QCOMPARE(Message(),
                 QStringLiteral("Compare: 1 only in this list, 1 only in the reference, 1 changed, 1 moved"));
        Trigger("actionCompare");
        QVERIFY(!Refs()->IsComparing());
        QCOMPARE(pModel->MarkToolTip(nChangedRow, nVpid), QString());
        QCOMPARE(Message(), QStringLiteral("Ready"));
    }

    void TakeOverCopiesWithParentsSkipsWhatIsThereAndUndoes()
    {
        CProgDb reference;
        MakeReference(reference);
        CProgDb edited;
        AddSat(edited, "Astra")->GetRecord()->Set(SatField::Longitude, 192);
        AddTp(edited, 0, 11000, 27500, 0);
        AddProg(edited, 0, "P1")->GetRecord()->Set(ProgField::ServiceId, 1);
        const QByteArray loaded = ImageOf(&edited);
        OpenBoth(edited, reference);
        QVERIFY(!Action("actionTakeOver")->isEnabled()); // nothing chosen in the reference yet
        QVERIFY(Action("actionTakeOver")
                    ->statusTip()
                    .endsWith(QStringLiteral("no rows of the reference list are selected")));

        // All programs of the reference: P1 is there already; the others come with Hotbird and its
        // transponder.
        QVERIFY(Refs()->GetPane()->GetTreeView()->SelectNode(NODE_PROG, INVALID_ID));
        RefList()->selectAll();
        Trigger("actionTakeOver");
        CProgDb* pDb = m_pFrame->GetDb();
        QCOMPARE(pDb->GetSatList().GetCount(), 2);
        QCOMPARE(pDb->GetTpList().GetCount(), 2);
        QCOMPARE(pDb->GetProgList().GetCount(), 6);
        QCOMPARE(m_pFrame->statusBar()->currentMessage(),
                 QStringLiteral("Took over 5 programs; skipped 1 program this list already has"));
        QCOMPARE(m_pFrame->GetListView()->GetSelectedIds().size(), size_t(5));
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Take Over 5 programs"));
        Trigger("actionTakeOver");
        QCOMPARE(m_pFrame->statusBar()->currentMessage(),
                 QStringLiteral("Take Over: this list already has the 6 programs"));
        Trigger("actionUndo");
        QCOMPARE(ImageOf(pDb), loaded);
        QVERIFY(!m_pFrame->IsModified());

        // Rows dragged out of the reference and dropped on a row of the list go before that row.
        m_pFrame->resize(1200, 600);
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        QVERIFY(m_pFrame->GetTreeView()->SelectNode(NODE_PROG, 0));
        RefList()->clearSelection();
        RefList()->SelectRow(1); // P2
        CProgListView* pList = m_pFrame->GetListView();
        const QPoint ptRow = pList->visualRect(pList->GetModel()->index(0, 0)).center();
        RefList()->BeginDrag(1, RefList()->visualRect(RefList()->GetModel()->index(1, 0)).center());
        QVERIFY(RefList()->IsDragging());
        RefList()->DragMove(RefList()->viewport()->mapFromGlobal(pList->viewport()->mapToGlobal(ptRow)));
        RefList()->EndDrag();
        QCOMPARE(pDb->GetProgList().GetCount(), 2);
        QCOMPARE(GetNodeName(**pDb->GetProgList().begin()), std::string("P2"));
        QCOMPARE(pList->GetRowCount(), 2);
        Trigger("actionUndo");
        QCOMPARE(ImageOf(pDb), loaded);
    }

    // A rescan: the reference's programs in another order, renamed and unlocked; ordered like the
    // reference with its names and flags it is the reference again, byte for byte.
    void OrderLikeReferenceShowsItsCountsAndUndoes()
    {
        CProgDb reference;
        MakeReference(reference);
        CProgDb rescan;
        MakeReference(rescan);
        CNodeList& progs = rescan.GetProgList();
        progs.Move(5, 0);
        progs.Move(3, 1);
        for (CNode* pNode : progs) {
            auto* pProg = static_cast<CProgNode*>(pNode);
            pProg->GetRecord()->SetName("CH" + std::to_string(pProg->GetId()));
            pProg->GetRecord()->Set(ProgField::Lock, 0);
        }
        const QByteArray loaded = ImageOf(&rescan);
        OpenBoth(rescan, reference);

        QString strSummary;
        Refs()->SetOrderDlgRunner([&strSummary](COrderLikeDlg& dlg) {
            dlg.GetNamesBox()->setChecked(true);
            dlg.GetFlagsBox()->setChecked(true);
            strSummary = dlg.GetSummary();
            return int(QDialog::Accepted);
        });
        Trigger("actionOrderLike");
        QVERIFY2(strSummary.startsWith(QStringLiteral(
                     "satellites: 2 of 2 like the reference (2 by position, 0 by name), 0 after them\n"
                     "transponders: 2 of 2 like the reference (2 exact, 0 near), 0 after them\n"
                     "programs: 6 of 6 like the reference (6 by service, 0 by name), 0 after them\n"
                     "names changed: 6\nprograms with other flags: 1")),
                 qPrintable(strSummary));
        QCOMPARE(ImageOf(m_pFrame->GetDb()), ImageOf(&reference));
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Order Like Reference"));
        Trigger("actionUndo");
        QCOMPARE(ImageOf(m_pFrame->GetDb()), loaded);

        // Already like it: the dialog says so and offers no OK.
        Refs()->SetOrderDlgRunner([](COrderLikeDlg& dlg) {
            return dlg.GetButtons()->button(QDialogButtonBox::Ok)->isEnabled() ? int(QDialog::Accepted)
                                                                               : int(QDialog::Rejected);
        });
        Trigger("actionRedo");
        Trigger("actionOrderLike");
        QCOMPARE(Action("actionUndo")->text(), QStringLiteral("&Undo Order Like Reference"));
        QVERIFY(m_pFrame->GetEditHistory().GetUndoCount() == 1);
    }
};

RAVELIN_GUI_TEST_MAIN(CReferenceTest)
#include "ReferenceTest.moc"
