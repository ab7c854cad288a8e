// The channel list as printed and exported pages see it: programs numbered by their place, grouped
// by satellite and transponder or in a given order, with the texts of the chosen columns.

#include "db/ChannelTable.h"

#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "tests/TestDbBuild.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A group as "satellite|transponder: numbers", "-" standing for none.
std::string Describe(const SChannelGroup& group)
{
    std::string s = (group.nSatIndex < 0 ? std::string("-") : group.strSatellite) + "|" +
                    (group.nTpIndex < 0 ? std::string("-") : group.strTransponder) + ":";
    for (const SChannelRow& row : group.rows)
        s += " " + std::to_string(row.nNumber) + "=" + row.strName;
    return s;
}

std::vector<std::string> Describe(const CChannelTable& table)
{
    std::vector<std::string> groups;
    for (const SChannelGroup& group : table.GetGroups())
        groups.push_back(Describe(group));
    return groups;
}

} // namespace

// Every program lands once, under the first transponder with its parent id, in program-list order;
// transponders of no satellite and programs of no transponder follow; empty satellites and
// transponders keep their place.
TEST(ChannelTableTest, GroupedPutsEveryProgramOnceUnderItsTransponder)
{
    CProgDb db;
    AddSat(db, "Alpha");            // sat 0
    AddSat(db, "Beta");             // sat 1: no transponders
    AddSat(db, "\xC4\xE8\xE0\xE4"); // sat 2 (cp 1251: "Диад") with a transponder
    AddTp(db, 2, 12000, 30000, 1);  // tp 0, on sat 2
    AddTp(db, 0, 11747, 27500, 0);  // tp 1, on sat 0
    AddTp(db, 0, 10000, 1, 1);      // tp 2, on sat 0, no programs
    AddTp(db, 7, 11000, 22000, 0);  // tp 3: no such satellite
    AddNode(db.GetTpList(), std::make_unique<CTpNode>(INVALID_ID, 2), 1); // a second tp with id 1
    AddProg(db, 1, "one");                                                // 1
    AddProg(db, 3, "lost sat");                                           // 2
    AddProg(db, 0, "\xCA\xE0\xED\xE0\xEB");                               // 3: "Канал"
    AddProg(db, 9, "no tp");                                              // 4
    AddProg(db, 1, "two");                                                // 5
    AddProg(db, INVALID_ID, "no parent");                                 // 6

    const CChannelTable table = CChannelTable::Grouped(db, SChannelColumns(), 1251);
    EXPECT_TRUE(table.IsGrouped());
    EXPECT_EQ(table.GetRowCount(), 6u);
    const std::vector<std::string> expected = {
        "Alpha|11747/H/27500: 1=one 5=two",
        "Alpha|10000/V/1:",
        "Beta|-:",
        "\xD0\x94\xD0\xB8\xD0\xB0\xD0\xB4|12000/V/30000: 3=\xD0\x9A\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB",
        "\xD0\x94\xD0\xB8\xD0\xB0\xD0\xB4|0/H/0:", // the second transponder with id 1 gets no programs
        "-|11000/H/22000: 2=lost sat",
        "-|-: 4=no tp 6=no parent",
    };
    EXPECT_EQ(Describe(table), expected);
    EXPECT_EQ(table.GetGroups()[3].nSatIndex, 2);
    EXPECT_EQ(table.GetGroups()[3].nTpIndex, 0);
    EXPECT_EQ(table.GetGroups()[4].nTpIndex, 4);

    CProgDb empty;
    EXPECT_TRUE(CChannelTable::Grouped(empty, SChannelColumns(), 1252).GetGroups().empty());
}

// The listed form keeps the given order and numbers each program by its place; ProgramPlaces turns
// row ids into those places.
TEST(ChannelTableTest, ListedKeepsTheOrderGivenAndNumbersByPlace)
{
    CProgDb db;
    AddSat(db, "S");
    AddTp(db, 0, 11747, 27500, 1);
    for (const char* pszName : {"a", "b", "c", "d"})
        AddProg(db, 0, pszName);
    db.GetProgList().Move(3, 0); // d a b c
    db.GetProgList().Remove(1);  // d a c: ids 3 0 2 at places 0 1 2

    EXPECT_EQ(ProgramPlaces(db, {2, 3, 42, 0}), std::vector<int32_t>({2, 0, 1}));
    SChannelColumns columns;
    columns.bTransponder = true;
    const CChannelTable table = CChannelTable::Listed(db, {2, 0, 7, -1, 1}, columns, 1252);
    EXPECT_FALSE(table.IsGrouped());
    ASSERT_EQ(table.GetGroups().size(), 1u);
    EXPECT_EQ(Describe(table), std::vector<std::string>({"-|-: 3=c 1=d 2=a"}));
    for (const SChannelRow& row : table.GetGroups()[0].rows)
        EXPECT_EQ(row.cells, std::vector<std::string>({"11747/V/27500"}));
}

