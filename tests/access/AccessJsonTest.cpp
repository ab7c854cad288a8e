#include "access/AccessJson.h"

#include "access/JsonDump.h"
#include "access/LastError.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "tests/TestUtil.h"

#include <memory>
#include <random>
#include <string>

namespace {

// A database as an importer makes it (ids 0, 1, 2, ... per list) with every word, name byte and
// select random; parents are records of the list above, or none.
void MakeRandomDb(CProgDb& db, std::mt19937& rng)
{
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    auto name = [&](size_t nMax) {
        std::string s(size_t(pick(0, int(nMax))), ' ');
        for (char& c : s)
            c = static_cast<char>(pick(1, 255));
        return s;
    };
    const int nSats = pick(0, 5), nTps = pick(0, 9), nProgs = pick(0, 15);
    for (int i = 0; i < nSats; ++i) {
        auto p = std::make_unique<CSatNode>(pick(0, 2));
        p->GetRecord()->SetName(name(SAT_NAME_LEN));
        for (uint32_t& w : p->GetRecord()->dwWord)
            w = static_cast<uint32_t>(rng());
        db.GetSatList().Add(std::move(p));
    }
    for (int i = 0; i < nTps; ++i) {
        auto p = std::make_unique<CTpNode>(INVALID_ID, pick(-1, nSats - 1));
        p->GetRecord()->dwWord[0] = static_cast<uint32_t>(rng());
        db.GetTpList().Add(std::move(p));
    }
    for (int i = 0; i < nProgs; ++i) {
        auto p = std::make_unique<CProgNode>(INVALID_ID, pick(-1, nTps - 1));
        p->GetRecord()->SetName(name(PROG_NAME_LEN));
        for (uint32_t& w : p->GetRecord()->dwWord)
            w = static_cast<uint32_t>(rng());
        db.GetProgList().Add(std::move(p));
    }
}

bool Load(const std::string& text, CProgDb& db, uint32_t nCodePage = 1252)
{
    ClearLastError();
    CAccessJsonIn in(nCodePage);
    return in.LoadDbFromBuffer(text.data(), text.size(), &db);
}

} // namespace

// Whatever the records, the name bytes and the code page, the written file reads back into the same
// database: its dump is the same text.
TEST(AccessJson, WhatIsWrittenReadsBackTheSame)
{
    CTempDir dir;
    std::mt19937 rng(512);
    for (int nCase = 0; nCase < 120; ++nCase) {
        CProgDb db;
        MakeRandomDb(db, rng);
        for (uint32_t nCodePage : {1252u, 936u, 1251u, 65001u}) {
            SCOPED_TRACE("case " + std::to_string(nCase) + ", code page " + std::to_string(nCodePage));
            const std::string text = DumpJson(db, nCodePage);
            CProgDb back;
            CAccessJsonIn in(nCodePage);
            if (nCase % 30 == 0) {
                // Through a file now and then (every save is synced, which takes its time).
                const std::string strPath = dir.File("db.json");
                CAccessJsonOut out(nCodePage);
                ASSERT_TRUE(out.SaveDb(strPath, &db));
                ASSERT_EQ(ReadText(strPath), text);
                ASSERT_TRUE(in.LoadDb(strPath, &back)) << GetLastErrorMsg();
            } else {
                ASSERT_TRUE(in.LoadDbFromBuffer(text.data(), text.size(), &back)) << GetLastErrorMsg();
            }
            EXPECT_EQ(DumpJson(back, nCodePage), text);
        }
    }
}

