#include "db/ListMatch.h"
#include "db/ProgDb.h"
#include "tests/MatchTestDb.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Split(const std::string& strLine)
{
    std::vector<std::string> fields;
    std::stringstream in(strLine);
    std::string strField;
    while (std::getline(in, strField, '|'))
        fields.push_back(strField);
    if (!strLine.empty() && strLine.back() == '|')
        fields.emplace_back();
    return fields;
}

uint32_t Number(const std::string& s)
{
    return static_cast<uint32_t>(std::stoul(s));
}

// A list from lines "S|name|longitude|direction", "T|satellite|frequency|symbol rate|H or V[|flag]"
// and "P|transponder|name|service id"; parents are positions among the records described before
// (which are their ids), "-" a transponder that is no record.
void Build(CProgDb& db, const std::vector<std::string>& lines)
{
    for (const std::string& strLine : lines) {
        const std::vector<std::string> f = Split(strLine);
        if (f[0] == "S") {
            SatRecord& r = *AddSat(db, f[1])->GetRecord();
            r.Set(SatField::Longitude, Number(f[2]));
            r.Set(SatField::Direction, Number(f[3]));
        } else if (f[0] == "T") {
            CTpNode* pTp =
                AddTp(db, static_cast<int32_t>(Number(f[1])), Number(f[2]), Number(f[3]), f[4] == "V");
            pTp->GetRecord()->Set(TpField::Flag, f.size() > 5 ? Number(f[5]) : 0);
        } else {
            const int32_t nTp = f[1] == "-" ? 999 : static_cast<int32_t>(Number(f[1]));
            AddProg(db, nTp, f[2])->GetRecord()->Set(ProgField::ServiceId, Number(f[3]));
        }
    }
}

// The matching of one kind as text: per record of L its reference position and how ("1p 0n -").
std::string Describe(const CKindMatch& m, NodeType nKind)
{
    static const char* const letters[3] = {" pn", "   en", "     sta"};
    std::string strText;
    for (size_t i = 0; i < m.refOf.size(); ++i) {
        strText += i ? " " : "";
        strText += m.refOf[i] < 0 ? "-" : std::to_string(m.refOf[i]) + letters[nKind][m.how[i]];
    }
    return strText;
}

// The matching is one to one and its counts add up.
void ExpectConsistent(const CListMatch& match)
{
    for (const CKindMatch& m : match.kinds) {
        int32_t nMatched = 0, nHow[MATCH_HOW_COUNT] = {};
        for (size_t i = 0; i < m.refOf.size(); ++i) {
            if (m.refOf[i] < 0) {
                EXPECT_EQ(m.how[i], MATCH_NONE);
                continue;
            }
            ++nMatched;
            ++nHow[m.how[i]];
            EXPECT_EQ(m.listOf[static_cast<size_t>(m.refOf[i])], static_cast<int32_t>(i));
        }
        int32_t nBack = 0;
        for (int32_t i : m.listOf)
            nBack += i >= 0 ? 1 : 0;
        EXPECT_EQ(nMatched, m.nMatched);
        EXPECT_EQ(nBack, m.nMatched);
        for (int h = 1; h < MATCH_HOW_COUNT; ++h)
            EXPECT_EQ(nHow[h], m.nHow[h]);
    }
}

struct SCase
{
    const char* pszWhat;
    std::vector<std::string> list;
    std::vector<std::string> ref;
    const char* pszExpected; // of the kind the table is about
};

void RunCases(NodeType nKind, const std::vector<SCase>& cases)
{
    CCodePageScope codePage(1252);
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CProgDb list, ref;
        Build(list, c.list);
        Build(ref, c.ref);
        const CListMatch match = MatchLists(list, ref);
        EXPECT_EQ(Describe(match.Of(nKind), nKind), c.pszExpected);
        ExpectConsistent(match);
    }
}

const std::string SAT = "S|Sat|1|0";

} // namespace

TEST(ListMatch, SatellitesByPlaceWhereItIsClearElseByName)
{
    RunCases(NODE_SAT,
             {
                 {"the place decides over the name",
                  {"S|Astra|192|0", "S|Hotbird|130|0"},
                  {"S|Hot Bird|130|0", "S|ASTRA 1|192|0"},
                  "1p 0p"},
                 {"the direction is part of the place", {"S|A|100|0"}, {"S|B|100|1", "S|A|100|1"}, "1n"},
                 {"two at the place in the reference: by name",
                  {"S|Astra|0|0"},
                  {"S|Hotbird|0|0", "S|Astra|0|0"},
                  "1n"},
                 {"two at the place in the list: by name, the other one unmatched",
                  {"S|Eutelsat|0|0", "S|Astra|0|0"},
                  {"S|Astra|0|0"},
                  "- 0n"},
                 {"a shared place and no name in common: none",
                  {"S|X|0|0", "S|Y|0|0"},
                  {"S|Z|0|0", "S|W|0|0"},
                  "- -"},
                 {"of equal names the one at the same place first",
                  {"S|Astra|5|0", "S|Foo|5|0"},
                  {"S|Astra|9|0", "S|Astra|5|0", "S|Bar|5|0"},
                  "1n -"},
                 {"names without case and surrounding spaces, decoded",
                  {"S|  \xC9"
                   "clair 19E |7|0"},
                  {"S|\xE9"
                   "CLAIR 19e|8|0"},
                  "0n"},
                 {"empty names match nothing", {"S||1|0"}, {"S| |2|0"}, "-"},
                 {"each reference record once, in list order",
                  {"S|Astra|1|0", "S|astra|2|0"},
                  {"S|ASTRA|3|0"},
                  "0n -"},
             });
}

