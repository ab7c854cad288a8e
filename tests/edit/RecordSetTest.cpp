#include "edit/RecordSet.h"

#include "edit/InsertCommand.h"
#include "platform/ByteOrder.h"
#include "platform/CodePage.h"

#include "tests/edit/EditTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Satellites 0 and 1; transponders 0 (sat 0), 1 (sat 1), 2 (sat 0); programs 0 (tp 0), 1 (tp 2),
// 2 (tp 1), 3 (tp 0); every word noise, names with bytes above 0x7F.
void MakeSourceDb(CProgDb& db)
{
    std::mt19937 rng(5);
    AddRecord(db, NODE_SAT, INVALID_ID,
              "Astra 19.2\xB0"
              "E");
    AddRecord(db, NODE_SAT, INVALID_ID, "Sixteen bytes!!!");
    static_cast<CSatNode*>(db.GetSatList().GetAtIndex(0))->SetSelect(2);
    for (int32_t nSat : {0, 1, 0})
        AddRecord(db, NODE_TP, nSat);
    for (int32_t nTp : {0, 2, 1, 0})
        AddRecord(db, NODE_PROG, nTp, "\xC4rger \xFC" + std::to_string(nTp) + " twenty-one bytes");
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (CNode* p : db.GetList(nKind)) {
            if (nKind == NODE_SAT)
                for (uint32_t& w : static_cast<CSatNode*>(p)->GetRecord()->dwWord)
                    w = static_cast<uint32_t>(rng());
            else if (nKind == NODE_TP)
                static_cast<CTpNode*>(p)->GetRecord()->dwWord[0] = static_cast<uint32_t>(rng());
            else
                for (uint32_t& w : static_cast<CProgNode*>(p)->GetRecord()->dwWord)
                    w = static_cast<uint32_t>(rng());
        }
    }
}

std::vector<std::vector<uint8_t>> BytesOf(const CRecordSet& set, NodeType nKind)
{
    std::vector<std::vector<uint8_t>> bytes;
    for (const auto& pNode : set.records[nKind])
        bytes.push_back(RecordBytes(*pNode));
    return bytes;
}

} // namespace