// The file's ids only link records; the lists come in any order and may be missing, and so may
// fields, ids and parents.
TEST(AccessJson, FileIdsAreRelinkedToFreshIds)
{
    const std::string text = R"({
        "programs": [{"TpID": 30, "ProgName": "A", "VPID": 8191}, {"ProgName": "B"}, {"TpID": 10, "ProgID": 7}],
        "transponders": [{"TpID": 10, "SatID": 900, "Frequency": 12000}, {"TpID": 30, "SatID": -5},
                         {"SatID": -1}],
        "satellites": [{"SatID": -5, "select": 2}, {"SatID": 900, "NameHex": "41"}, {"Name": "C"}]
    })";
    CProgDb db;
    ASSERT_TRUE(Load(text, db)) << GetLastErrorMsg();
    struct Expect
    {
        NodeType nKind;
        int32_t nId;
        int32_t nParent;
    };
    const Expect records[] = {{NODE_SAT, 0, INVALID_ID}, {NODE_SAT, 1, INVALID_ID},
                              {NODE_SAT, 2, INVALID_ID}, {NODE_TP, 0, 1},
                              {NODE_TP, 1, 0},           {NODE_TP, 2, INVALID_ID},
                              {NODE_PROG, 0, 1},         {NODE_PROG, 1, INVALID_ID},
                              {NODE_PROG, 2, 0}};
    for (const Expect& e : records) {
        const CNode* pNode = db.GetList(e.nKind).GetAtIndex(e.nId);
        ASSERT_NE(pNode, nullptr);
        EXPECT_EQ(pNode->GetId(), e.nId) << e.nKind;
        EXPECT_EQ(pNode->GetParentId(), e.nParent) << e.nKind << " " << e.nId;
    }
    EXPECT_EQ(db.GetSatList().GetCount(), 3);
    EXPECT_EQ(static_cast<const CSatNode*>(db.GetSatList().GetAtIndex(0))->GetSelect(), 2);
    EXPECT_EQ(static_cast<const CSatNode*>(db.GetSatList().GetAtIndex(1))->GetRecord()->GetName(), "A");
    EXPECT_EQ(static_cast<const CSatNode*>(db.GetSatList().GetAtIndex(2))->GetRecord()->GetName(), "C");
    EXPECT_EQ(static_cast<const CTpNode*>(db.GetTpList().GetAtIndex(0))->GetRecord()->Get(TpField::Frequency),
              12000u);
    const ProgRecord* pProg = static_cast<const CProgNode*>(db.GetProgList().GetAtIndex(0))->GetRecord();
    EXPECT_EQ(pProg->Get(ProgField::VPID), 8191u);
    EXPECT_EQ(pProg->dwWord[0] | pProg->dwWord[1] | pProg->dwWord[3], 0u) << "a missing field is 0";

    CProgDb empty;
    ASSERT_TRUE(Load("{}", empty));
    EXPECT_TRUE(empty.IsEmpty());
}

// A name comes from its hex form when there is one, else from its text in the code page.
TEST(AccessJson, NamesFromHexOrFromTextInTheCodePage)
{
    struct Case
    {
        uint32_t nCodePage;
        std::string strRecord; // the keys of one program
        std::string strBytes;  // the stored name, or the error
    };
    const Case cases[] = {
        {1252, R"("ProgName": "Caf\u00e9")", "Caf\xE9"},
        {1252, R"("ProgName": "\u20ac 5")", "\x80 5"},
        {936, R"("ProgName": "中星")", "\xD6\xD0\xD0\xC7"},
        {65001, R"("ProgName": "中星")", "\xE4\xB8\xAD\xE6\x98\x9F"},
        {1252, R"("ProgName": "ignored", "ProgNameHex": "FF00ab")",
         "JSON: programs[0].ProgNameHex: a zero byte cannot stand in a name"},
        {1252, R"("ProgName": "ignored", "ProgNameHex": "FFab")", "\xFF\xAB"},
        {1252, R"("ProgName": "ignored", "ProgNameHex": "")", ""},
        {1252, R"("TpID": -1)", ""},
        {1252, R"("ProgName": "123456789012345678901")", "123456789012345678901"},
        {1252, R"("ProgName": "1234567890123456789012")",
         "JSON: programs[0].ProgName: \"1234567890123456789012\" is 22 bytes in code page 1252, at most 21 "
         "fit"},
        {936, R"("ProgName": "中中中中中中中中中中中")",
         "JSON: programs[0].ProgName: \"中中中中中中中中中中中\" is 22 bytes in code page 936, at most 21 "
         "fit"},
        {1252, R"("ProgName": "中")", "JSON: programs[0].ProgName: \"中\" is not in code page 1252"},
        {1252, R"("ProgName": "a\u0000b")",
         "JSON: programs[0].ProgName: a zero character cannot stand in a name"},
        {1252, R"("ProgNameHex": "4142434445464748494a4b4c4d4e4f505152535455")", "ABCDEFGHIJKLMNOPQRSTU"},
        {1252, R"("ProgNameHex": "4142434445464748494a4b4c4d4e4f50515253545556")",
         "JSON: programs[0].ProgNameHex: 22 bytes, at most 21 fit"},
        {1252, R"("ProgNameHex": "414")",
         "JSON: programs[0].ProgNameHex: \"414\" is not pairs of hex digits"},
        {1252, R"("ProgNameHex": "4g")", "JSON: programs[0].ProgNameHex: \"4g\" is not pairs of hex digits"},
        {1252, R"("ProgNameHex": 41)", "JSON: programs[0].ProgNameHex: 41 is not a string"},
    };
    for (const Case& c : cases) {
        if (!CodePage::IsSupported(c.nCodePage))
            continue;
        SCOPED_TRACE(c.strRecord);
        CProgDb db;
        const bool bOk = Load(R"({"programs": [{)" + c.strRecord + "}]}", db, c.nCodePage);
        if (c.strBytes.compare(0, 6, "JSON: ") == 0) {
            EXPECT_FALSE(bOk);
            EXPECT_EQ(GetLastErrorMsg(), c.strBytes);
            EXPECT_TRUE(db.IsEmpty());
            continue;
        }
        ASSERT_TRUE(bOk) << GetLastErrorMsg();
        EXPECT_EQ(static_cast<const CProgNode*>(db.GetProgList().GetAtIndex(0))->GetRecord()->GetName(),
                  c.strBytes);
    }
}