TEST(ListMatch, TranspondersExactlyThenTheNearestWithinTwo)
{
    RunCases(
        NODE_TP,
        {
            {"exact, the flag bit aside", {SAT, "T|0|11000|27500|H"}, {SAT, "T|0|11000|27500|H|1"}, "0e"},
            {"near: the nearest within 2",
             {SAT, "T|0|11000|27500|V"},
             {SAT, "T|0|11003|27500|V", "T|0|10998|27500|V", "T|0|11001|27500|V"},
             "2n"},
            {"equally near: the first in list order",
             {SAT, "T|0|11000|27500|V"},
             {SAT, "T|0|11001|27500|V", "T|0|10999|27500|V"},
             "0n"},
            {"exact matches first, for every transponder",
             {SAT, "T|0|11000|27500|H", "T|0|11001|27500|H"},
             {SAT, "T|0|11001|27500|H"},
             "- 0e"},
            {"3 away, another polarisation or symbol rate: none",
             {SAT, "T|0|11000|27500|H", "T|0|11500|27500|V", "T|0|12000|22000|H"},
             {SAT, "T|0|11003|27500|H", "T|0|11500|27500|H", "T|0|12000|27500|H"},
             "- - -"},
            {"only under the matched satellite",
             {"S|A|1|0", "S|B|2|0", "T|1|11000|27500|H"},
             {"S|A|1|0", "S|B|2|0", "T|0|11000|27500|H", "T|1|11000|27500|H"},
             "1e"},
            {"under an unmatched satellite: none",
             {"S|C|3|0", "T|0|11000|27500|H"},
             {"S|D|4|0", "T|0|11000|27500|H"},
             "-"},
            {"repeated transponders each once, in list order",
             {SAT, "T|0|11000|27500|H", "T|0|11000|27500|H", "T|0|11000|27500|H"},
             {SAT, "T|0|11000|27500|H", "T|0|11000|27500|H"},
             "0e 1e -"},
        });
}

TEST(ListMatch, ProgramsByServiceThenByNameOnTheSatelliteThenAnywhere)
{
    const std::string TP0 = "T|0|11000|27500|H", TP1 = "T|0|12000|27500|H";
    RunCases(NODE_PROG,
             {
                 {"the service on the matched transponder, whatever the name",
                  {SAT, TP0, TP1, "P|0|ARD|100"},
                  {SAT, TP0, TP1, "P|1|ARD|100", "P|0|Das Erste|100"},
                  "1s"},
                 {"a service repeated in the reference goes by name",
                  {SAT, TP0, "P|0|A|7", "P|0|B|8"},
                  {SAT, TP0, "P|0|B|7", "P|0|A|7"},
                  "1t 0t"},
                 {"a service repeated in the list goes by name",
                  {SAT, TP0, "P|0|X|7", "P|0|Y|7"},
                  {SAT, TP0, "P|0|Y|7"},
                  "- 0t"},
                 {"by name on the matched transponder first",
                  {SAT, TP0, TP1, "P|1|News|5"},
                  {SAT, TP0, TP1, "P|0|News|1", "P|1|News|2"},
                  "1t"},
                 {"by name on the satellite when the transponder moved",
                  {SAT, TP0, "P|0|News|5"},
                  {SAT, "T|0|11010|27500|H", "P|0|  NEWS |5"},
                  "0t"},
                 {"anywhere, only while one reference program is left with the name",
                  {"S|A|1|0", TP0, "P|0|Solo|1", "P|0|Twin|2"},
                  {"S|B|2|0", TP0, "P|0|Twin|3", "P|0|solo|4", "P|0|twin|5"},
                  "1a -"},
                 {"anywhere for a program without transponder",
                  {SAT, "P|-|Lost|1"},
                  {SAT, TP0, "P|0|Lost|9"},
                  "0a"},
                 {"empty names match nothing", {"S|A|1|0", TP0, "P|0||3"}, {"S|B|2|0", TP0, "P|0||4"}, "-"},
             });
}

// Every record of a list is found in a shuffled copy of it in which names changed in case and
// surrounding spaces, some were replaced where the record can be found otherwise, transponders drifted
// and records went missing; and each is found as the very record it was copied to.
TEST(ListMatch, FindsEveryRecordOfAShuffledPartlyRenamedCopy)
{
    CCodePageScope codePage(1252);
    std::mt19937 rng(20240601);
    for (int nRun = 0; nRun < 300; ++nRun) {
        SCOPED_TRACE(nRun);
        CProgDb db, copy;
        MakeMatchableDb(db, rng);
        std::vector<int32_t> posOf[3];
        SCopyChanges changes;
        changes.bRemove = nRun % 2 == 1;
        MakeShuffledCopy(db, rng, changes, copy, posOf);
        const CListMatch match = MatchLists(db, copy);
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG})
            ASSERT_EQ(match.Of(k).refOf, posOf[k]) << "kind " << k;
        ExpectConsistent(match);
    }
}