// Copy, the clipboard bytes and a paste into another database: the same records under fresh ids,
// linked to their new parents.
TEST(RecordSet, CopiedRecordsComeBackFromTheClipboardBytesAndPasteUnderFreshIds)
{
    CProgDb source;
    MakeSourceDb(source);
    const CRecordSet set = CopyRecords(source, NODE_SAT, {0, 0, 42});
    ASSERT_EQ(set.nTopKind, NODE_SAT);
    EXPECT_EQ(set.GetCount(NODE_SAT), 1);
    EXPECT_EQ(set.links[NODE_SAT], std::vector<int32_t>{INVALID_ID});
    EXPECT_EQ(set.links[NODE_TP], (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(set.links[NODE_PROG], (std::vector<int32_t>{0, 1, 0})) << "programs of tp 0, tp 2, tp 0";

    const std::vector<uint8_t> bytes = WriteRecordSet(set);
    EXPECT_EQ(bytes.size(), 20u + 36 + 2 * 8 + 3 * 44);
    CRecordSet back;
    std::string strError;
    ASSERT_TRUE(ReadRecordSet(bytes.data(), bytes.size(), back, strError)) << strError;
    EXPECT_EQ(back.nTopKind, NODE_SAT);
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        EXPECT_EQ(BytesOf(back, nKind), BytesOf(set, nKind)) << "kind " << nKind;
        EXPECT_EQ(back.links[nKind], set.links[nKind]);
    }
    EXPECT_EQ(WriteRecordSet(back), bytes);

    CProgDb target;
    AddRecord(target, NODE_SAT, INVALID_ID, "Here");
    AddRecord(target, NODE_TP, 0);
    AddRecord(target, NODE_PROG, 0, "Here too");
    const SDbPicture before = Picture(target);
    auto pPaste = CInsertCommand::Paste(target, std::move(back), NODE_PROG, 0, 0, strError);
    ASSERT_TRUE(pPaste) << "satellites go to the end wherever they are pasted";
    ASSERT_TRUE(pPaste->Apply(target));
    EXPECT_EQ(pPaste->GetText(), "Paste 1 satellite");
    EXPECT_EQ(pPaste->GetNewIds(), std::vector<int32_t>{1});
    EXPECT_EQ(IdsOf(target.GetTpList()), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(ParentsOf(target.GetTpList()), (std::vector<int32_t>{0, 1, 1}));
    EXPECT_EQ(IdsOf(target.GetProgList()), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ParentsOf(target.GetProgList()), (std::vector<int32_t>{0, 1, 2, 1}));
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
        for (int32_t i = 0; i < set.GetCount(nKind); ++i)
            EXPECT_EQ(RecordBytes(*target.GetList(nKind).GetAtIndex(i + 1)),
                      RecordBytes(*set.records[nKind][i]));
    const SDbPicture after = Picture(target);
    pPaste->Revert(target);
    EXPECT_TRUE(Picture(target) == before);
    ASSERT_TRUE(pPaste->Apply(target));
    EXPECT_TRUE(Picture(target) == after);
}

// Programs go into a transponder (before one of its programs or after its last), transponders into
// a satellite, with what is under them at the end of its list; anything else is refused with the
// reason.
TEST(RecordSet, PastesGoIntoTheirParentOrSayWhyNot)
{
    // Satellite 0; transponders 0 and 1 (sat 0); programs 0 (tp 0), 1 (tp 1), 2 (tp 0).
    auto makeDb = [](CProgDb& db) {
        AddRecord(db, NODE_SAT, INVALID_ID, "S");
        AddRecord(db, NODE_TP, 0);
        AddRecord(db, NODE_TP, 0);
        for (int32_t nTp : {0, 1, 0})
            AddRecord(db, NODE_PROG, nTp, "P");
    };
    struct Case
    {
        const char* pszName;
        NodeType nCopied;
        std::vector<int32_t> copied;
        int32_t nWhereKind;
        int32_t nWhereId;
        int32_t nBeforeId;
        std::vector<int32_t> progIds; // afterwards; empty when refused
        std::vector<int32_t> progParents;
        std::vector<int32_t> tpIds;
        const char* pszError;
    };
    const Case cases[] = {
        {"before a program", NODE_PROG, {2, 1}, NODE_TP, 0, 2, {0, 1, 3, 4, 2}, {0, 1, 0, 0, 0}, {0, 1}, ""},
        {"after the block",
         NODE_PROG,
         {2, 1},
         NODE_TP,
         0,
         INVALID_ID,
         {0, 1, 2, 3, 4},
         {0, 1, 0, 0, 0},
         {0, 1},
         ""},
        {"before another's program", NODE_PROG, {1}, NODE_TP, 0, 1, {0, 1, 2, 3}, {0, 1, 0, 0}, {0, 1}, ""},
        {"into another transponder",
         NODE_PROG,
         {0},
         NODE_TP,
         1,
         INVALID_ID,
         {0, 1, 3, 2},
         {0, 1, 1, 0},
         {0, 1},
         ""},
        {"transponder with programs",
         NODE_TP,
         {0},
         NODE_SAT,
         0,
         INVALID_ID,
         {0, 1, 2, 3, 4},
         {0, 1, 0, 2, 2},
         {0, 1, 2},
         ""},
        {"programs into a satellite",
         NODE_PROG,
         {0},
         NODE_SAT,
         0,
         INVALID_ID,
         {},
         {},
         {},
         "Programs can only be pasted into a transponder"},
        {"programs nowhere",
         NODE_PROG,
         {0},
         INVALID_ID,
         INVALID_ID,
         INVALID_ID,
         {},
         {},
         {},
         "Programs can only be pasted into a transponder"},
        {"transponders into a transponder",
         NODE_TP,
         {1},
         NODE_TP,
         0,
         INVALID_ID,
         {},
         {},
         {},
         "Transponders can only be pasted into a satellite"},
        {"into no transponder",
         NODE_PROG,
         {0},
         NODE_TP,
         9,
         INVALID_ID,
         {},
         {},
         {},
         "There is no transponder 9 to paste into"},
        {"nothing copied", NODE_PROG, {7}, NODE_TP, 0, INVALID_ID, {}, {}, {}, "There is nothing to paste"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CProgDb db;
        makeDb(db);
        const SDbPicture before = Picture(db);
        std::string strError;
        auto pPaste = CInsertCommand::Paste(db, CopyRecords(db, c.nCopied, c.copied), c.nWhereKind,
                                            c.nWhereId, c.nBeforeId, strError);
        if (c.progIds.empty()) {
            EXPECT_EQ(pPaste, nullptr);
            EXPECT_EQ(strError, c.pszError);
            continue;
        }
        ASSERT_TRUE(pPaste && pPaste->Apply(db));
        EXPECT_EQ(IdsOf(db.GetProgList()), c.progIds);
        EXPECT_EQ(ParentsOf(db.GetProgList()), c.progParents);
        EXPECT_EQ(IdsOf(db.GetTpList()), c.tpIds);
        pPaste->Revert(db);
        EXPECT_TRUE(Picture(db) == before);
    }
}

// Bytes from elsewhere are read only when every length, kind, link and value can be.
TEST(RecordSet, BytesThatAreNoSoundRecordSetAreRefusedWithTheReason)
{
    CProgDb db;
    MakeSourceDb(db);
    const std::vector<uint8_t> tpSet = WriteRecordSet(CopyRecords(db, NODE_TP, {0})); // 1 tp, 2 programs
    const std::vector<uint8_t> satSet = WriteRecordSet(CopyRecords(db, NODE_SAT, {1}));
    ASSERT_EQ(tpSet.size(), 20u + 8 + 2 * 44);
    const std::string strForeign = "The clipboard holds no records of this editor";
    const std::string strDamaged = "The records on the clipboard are damaged";
    const size_t nFirstProg = 20 + 8;
    struct Case
    {
        const char* pszName;
        const std::vector<uint8_t>* pGood;
        std::function<void(std::vector<uint8_t>&)> damage;
        std::string strError;
    };
    const Case cases[] = {
        {"empty", &tpSet, [](auto& b) { b.clear(); }, strForeign},
        {"other magic", &tpSet, [](auto& b) { b[3] = 'X'; }, strForeign},
        {"header cut short", &tpSet, [](auto& b) { b.resize(19); }, strForeign},
        {"newer version", &tpSet, [](auto& b) { b[5] = 2; },
         "The records on the clipboard come from a newer version of the editor"},
        {"version 0", &tpSet, [](auto& b) { b[5] = 0; }, strDamaged},
        {"kind 3", &tpSet, [](auto& b) { b[7] = 3; }, strDamaged},
        {"one byte short", &tpSet, [](auto& b) { b.pop_back(); }, strDamaged},
        {"one byte more", &tpSet, [](auto& b) { b.push_back(0); }, strDamaged},
        {"count beyond the bytes", &tpSet, [](auto& b) { WriteBe32(&b[16], 0x40000001); }, strDamaged},
        {"satellites above the top kind", &tpSet,
         [](auto& b) {
             WriteBe32(&b[8], 1);
             b.insert(b.begin() + 20, 36, 0);
         },
         strDamaged},
        {"programs without their transponder", &tpSet,
         [](auto& b) {
             WriteBe32(&b[12], 0);
             b.erase(b.begin() + 20, b.begin() + 28);
         },
         strDamaged},
        {"link past the parents", &tpSet, [nFirstProg](auto& b) { WriteBe32(&b[nFirstProg], 1); },
         strDamaged},
        {"negative link", &tpSet, [nFirstProg](auto& b) { WriteBe32(&b[nFirstProg + 44], 0xFFFFFFFF); },
         strDamaged},
        {"select 3", &satSet, [](auto& b) { WriteBe32(&b[24], 3); }, strDamaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        std::vector<uint8_t> bytes = *c.pGood;
        c.damage(bytes);
        CRecordSet records = CopyRecords(db, NODE_SAT, {0});
        std::string strError;
        EXPECT_FALSE(ReadRecordSet(bytes.data(), bytes.size(), records, strError));
        EXPECT_EQ(strError, c.strError);
        EXPECT_EQ(records.GetCount(NODE_SAT), 1) << "left as it was";
    }
    CRecordSet records;
    std::string strError;
    EXPECT_TRUE(ReadRecordSet(satSet.data(), satSet.size(), records, strError));
    EXPECT_EQ(static_cast<const CSatNode&>(*records.records[NODE_SAT][0]).GetRecord()->GetName(),
              "Sixteen bytes!!!");
}

// The text for spreadsheets and text editors: the list's headings and cells, names in UTF-8.
TEST(RecordSet, TextCarriesTheHeadingsAndTheCellsOfTheList)
{
    const uint32_t nCodePage = CodePage::GetAnsiCodePage();
    CodePage::SetAnsiCodePage(1252);
    CProgDb db;
    AddRecord(db, NODE_SAT, INVALID_ID, "Caf\xE9");
    SatRecord& sat = *static_cast<CSatNode*>(db.GetSatList().GetAtIndex(0))->GetRecord();
    sat.Set(SatField::Longitude, 192);
    sat.Set(SatField::LocalFre1, 3);
    sat.Set(SatField::LocalFre2, 12);
    sat.Set(SatField::LnbType, 2);
    AddRecord(db, NODE_TP, 0);
    static_cast<CTpNode*>(db.GetTpList().GetAtIndex(0))->GetRecord()->Set(TpField::Polar, 1);
    AddRecord(db, NODE_PROG, 0, "A\tB\nC");
    AddRecord(db, NODE_PROG, 0, "Second");
    ProgAt(db, 1).GetRecord()->Set(ProgField::VPID, 8191);

    EXPECT_EQ(
        RecordsAsText(db, NODE_SAT, {0}),
        "SatID\tName\tLongitude\tLocalFre1\tLocalFre2\t12V\t22K\tDiSEqC\tDiSEqC12\tDirection\tLnbTpype\t"
        "DisEqC Motor\tTunerSel\n"
        "0\tCaf\xC3\xA9\t192\t9750\t5150\t0\t0\t0\t0\t0\t2\t0\t0\n");
    EXPECT_EQ(RecordsAsText(db, NODE_TP, {0}), "TpID\tSatID\tFrequency\tSymbolRate\tPolar\n0\t0\t0\t0\t1\n");
    EXPECT_EQ(RecordsAsText(db, NODE_PROG, {1, 0, 5}),
              "ProgID\tTpID\tProgName\tVPID\tAPID\tPCRPID\tScramble\tHide\tTrack\tServiceId\tPmtPid\tAvType\t"
              "Lock\tSkip\tFavType\tTunerSel\n"
              "0\t0\tA B C\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\n"
              "1\t0\tSecond\t8191\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\n");
    CodePage::SetAnsiCodePage(nCodePage);
}
