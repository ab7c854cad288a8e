#include "db/Columns.h"
#include "db/ListFind.h"
#include "db/ListSort.h"
#include "db/ProgDb.h"
#include "platform/CaseFold.h"
#include "platform/CodePage.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include <gtest/gtest.h>

namespace {

// Names as random bytes, a few of them each, with few values in every field so that equal values
// are common; duplicate ids and random parents.
void MakeRandomLists(CProgDb& db, std::mt19937& rng)
{
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    auto name = [&] {
        std::string s(static_cast<size_t>(pick(0, 4)), ' ');
        for (char& c : s)
            c = static_cast<char>(pick(0, 2) ? pick('A', 'c') : pick(0x80, 0xFF));
        return s;
    };
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (int i = pick(0, 60); i > 0; --i) {
            AddRecord(db, nKind, INVALID_ID, name(), pick(0, 4) ? INVALID_ID : pick(0, 10));
            CNode* pNode = *std::prev(db.GetList(nKind).end());
            pNode->SetParentId(nKind == NODE_SAT ? INVALID_ID : pick(-1, 5));
            for (int k = 0; k < 4; ++k) {
                const uint32_t w = static_cast<uint32_t>(rng()) & (pick(0, 1) ? 0x0C0C0C0Cu : 0x01010101u);
                if (nKind == NODE_SAT)
                    static_cast<CSatNode*>(pNode)->GetRecord()->dwWord[k % 3] = w;
                else if (nKind == NODE_TP)
                    static_cast<CTpNode*>(pNode)->GetRecord()->dwWord[0] = w;
                else
                    static_cast<CProgNode*>(pNode)->GetRecord()->dwWord[k] = w;
            }
        }
    }
}

// Orders names by their length in bytes, then by their bytes.
class CLengthCollation : public CNameCollation
{
public:
    void Prepare(const std::vector<std::string>& names) override { m_names = names; }
    int Compare(size_t nLeft, size_t nRight) const override
    {
        const std::string &a = m_names[nLeft], &b = m_names[nRight];
        return a.size() != b.size() ? (a.size() < b.size() ? -1 : 1) : a.compare(b);
    }

private:
    std::vector<std::string> m_names;
};

} // namespace

// Every column of every kind, both ways, on random lists in three code pages, with rows that name
// no record: the result orders every row once, by what its cell shows (numbers read back from the
// cell text, so LNB indexes sort by frequency and ids by value; names decoded and folded), equal
// values keep their row order in both directions, and rows without a record come last.
TEST(ListSort, EveryColumnSortsStablyByWhatItsCellsShow)
{
    std::mt19937 rng(20261209);
    CFoldedCollation collation;
    for (uint32_t nCodePage : {1252u, 1251u, 936u}) {
        SCOPED_TRACE("code page " + std::to_string(nCodePage));
        CCodePageScope scope(nCodePage);
        CProgDb db;
        MakeRandomLists(db, rng);
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
            const CNodeList& list = db.GetList(nKind);
            std::vector<int32_t> rows = IdsOf(list);
            rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(rows.size() / 2), list.GetLastId() + 5);
            rows.push_back(-7);
            for (int nColumn = 0; nColumn < GetColumnCount(nKind); ++nColumn) {
                const CColumn& col = *GetColumn(nKind, nColumn);
                // The key of a row as its cell shows it; rows without a record have none.
                auto cell = [&](int32_t nRow, std::string& strName, long long& nNumber) {
                    const CNode* pNode = list.Find(rows[static_cast<size_t>(nRow)]);
                    if (!pNode)
                        return false;
                    const std::string strText = GetCellText(*pNode, nColumn);
                    strName = CodePage::FoldCaseUtf8(strText);
                    nNumber = col.nSource == CColumn::SRC_NAME ? 0 : std::stoll(strText);
                    return true;
                };
                for (bool bDescending : {false, true}) {
                    SCOPED_TRACE(std::string(col.pszHeading) + (bDescending ? " descending" : " ascending"));
                    const std::vector<int32_t> order =
                        SortRows(db, nKind, rows, nColumn, bDescending, collation);
                    std::vector<int32_t> sorted = order;
                    std::sort(sorted.begin(), sorted.end());
                    ASSERT_EQ(sorted.size(), rows.size());
                    for (size_t i = 0; i < sorted.size(); ++i)
                        ASSERT_EQ(sorted[i], static_cast<int32_t>(i)) << "every row once";
                    for (size_t i = 1; i < order.size(); ++i) {
                        std::string strA, strB;
                        long long nA = 0, nB = 0;
                        const bool bA = cell(order[i - 1], strA, nA), bB = cell(order[i], strB, nB);
                        ASSERT_TRUE(bA || !bB) << "a row without a record before one with, at " << i;
                        int nCmp = 0;
                        if (bA && bB)
                            nCmp =
                                col.nSource == CColumn::SRC_NAME ? strA.compare(strB) : (nA > nB) - (nA < nB);
                        ASSERT_LE(bDescending ? -nCmp : nCmp, 0) << "out of order at " << i;
                        if (nCmp == 0 && bA == bB) {
                            ASSERT_LT(order[i - 1], order[i]) << "equal values swapped at " << i;
                        }
                    }
                }
            }
        }
    }
}