// Every kind of error names the place and the reason, and nothing is loaded.
TEST(AccessJson, ErrorsNameThePlaceAndLoadNothing)
{
    struct Case
    {
        std::string strText;
        std::string strMessage;
    };
    const std::string prog = R"({"TpID": 0, "ProgName": "P"})";
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += prog + ",";
    const Case cases[] = {
        {R"({"transponders": [{"SatID": -1}], "programs": [)" + twelve + R"({"VPID": 9000}]})",
         "JSON: programs[12].VPID: 9000 does not fit in 13 bits"},
        {R"({"satellites": [{"Longitude": 2048}]})",
         "JSON: satellites[0].Longitude: 2048 does not fit in 11 bits"},
        {R"({"satellites": [{"ReservedA": 1073741824}]})",
         "JSON: satellites[0].ReservedA: 1073741824 does not fit in 30 bits"},
        {R"({"programs": [{"VPID": -1}]})", "JSON: programs[0].VPID: -1 does not fit in 13 bits"},
        {R"({"programs": [{"VPID": 1e3}]})", ""},
        {R"({"programs": [{"VPID": 1.5}]})", "JSON: programs[0].VPID: 1.5 is not a whole number"},
        {R"({"programs": [{"VPID": "12"}]})", "JSON: programs[0].VPID: \"12\" is not a number"},
        {R"({"programs": [{"VPID": null}]})", "JSON: programs[0].VPID: null is not a number"},
        {R"({"programs": [{"VPID": [1]}]})", "JSON: programs[0].VPID: a list is not a number"},
        {R"({"programs": [{"VPID": {}}]})", "JSON: programs[0].VPID: an object is not a number"},
        {R"({"programs": [{"VPID": 1, "VPID": 2}]})", "JSON: programs[0].VPID: given twice"},
        {R"({"programs": [{"Vpid": 1}]})", "JSON: programs[0].Vpid: unknown key"},
        {R"({"transponders": [{"ProgName": "x"}]})", "JSON: transponders[0].ProgName: unknown key"},
        {R"({"satellites": [{"select": 3}]})", "JSON: satellites[0].select: 3 is not 0, 1 or 2"},
        {R"({"satellites": [{"SatID": 2147483648}]})",
         "JSON: satellites[0].SatID: 2147483648 does not fit in a 32-bit id"},
        {R"({"satellites": [], "channels": []})",
         "JSON: channels: unknown key (the lists are satellites, transponders and programs)"},
        {R"({"satellites": [], "satellites": []})", "JSON: satellites: given twice"},
        {R"({"satellites": [{"SatID": 4}, {}, {"SatID": 4}]})",
         "JSON: satellites[2].SatID: 4 is also the id of satellites[0]"},
        {R"({"transponders": [{"TpID": 1, "SatID": 3}]})",
         "JSON: transponders[0].SatID: no satellite has the id 3"},
        {R"({"transponders": [{"TpID": 1}], "programs": [{}, {"TpID": 2}]})",
         "JSON: programs[1].TpID: no transponder has the id 2"},
        {R"({"satellites": [{}], "transponders": [{"SatID": 0}]})",
         "JSON: transponders[0].SatID: no satellite has the id 0"},
        {R"([])",
         "JSON: the top level is a list, not an object with the lists satellites, transponders and programs"},
        {R"({"programs": {}})", "JSON: programs: an object is not a list"},
        {R"({"programs": [7]})", "JSON: programs[0]: 7 is not an object"},
        {"",
         "JSON: line 1, column 1: syntax error while parsing value - unexpected end of input; expected '[', "
         "'{', or a literal"},
        {"{\n \"satellites\": [\n  {,}\n ]\n}", "JSON: line 3, column 4: syntax error while parsing object "
                                                "key - unexpected ','; expected string literal"},
        {"{\"programs\": [{\"VPID\": 1e999}]}", "JSON: line 1, column 28: number overflow parsing '1e999'"},
        {"{} {}",
         "JSON: line 1, column 4: syntax error while parsing value - unexpected '{'; expected end of input"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strText);
        CProgDb db;
        const bool bOk = Load(c.strText, db);
        EXPECT_EQ(bOk, c.strMessage.empty());
        EXPECT_EQ(GetLastErrorMsg(), c.strMessage);
        EXPECT_EQ(db.IsEmpty(), !bOk);
    }

    CTempDir dir;
    CProgDb db;
    CAccessJsonIn in(1252);
    EXPECT_FALSE(in.LoadDb(dir.File("missing.json"), &db));
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");
    ClearLastError();
    CAccessJsonOut out(1252);
    EXPECT_FALSE(out.SaveDb(dir.Path(), &db));
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");
}
