#include "db/RowReorder.h"

#include "db/ProgDb.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A program list whose records are named A, B, C, ... (ids 0, 1, 2, ...), with rows for all of them.
class Reorder : public ::testing::Test
{
protected:
    void Make(const std::string& names, int32_t nParentEvery = 0)
    {
        for (size_t i = 0; i < names.size(); ++i) {
            auto p = std::make_unique<CProgNode>();
            p->GetRecord()->SetName(std::string(1, names[i]));
            p->SetParentId(nParentEvery ? static_cast<int32_t>(i) / nParentEvery : 0);
            m_list.Add(std::move(p));
            m_rows.ids.push_back(static_cast<int32_t>(i));
            m_rows.selected.push_back(false);
        }
    }
    void Select(const std::string& names)
    {
        for (size_t i = 0; i < m_rows.ids.size(); ++i)
            m_rows.selected[i] = names.find(Name(m_rows.ids[i])) != std::string::npos;
    }
    std::string Name(int32_t nId) const
    {
        return static_cast<const CProgNode*>(m_list.Find(nId))->GetRecord()->GetName();
    }
    std::string DbOrder() const
    {
        std::string s;
        for (const CNode* p : m_list)
            s += static_cast<const CProgNode*>(p)->GetRecord()->GetName();
        return s;
    }
    std::string RowOrder() const
    {
        std::string s;
        for (int32_t id : m_rows.ids)
            s += Name(id);
        return s;
    }
    std::string SelectedRows() const
    {
        std::string s;
        for (size_t i = 0; i < m_rows.ids.size(); ++i)
            if (m_rows.selected[i])
                s += Name(m_rows.ids[i]);
        return s;
    }
    int Row(char name) const { return static_cast<int>(RowOrder().find(name)); }

    CNodeList m_list;
    CListRows m_rows;
};

} // namespace

TEST_F(Reorder, SingleRowLandsBeforeTheDropRow)
{
    Make("ABCD");
    Select("A");
    EXPECT_TRUE(DropRows(m_list, m_rows, Row('A'), Row('C')));
    EXPECT_EQ(RowOrder(), "BACD");
    EXPECT_EQ(DbOrder(), "BACD");
    EXPECT_EQ(SelectedRows(), "A");
}

TEST_F(Reorder, SingleRowDraggedUpwards)
{
    Make("ABCD");
    Select("D");
    EXPECT_TRUE(DropRows(m_list, m_rows, 3, 1));
    EXPECT_EQ(RowOrder(), "ADBC");
    EXPECT_EQ(DbOrder(), "ADBC");
    EXPECT_EQ(SelectedRows(), "D");
}

TEST_F(Reorder, DropOnItselfOrWithoutTargetChangesNothing)
{
    Make("ABCD");
    Select("B");
    EXPECT_FALSE(DropRows(m_list, m_rows, 1, 1));
    EXPECT_FALSE(DropRows(m_list, m_rows, 1, -1)); // the mouse never passed over a row
    EXPECT_FALSE(DropRows(m_list, m_rows, -1, 2));
    Select("");
    EXPECT_FALSE(DropRows(m_list, m_rows, 1, 2));
    EXPECT_EQ(RowOrder(), "ABCD");
    EXPECT_EQ(DbOrder(), "ABCD");
}

TEST_F(Reorder, SeveralRowsLandAsOneBlockInTheirOrder)
{
    Make("ABCDEF");
    Select("BE");
    EXPECT_TRUE(DropRows(m_list, m_rows, Row('B'), Row('D')));
    EXPECT_EQ(RowOrder(), "ACBEDF");
    EXPECT_EQ(DbOrder(), "ACBEDF");
    EXPECT_EQ(SelectedRows(), "BE");
}

TEST_F(Reorder, DropOnASelectedRowGoesBeforeTheNextUnselectedOne)
{
    Make("ABCDEF");
    Select("BCE");
    EXPECT_TRUE(DropRows(m_list, m_rows, Row('B'), Row('C')));
    EXPECT_EQ(RowOrder(), "ABCEDF");
    EXPECT_EQ(DbOrder(), "ABCEDF");

    // No unselected row after the drop row: before the last remaining row.
    Select("EF");
    EXPECT_TRUE(DropRows(m_list, m_rows, Row('E'), Row('F')));
    EXPECT_EQ(RowOrder(), "ABCEFD");
    EXPECT_EQ(DbOrder(), "ABCEFD");
    EXPECT_EQ(SelectedRows(), "EF");
}

TEST_F(Reorder, EveryRowSelectedChangesNothing)
{
    Make("ABC");
    Select("ABC");
    EXPECT_FALSE(DropRows(m_list, m_rows, 0, 2));
    EXPECT_EQ(RowOrder(), "ABC");
    EXPECT_EQ(DbOrder(), "ABC");
    EXPECT_EQ(m_list.GetCount(), 3);
}

