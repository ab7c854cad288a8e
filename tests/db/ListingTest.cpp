#include "db/Columns.h"
#include "db/Listing.h"
#include "db/ListSort.h"
#include "db/ProgDb.h"
#include "tests/TestDbBuild.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

namespace {

// Satellite 0 with transponders 0 and 1; programs 0..4 alternate between them.
void MakeSmallDb(CProgDb& db)
{
    AddSat(db, "Astra");
    AddTp(db, 0, 11747, 27500);
    AddTp(db, 0, 12188, 27500);
    const char* names[] = {"zulu", "Alpha 2", "beta", "ALPHA 10", "gamma"};
    for (int i = 0; i < 5; ++i)
        AddProg(db, i % 2, names[i]);
}

TEST(ListingTest, StagesGiveTheRowsOfEachStateOfTheListing)
{
    CProgDb db;
    MakeSmallDb(db);
    const int nName = FindColumn(NODE_PROG, "ProgName");
    const struct
    {
        const char* pszCase;
        int32_t nParent;
        std::vector<int32_t> filter; // empty: none
        int nSortColumn;
        bool bDescending;
        const char* pszFind;
        bool bArmed;
        std::vector<int32_t> unnarrowed;
        std::vector<int32_t> shown;
        int nMatches;
    } cases[] = {
        {"all programs", INVALID_ID, {}, -1, false, "", false, {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}, 0},
        {"one transponder", 1, {}, -1, false, "", false, {1, 3}, {1, 3}, 0},
        {"filter", INVALID_ID, {4, 1, 2}, -1, false, "", false, {1, 2, 4}, {1, 2, 4}, 0},
        {"sorted by name", INVALID_ID, {}, nName, false, "", false, {3, 1, 2, 4, 0}, {3, 1, 2, 4, 0}, 0},
        {"sorted descending", INVALID_ID, {}, nName, true, "", false, {0, 4, 2, 1, 3}, {0, 4, 2, 1, 3}, 0},
        {"find without case", INVALID_ID, {}, -1, false, "alpha", false, {0, 1, 2, 3, 4}, {1, 3}, 2},
        {"find armed shows every row",
         INVALID_ID,
         {},
         -1,
         false,
         "a",
         true,
         {0, 1, 2, 3, 4},
         {0, 1, 2, 3, 4},
         4},
        {"all stages", INVALID_ID, {0, 1, 3, 4}, nName, true, "a", false, {0, 4, 1, 3}, {4, 1, 3}, 3},
        {"find nothing", 0, {}, -1, false, "delta", false, {0, 2, 4}, {}, 0},
    };
    CFoldedCollation collation;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CListing listing(collation);
        listing.Show(NODE_PROG, c.nParent);
        if (!c.filter.empty())
            listing.SetFilter(c.filter);
        listing.SetSort(c.nSortColumn, c.bDescending);
        listing.SetFindText(c.pszFind);
        listing.SetFindArmed(c.bArmed);
        EXPECT_EQ(listing.Relist(db, nullptr), c.unnarrowed);
        EXPECT_EQ(listing.Narrow(db, nullptr), c.shown);
        EXPECT_EQ(listing.GetFindMatchCount(), c.nMatches);
    }
}

TEST(ListingTest, KeptRecordsJoinTheFilterAndFindAndSatellitesIgnoreTheParent)
{
    CProgDb db;
    MakeSmallDb(db);
    AddSat(db, "Hotbird");
    CFoldedCollation collation;
    CListing listing(collation);

    // A record kept through a relist (a new record of a command) stays once the filter had it.
    listing.Show(NODE_PROG, INVALID_ID);
    listing.SetFilter({0});
    const CIdRuns keep(std::vector<int32_t>{3});
    EXPECT_EQ(listing.Relist(db, &keep), (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(listing.Relist(db, nullptr), (std::vector<int32_t>{0, 3}));
    listing.SetFindText("zulu");
    EXPECT_EQ(listing.Narrow(db, &keep), (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(listing.GetFindMatchCount(), 1);
    EXPECT_TRUE(listing.IsFindNarrowing());

    // A new source ends the filter and the sort and keeps the Find text.
    listing.SetSort(FindColumn(NODE_PROG, "ProgName"), false);
    listing.Show(NODE_SAT, 7);
    EXPECT_FALSE(listing.IsFiltered());
    EXPECT_FALSE(listing.IsSorted());
    EXPECT_EQ(listing.GetFindText(), "zulu");
    listing.SetFindText("");
    EXPECT_EQ(listing.Relist(db, nullptr), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(listing.CountListed(db), 2);

    // A column outside the kind's table is database order, and so no change.
    EXPECT_FALSE(listing.SetSort(40, true));
    EXPECT_TRUE(listing.IsSortedBy(-1, false));
    listing.Clear();
    EXPECT_TRUE(listing.Relist(db, nullptr).empty());
}

// A sorted listing that follows removals keeps the order a new sort of what is left gives: the sort
// is stable, so the records left keep their places relative to each other.
TEST(ListingTest, FollowingRemovalsOfASortedListingEqualsSortingAgain)
{
    std::mt19937 rng(20261209);
    CFoldedCollation collation;
    for (int nRound = 0; nRound < 50; ++nRound) {
        SCOPED_TRACE(nRound);
        CProgDb db;
        AddSat(db, "S");
        AddTp(db, 0, 10000);
        const int nCount = std::uniform_int_distribution<int>(0, 40)(rng);
        for (int i = 0; i < nCount; ++i)
            AddProg(db, 0, std::string(1, static_cast<char>('a' + rng() % 5)));
        CListing listing(collation);
        listing.Show(NODE_PROG, INVALID_ID);
        listing.SetSort(FindColumn(NODE_PROG, "ProgName"), rng() % 2 == 0);
        listing.SetFindText("b");
        listing.Relist(db, nullptr);
        listing.Narrow(db, nullptr);
        for (int32_t nId = 0; nId < nCount; ++nId)
            if (rng() % 3 == 0)
                db.GetProgList().Remove(nId);
        listing.Follow(db);
        const std::vector<int32_t> followed = listing.GetUnnarrowed();
        const int nMatches = listing.GetFindMatchCount();
        listing.InvalidateFind();
        EXPECT_EQ(followed, listing.Relist(db, nullptr));
        listing.Narrow(db, nullptr);
        EXPECT_EQ(nMatches, listing.GetFindMatchCount());
    }
}

} // namespace
