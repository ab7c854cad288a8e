// Everyday editing in the editor: the one-key flags and favourite groups, the tree's favourites.

#include "FrameTestBase.h"
#include "GuiTestMain.h"

#include "app/FlagActions.h"
#include "db/Columns.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"

#include <QStatusBar>

namespace {

// One satellite, two transponders, programs P0..P5 alternating between them.
void MakeDb(CProgDb& db)
{
    AddSat(db, "Astra");
    AddTp(db, 0, 11000, 27500);
    AddTp(db, 0, 12000, 27500);
    for (int p = 0; p < 6; ++p)
        AddProg(db, p % 2, "P" + std::to_string(p));
}

uint32_t FieldOf(const CProgDb& db, int32_t nId, const FieldDesc& field)
{
    return static_cast<const CProgNode*>(db.GetProgList().Find(nId))->GetRecord()->Get(field);
}

} // namespace

class CEverydayTest : public CFrameTestBase
{
    Q_OBJECT

    CProgListView* List() const { return m_pFrame->GetListView(); }
    CProgBrowseView* Tree() const { return m_pFrame->GetTreeView(); }

    void OpenDb()
    {
        CProgDb db;
        MakeDb(db);
        const QString strPath = Path(QStringLiteral("flags.db"));
        QVERIFY(CAccessDbOut().SaveDb(strPath.toStdString(), &db));
        QVERIFY(m_pFrame->OpenFile(strPath));
    }
    void SelectIds(std::initializer_list<int32_t> ids)
    {
        List()->clearSelection();
        for (int r = 0; r < List()->GetRowCount(); ++r)
            if (std::find(ids.begin(), ids.end(), List()->GetRowId(r)) != ids.end())
                List()->SelectRow(r);
    }

private slots:
    void FlagKeysToggleOnTheSelectionAsOneStep()
    {
        const struct
        {
            const char* pszAction;
            const char* pszKey;
        } keys[] = {{"actionLock", "Ctrl+L"},       {"actionSkip", "Ctrl+J"},
                    {"actionHide", "Ctrl+H"},       {"actionFavourite0", "Ctrl+0"},
                    {"actionFavourite1", "Ctrl+1"}, {"actionFavourite9", "Ctrl+9"},
                    {"actionFavourite10", ""},      {"actionFavourite15", ""}};
        for (const auto& k : keys)
            QCOMPARE(Action(k.pszAction)->shortcut(), QKeySequence(QString::fromLatin1(k.pszKey)));
        QCOMPARE(Action("actionLock")->statusTip(), QStringLiteral("Lock: no channel list is open"));

        OpenDb();
        QVERIFY(Tree()->SelectNode(NODE_SAT, INVALID_ID));
        QVERIFY(!Action("actionSkip")->isEnabled());
        QCOMPARE(Action("actionSkip")->statusTip(), QStringLiteral("Skip: the list shows no programs"));
        QVERIFY(Tree()->SelectNode(NODE_PROG, INVALID_ID));
        QCOMPARE(Action("actionHide")->statusTip(), QStringLiteral("Hide: no programs are selected"));

        // Set on all when one of them lacks it, cleared on all when every one has it.
        const CProgDb& db = *m_pFrame->GetDb();
        const struct
        {
            const char* pszAction;
            const FieldDesc* pField;
            std::initializer_list<int32_t> ids;
            uint32_t nAfter;
            const char* pszUndo;
        } steps[] = {
            {"actionLock", &ProgField::Lock, {0, 2, 4}, 1, "&Undo Lock 3 programs"},
            {"actionLock", &ProgField::Lock, {2, 3}, 1, "&Undo Lock 2 programs"},
            {"actionLock", &ProgField::Lock, {0, 2, 3, 4}, 0, "&Undo Unlock 4 programs"},
            {"actionSkip", &ProgField::Skip, {5}, 1, "&Undo Skip 1 program"},
            {"actionHide", &ProgField::Hide, {1, 5}, 1, "&Undo Hide 2 programs"},
            {"actionHide", &ProgField::Hide, {1, 5}, 0, "&Undo Unhide 2 programs"},
            {"actionFavourite3", &ProgField::FavType, {0, 1, 4}, 3, "&Undo Favourite Group 3 for 3 programs"},
            {"actionFavourite15", &ProgField::FavType, {5}, 15, "&Undo Favourite Group 15 for 1 program"},
            {"actionFavourite0", &ProgField::FavType, {4}, 0, "&Undo No Favourite Group for 1 program"},
        };
        for (const auto& step : steps) {
            SelectIds(step.ids);
            Trigger(step.pszAction);
            for (int32_t nId : step.ids)
                QCOMPARE(FieldOf(db, nId, *step.pField), step.nAfter);
            QCOMPARE(Action("actionUndo")->text(), QString::fromLatin1(step.pszUndo));
        }
        QCOMPARE(List()->GetSelectedIds(), std::vector<int32_t>{4}); // the selection stays

        // Saved, the flags and groups read back.
        Trigger("actionSave");
        CProgDb saved;
        QVERIFY(CAccessDbIn().LoadDb(Path(QStringLiteral("flags.db")).toStdString(), &saved));
        QCOMPARE(FieldOf(saved, 2, ProgField::Lock), 0u);
        QCOMPARE(FieldOf(saved, 5, ProgField::Skip), 1u);
        QCOMPARE(FieldOf(saved, 1, ProgField::FavType), 3u);
        QCOMPARE(FieldOf(saved, 5, ProgField::FavType), 15u);
        QVERIFY(m_pPrompt->messages.empty());
    }