// A filtered list shows only some records: the dragged ones go before the target record in the
// full list, and the hidden ones keep their places.
TEST_F(Reorder, FilteredRowsMoveInTheFullList)
{
    Make("ABCDEFG");
    // Rows show only A, C, E, G (ids 0, 2, 4, 6).
    m_rows.ids = {0, 2, 4, 6};
    m_rows.selected = {false, false, false, true};
    EXPECT_TRUE(DropRows(m_list, m_rows, 3, 1)); // G onto C
    EXPECT_EQ(RowOrder(), "AGCE");
    EXPECT_EQ(DbOrder(), "ABGCDEF");

    m_rows.selected = {true, false, false, true}; // A and E onto C
    EXPECT_TRUE(DropRows(m_list, m_rows, 0, 2));
    EXPECT_EQ(RowOrder(), "GAEC");
    EXPECT_EQ(DbOrder(), "BGAECDF");
}

TEST_F(Reorder, ParentsAndIdsNeverChange)
{
    Make("ABCDEF", 3); // A B C on transponder 0, D E F on transponder 1
    Select("A");
    EXPECT_TRUE(DropRows(m_list, m_rows, 0, Row('E')));
    EXPECT_EQ(DbOrder(), "BCDAEF");
    EXPECT_EQ(m_list.Find(0)->GetParentId(), 0);
    EXPECT_EQ(m_list.Find(3)->GetParentId(), 1);
    EXPECT_EQ(static_cast<const CProgNode*>(m_list.Find(0))->GetRecord()->GetName(), "A");
}

TEST_F(Reorder, RowsWhoseRecordsAreGoneAreDropped)
{
    Make("ABCD");
    Select("AC");
    m_list.Remove(2); // C's record vanished behind the list's back
    EXPECT_TRUE(DropRows(m_list, m_rows, 0, 3));
    EXPECT_EQ(DbOrder(), "BAD");
    EXPECT_EQ(m_rows.ids, (std::vector<int32_t>{1, 0, 3}));
}

TEST_F(Reorder, LargeBlock)
{
    std::string names(2000, 'x');
    Make(names);
    for (int i = 0; i < 2000; i += 2)
        m_rows.selected[i] = true;
    ASSERT_TRUE(DropRows(m_list, m_rows, 0, 1999));
    // Odd ids 1..1997 first, then the block of even ids, then 1999.
    std::vector<int32_t> expected;
    for (int i = 1; i < 1999; i += 2)
        expected.push_back(i);
    for (int i = 0; i < 2000; i += 2)
        expected.push_back(i);
    expected.push_back(1999);
    EXPECT_EQ(m_rows.ids, expected);
    std::vector<int32_t> db;
    for (const CNode* p : m_list)
        db.push_back(p->GetId());
    EXPECT_EQ(db, expected);
}

// The keyboard's moves on the rows alone: blocks keep their shape, rows at an edge stay there, the
// selection travels with its rows, and the list is not touched.
TEST_F(Reorder, KeyMovesShiftTheSelectedRowsAndStopAtTheEdges)
{
    struct Case
    {
        const char* pszSelected;
        RowMove nMove;
        const char* pszRows; // afterwards; empty when nothing moves
    };
    const Case cases[] = {
        {"CD", ROW_MOVE_UP, "ACDBEF"},    {"CD", ROW_MOVE_DOWN, "ABECDF"}, {"BDF", ROW_MOVE_UP, "BADCFE"},
        {"ACE", ROW_MOVE_DOWN, "BADCFE"}, {"ABD", ROW_MOVE_UP, "ABDCEF"},  {"AB", ROW_MOVE_UP, ""},
        {"EF", ROW_MOVE_DOWN, ""},        {"BE", ROW_MOVE_TOP, "BEACDF"},  {"BE", ROW_MOVE_BOTTOM, "ACDFBE"},
        {"AB", ROW_MOVE_TOP, ""},         {"F", ROW_MOVE_BOTTOM, ""},      {"", ROW_MOVE_DOWN, ""},
        {"ABCDEF", ROW_MOVE_UP, ""},      {"ABCDEF", ROW_MOVE_BOTTOM, ""},
    };
    Make("ABCDEF");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszSelected) + " move " + std::to_string(c.nMove));
        m_rows.ids = {0, 1, 2, 3, 4, 5};
        Select(c.pszSelected);
        const bool bMoved = *c.pszRows != '\0';
        EXPECT_EQ(MoveRows(m_rows, c.nMove), bMoved);
        EXPECT_EQ(RowOrder(), bMoved ? c.pszRows : "ABCDEF");
        EXPECT_EQ(SelectedRows(), c.pszSelected) << "the selection follows its rows";
        EXPECT_EQ(DbOrder(), "ABCDEF");
    }
    m_rows.selected.pop_back();
    EXPECT_FALSE(MoveRows(m_rows, ROW_MOVE_TOP)) << "flags of another length";
}