// The chosen columns give their headings and, for each program, one cell each in the same order.
TEST(ChannelTableTest, ChosenColumnsGiveHeadingsAndCells)
{
    CProgDb db;
    AddSat(db, "S");
    AddTp(db, 0, 16383, 65535, 0);
    ProgRecord* pRec = AddProg(db, 0, "P")->GetRecord();
    pRec->Set(ProgField::ServiceId, 65535);
    pRec->Set(ProgField::VPID, 8191);
    pRec->Set(ProgField::APID, 1);
    pRec->Set(ProgField::PCRPID, 2);
    pRec->Set(ProgField::PmtPid, 3);
    pRec->Set(ProgField::Scramble, 1);
    pRec->Set(ProgField::Lock, 1);
    pRec->Set(ProgField::Skip, 1);
    pRec->Set(ProgField::Hide, 1);
    pRec->Set(ProgField::FavType, 15);
    AddProg(db, 5, "Q"); // no transponder, no flags

    struct Case
    {
        SChannelColumns columns;
        std::vector<std::string> headings, cellsP, cellsQ;
    };
    auto cols = [](bool bTp, bool bSid, bool bPids, bool bFlags) {
        SChannelColumns c;
        c.bTransponder = bTp;
        c.bServiceId = bSid;
        c.bPids = bPids;
        c.bFlags = bFlags;
        return c;
    };
    const Case cases[] = {
        {cols(false, false, false, false), {}, {}, {}},
        {cols(true, false, false, false), {"Transponder"}, {"16383/H/65535"}, {""}},
        {cols(false, true, false, true),
         {"ServiceId", "Flags"},
         {"65535", "Scr Lock Skip Hide Fav 15"},
         {"0", ""}},
        {cols(true, true, true, true),
         {"Transponder", "ServiceId", "VPID", "APID", "PCRPID", "PmtPid", "Flags"},
         {"16383/H/65535", "65535", "8191", "1", "2", "3", "Scr Lock Skip Hide Fav 15"},
         {"", "0", "0", "0", "0", "0", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.columns.Any(), !c.headings.empty());
        const CChannelTable table = CChannelTable::Listed(db, {0, 1}, c.columns, 1252);
        EXPECT_EQ(table.GetHeadings(), c.headings);
        ASSERT_EQ(table.GetGroups()[0].rows.size(), 2u);
        EXPECT_EQ(table.GetGroups()[0].rows[0].cells, c.cellsP);
        EXPECT_EQ(table.GetGroups()[0].rows[1].cells, c.cellsQ);
        const CChannelTable grouped = CChannelTable::Grouped(db, c.columns, 1252);
        EXPECT_EQ(grouped.GetGroups().back().rows[0].cells, c.cellsQ);
    }
}

// Names come out as UTF-8 in every code page, also where the bytes are not text of it.
TEST(ChannelTableTest, NamesAreAlwaysUtf8)
{
    struct Case
    {
        uint32_t nCodePage;
        std::string bytes, expected;
    };
    const Case cases[] = {
        {1252, "Caf\xE9", "Caf\xC3\xA9"},
        {936, "\xD6\xD0\xD0\xC7", "\xE4\xB8\xAD\xE6\x98\x9F"},
        {1256, "\xE3\xD5\xD1", "\xD9\x85\xD8\xB5\xD8\xB1"},
        {65001, "ok\xFF", "ok\xEF\xBF\xBD"}, // not UTF-8 although the code page says so
        {65001, "\xE4\xB8\xAD", "\xE4\xB8\xAD"},
    };
    for (const Case& c : cases) {
        CUtf8NameDecoder decoder(c.nCodePage);
        EXPECT_EQ(decoder.ToUtf8(c.bytes), c.expected) << c.nCodePage;
    }
}