// Names reach the injected collation decoded from the ANSI code page; rows that name no record stay
// last; a column outside the table changes nothing.
TEST(ListSort, NamesFollowTheInjectedCollationOnTheirDecodedText)
{
    CCodePageScope scope(1252);
    CProgDb db;
    AddRecord(db, NODE_PROG, INVALID_ID, "\xE9t\xE9"); // "été": 5 bytes in UTF-8, 3 as stored
    AddRecord(db, NODE_PROG, INVALID_ID, "Zoo");
    AddRecord(db, NODE_PROG, INVALID_ID, "abcd");
    AddRecord(db, NODE_PROG, INVALID_ID, "Eins", 1); // a second record with id 1; its rows show "Zoo"
    const std::vector<int32_t> rows{0, 42, 1, 2};
    const int nName = FindColumn(NODE_PROG, "ProgName");
    CLengthCollation collation;
    EXPECT_EQ(SortRows(db, NODE_PROG, rows, nName, false, collation), (std::vector<int32_t>{2, 3, 0, 1}));
    EXPECT_EQ(SortRows(db, NODE_PROG, rows, nName, true, collation), (std::vector<int32_t>{0, 3, 2, 1}));
    EXPECT_EQ(SortRows(db, NODE_PROG, rows, 16, false, collation), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(SortRows(db, NODE_TP, rows, -1, true, collation), (std::vector<int32_t>{0, 1, 2, 3}));
}

// Find on decoded, folded names: every row of the text's case forms, in single-byte code pages of
// two scripts; rows show the first record with their id; the kept names follow a change of code
// page by themselves and a change of the records after Invalidate.
TEST(FindMatcher, FindsTheRowsWhoseNameContainsTheTextInAnyCase)
{
    CCodePageScope scope(1252);
    CProgDb db;
    for (const char* pszName : {"Das Erste HD", "ZDF", "arte", "B\xE4r TV", "B\xC4R", "\xCC\xE8\xF0 TB"})
        AddRecord(db, NODE_PROG, INVALID_ID, pszName);
    AddRecord(db, NODE_PROG, INVALID_ID, "Zweites", 1); // rows with id 1 show "ZDF"
    AddRecord(db, NODE_PROG, INVALID_ID, "Eurosport",
              70000); // an id of its own, as firmware images give them
    AddRecord(db, NODE_TP, INVALID_ID, "");
    const std::vector<int32_t> rows{0, 1, 2, 3, 4, 5, 1, 99, 70000};
    using Rows = std::vector<int32_t>;
    struct Case
    {
        uint32_t nCodePage;
        const char* pszText;
        Rows matches;
    };
    const Case cases[] = {
        {1252, "", {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {1252, "SPORT", {8}},
        {1252, "erste", {0}},
        {1252, "ZD", {1, 6}},
        {1252, "zweites", {}},
        {1252, "\xC3\xA4r", {3, 4}},             // "är"
        {1252, "B\xC3\x84R t", {3}},             // "BÄR t"
        {1252, "\xC3\xAC\xC3\xA8", {5}},         // "ìè": the bytes as 1252 reads them
        {1251, "\xD0\xBC\xD0\xB8\xD1\x80", {5}}, // "мир" once the same bytes are read in 1251
        {1251, "\xC3\xA4r", {}},
        {1251, "\xD0\x94R", {3, 4}}, // "ДR": the bytes of "BÄR" in 1251
        {1252, "hd tv", {}},
    };
    CFindMatcher matcher;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszText) + " in " + std::to_string(c.nCodePage));
        CodePage::SetAnsiCodePage(c.nCodePage);
        EXPECT_EQ(matcher.Match(db, NODE_PROG, rows, c.pszText), c.matches);
    }
    CodePage::SetAnsiCodePage(1252);
    // Transponders by their frequency and symbol rate.
    TpRecord& tp = *static_cast<CTpNode*>(db.GetTpList().GetAtIndex(0))->GetRecord();
    tp.Set(TpField::Frequency, 11747);
    tp.Set(TpField::SymbolRate, 27500);
    matcher.Invalidate();
    EXPECT_EQ(matcher.Match(db, NODE_TP, {0, 0, 5}, "a"), Rows{});
    EXPECT_EQ(matcher.Match(db, NODE_TP, {0, 0, 5}, "1174"), (Rows{0, 1}));
    EXPECT_EQ(matcher.Match(db, NODE_TP, {0, 0, 5}, "47 275"), (Rows{0, 1}));
    EXPECT_EQ(matcher.Match(db, NODE_TP, {0, 0, 5}, ""), (Rows{0, 1, 2}));

    // F3 and Shift+F3 go round the rows; the row they start from comes last.
    struct Next
    {
        const char* pszText;
        int nFrom;
        bool bBackward;
        int nRow;
    };
    const Next nexts[] = {
        {"\xC3\xA4r", -1, false, 3}, {"\xC3\xA4r", 3, false, 4}, {"\xC3\xA4r", 4, false, 3},
        {"\xC3\xA4r", 3, true, 4},   {"\xC3\xA4r", -1, true, 4}, {"erste", 0, false, 0},
        {"erste", 0, true, 0},       {"xyz", 2, false, -1},      {"", 8, false, 0},
    };
    for (const Next& n : nexts)
        EXPECT_EQ(matcher.FindNext(db, NODE_PROG, rows, n.pszText, n.nFrom, n.bBackward), n.nRow)
            << n.pszText << " from " << n.nFrom << (n.bBackward ? " backward" : "");
    EXPECT_EQ(matcher.FindNext(db, NODE_PROG, {}, "", -1, false), -1);

    // A renamed record: the kept names answer until they are invalidated.
    static_cast<CProgNode*>(db.GetProgList().GetAtIndex(2))->GetRecord()->SetName("ARTE HD");
    EXPECT_EQ(matcher.Match(db, NODE_PROG, rows, "hd"), (Rows{0}));
    matcher.Invalidate();
    EXPECT_EQ(matcher.Match(db, NODE_PROG, rows, "hd"), (Rows{0, 2}));
}