    void FavouritesInTheTreeFollowEveryChange()
    {
        OpenDb();
        QTreeWidgetItem* pFavourites = Tree()->GetFavouritesItem();
        QCOMPARE(Tree()->indexOfTopLevelItem(pFavourites), 1); // after "All Prog"
        QCOMPARE(pFavourites->childCount(), 0);
        QVERIFY(Tree()->SelectNode(NODE_PROG, INVALID_ID));
        SelectIds({3, 1, 5});
        Trigger("actionFavourite2");
        SelectIds({0});
        Trigger("actionFavourite7");
        QCOMPARE(pFavourites->childCount(), 2);
        QCOMPARE(pFavourites->child(0)->text(0), QStringLiteral("Group 2 (3)"));
        QCOMPARE(pFavourites->child(1)->text(0), QStringLiteral("Group 7 (1)"));

        // A group lists its programs in database order, and loses one that leaves it.
        Tree()->setCurrentItem(Tree()->FindFavouritesNode(2));
        QCOMPARE(List()->GetModel()->GetIds(), (std::vector<int32_t>{1, 3, 5}));
        SelectIds({3});
        Trigger("actionFavourite0");
        QCOMPARE(List()->GetModel()->GetIds(), (std::vector<int32_t>{1, 5}));
        QCOMPARE(Tree()->FindFavouritesNode(2)->text(0), QStringLiteral("Group 2 (2)"));
        QVERIFY(Tree()->currentItem() == Tree()->FindFavouritesNode(2));
        Trigger("actionUndo");
        QCOMPARE(List()->GetModel()->GetIds(), (std::vector<int32_t>{1, 3, 5}));
        QCOMPARE(Tree()->FindFavouritesNode(2)->text(0), QStringLiteral("Group 2 (3)"));
        // "Favourites" itself lists the programs of every group.
        Tree()->setCurrentItem(pFavourites);
        QCOMPARE(List()->GetModel()->GetIds(), (std::vector<int32_t>{0, 1, 3, 5}));
        // Deleted, a program leaves its group.
        SelectIds({0});
        List()->DeleteSelected();
        QCOMPARE(pFavourites->childCount(), 1);
        QCOMPARE(List()->GetModel()->GetIds(), (std::vector<int32_t>{1, 3, 5}));
    }

    // File > New: asks about unsaved changes first, gives an empty "Untitled" list that New Satellite
    // fills, and Save asks for a name.
    void NewStartsAnEmptyUntitledList()
    {
        QCOMPARE(Action("actionNew")->shortcut(), QKeySequence(QKeySequence::New));
        OpenDb();
        DeleteAProgram();
        m_pPrompt->saveAnswers.push_back(IPrompt::CHOICE_CANCEL);
        Trigger("actionNew");
        QCOMPARE(m_pFrame->GetDb()->GetProgList().GetCount(), 5); // kept
        m_pPrompt->saveAnswers.push_back(IPrompt::CHOICE_DISCARD);
        Trigger("actionNew");
        QVERIFY(m_pFrame->GetDb()->IsEmpty());
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Untitled - Ravelin Advanced"));
        QCOMPARE(Tree()->topLevelItemCount(), 3);
        Trigger("actionNewSatellite");
        QCOMPARE(m_pFrame->GetDb()->GetSatList().GetCount(), 1);
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Untitled* - Ravelin Advanced"));
        List()->CommitEditing();
        m_pPrompt->files.push_back(Path(QStringLiteral("new.db")));
        Trigger("actionSave");
        QCOMPARE(m_pPrompt->dialogs.back().strDefaultName, QStringLiteral("DefaultDb.db"));
        QCOMPARE(m_pFrame->GetDocPath(), Path(QStringLiteral("new.db")));
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("new.db - Ravelin Advanced"));
        m_pPrompt->Reset();
    }
};

RAVELIN_GUI_TEST_MAIN(CEverydayTest)
#include "EverydayTest.moc"
