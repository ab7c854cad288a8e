#include "access/JsonDump.h"

#include "db/ProgDb.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

#include <memory>

#include <gtest/gtest.h>

namespace {

using Json = nlohmann::ordered_json; // keeps the keys in the order read

// Consecutive byte values from nFirst, skipping zero, which ends a stored name.
std::string Bytes(int nFirst, size_t nLen)
{
    std::string s;
    for (size_t i = 0; i < nLen; ++i)
        s += static_cast<char>((nFirst + static_cast<int>(i) - 1) % 255 + 1);
    return s;
}

std::string FromHex(const std::string& hex)
{
    std::string s;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        s += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return s;
}

bool IsUtf8(const std::string& s)
{
    try {
        (void)Json(s).dump(); // the strict writer refuses anything else
        return true;
    } catch (const Json::exception&) {
        return false;
    }
}

// A database whose names, taken together, hold every byte value 0x01-0xFF, with every field set
// to a different pattern and a dangling parent among the transponders.
void FillDb(CProgDb& db)
{
    uint32_t seed = 99;
    auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < 17; ++i) {
        auto pSat = std::make_unique<CSatNode>(i % 3);
        pSat->GetRecord()->SetName(Bytes(1 + 16 * i, 16));
        for (int w = 0; w < 3; ++w)
            pSat->GetRecord()->dwWord[w] = next();
        db.GetSatList().Add(std::move(pSat));
        auto pTp = std::make_unique<CTpNode>(INVALID_ID, i == 5 ? 99 : i);
        pTp->GetRecord()->dwWord[0] = next();
        db.GetTpList().Add(std::move(pTp));
    }
    for (int i = 0; i < 13; ++i) {
        auto pProg = std::make_unique<CProgNode>(INVALID_ID, i % 17);
        pProg->GetRecord()->SetName(Bytes(1 + 21 * i, i % 2 ? 21 : 7));
        for (int w = 0; w < 4; ++w)
            pProg->GetRecord()->dwWord[w] = next();
        db.GetProgList().Add(std::move(pProg));
    }
}

template <class TRecord, size_t N>
void ExpectFields(const Json& obj, const TRecord& rec, const FieldDesc* const (&fields)[N], size_t nFirst)
{
    ASSERT_EQ(obj.size(), nFirst + N);
    auto it = obj.begin();
    std::advance(it, nFirst);
    for (const FieldDesc* f : fields) {
        EXPECT_EQ(it.key(), f->pszName);
        EXPECT_EQ(it.value().get<uint32_t>(), rec.Get(*f)) << f->pszName;
        ++it;
    }
}

// The decoded name: what the code page makes of the bytes, or, where that is not UTF-8, the bytes
// with U+FFFD for each bad sequence; the hex form always gives back the stored bytes.
void ExpectName(const Json& obj, const char* pszKey, const std::string& strHexKey, const std::string& bytes,
                uint32_t nCodePage)
{
    EXPECT_EQ(FromHex(obj.at(strHexKey).get<std::string>()), bytes);
    const std::string decoded = CodePage::ToUtf8(bytes, nCodePage);
    if (IsUtf8(decoded))
        EXPECT_EQ(obj.at(pszKey).get<std::string>(), decoded);
    else
        EXPECT_NE(obj.at(pszKey).get<std::string>().find("\xEF\xBF\xBD"), std::string::npos);
}

} // namespace

// Whatever the bytes of the names and the code page, the dump is strict JSON that gives back every
// id, parent, stored name and field, keys in their fixed order.
TEST(JsonDump, EveryRecordAndNameByteSurvivesInEveryCodePage)
{
    CProgDb db;
    FillDb(db);
    for (uint32_t nCodePage : {1252u, 936u, 932u, 949u, 950u, 1251u, 1253u, 874u, 20127u, 65001u}) {
        if (!CodePage::IsSupported(nCodePage))
            continue;
        SCOPED_TRACE(nCodePage);
        const std::string text = DumpJson(db, nCodePage);
        ASSERT_EQ(text.back(), '\n');
        Json doc;
        ASSERT_NO_THROW(doc = Json::parse(text));
        EXPECT_EQ(doc.dump(1) + "\n", text) << "one-space indentation, keys in the order written";
        EXPECT_EQ(text, DbToJson(db, nCodePage).dump(1, ' ', false, Json::error_handler_t::replace) + "\n")
            << "the text written directly is the serializer's";

        const Json& sats = doc.at("satellites");
        ASSERT_EQ(sats.size(), db.GetSatList().GetCount());
        size_t k = 0;
        for (const CNode* pNode : db.GetSatList()) {
            const Json& obj = sats[k++];
            const CSatNode* pSat = static_cast<const CSatNode*>(pNode);
            EXPECT_EQ(obj.begin().key(), "SatID");
            EXPECT_EQ(obj.at("SatID").get<int32_t>(), pSat->GetId());
            EXPECT_EQ(obj.at("select").get<int32_t>(), pSat->GetSelect());
            ExpectName(obj, "Name", "NameHex", pSat->GetRecord()->GetName(), nCodePage);
            ExpectFields(obj, *pSat->GetRecord(), g_satFields, 4);
        }
        const Json& tps = doc.at("transponders");
        ASSERT_EQ(tps.size(), db.GetTpList().GetCount());
        k = 0;
        for (const CNode* pNode : db.GetTpList()) {
            const Json& obj = tps[k++];
            EXPECT_EQ(obj.at("TpID").get<int32_t>(), pNode->GetId());
            EXPECT_EQ(obj.at("SatID").get<int32_t>(), pNode->GetParentId());
            ExpectFields(obj, *static_cast<const CTpNode*>(pNode)->GetRecord(), g_tpFields, 2);
        }
        const Json& progs = doc.at("programs");
        ASSERT_EQ(progs.size(), db.GetProgList().GetCount());
        k = 0;
        for (const CNode* pNode : db.GetProgList()) {
            const Json& obj = progs[k++];
            const ProgRecord* pRec = static_cast<const CProgNode*>(pNode)->GetRecord();
            EXPECT_EQ(obj.at("ProgID").get<int32_t>(), pNode->GetId());
            EXPECT_EQ(obj.at("TpID").get<int32_t>(), pNode->GetParentId());
            ExpectName(obj, "ProgName", "ProgNameHex", pRec->GetName(), nCodePage);
            ExpectFields(obj, *pRec, g_progFields, 4);
        }
    }
}

// With UTF-8 as the code page, names are taken as they are; a bad sequence becomes one U+FFFD
// instead of bytes that no JSON reader accepts.
TEST(JsonDump, BadUtf8NamesBecomeReplacementCharacters)
{
    struct Case
    {
        std::string bytes;
        std::string name;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"\xE4\xB8\xAD", "\xE4\xB8\xAD"},
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xC3(", "\xEF\xBF\xBD("},
        {"x\xE4\xB8", "x\xEF\xBF\xBD"},
        {"\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        CProgDb db;
        auto pSat = std::make_unique<CSatNode>();
        pSat->GetRecord()->SetName(c.bytes);
        db.GetSatList().Add(std::move(pSat));
        const std::string text = DumpJson(db, CodePage::CP_UTF8);
        const Json doc = Json::parse(text);
        EXPECT_EQ(doc["satellites"][0]["Name"], c.name) << c.bytes;
        EXPECT_EQ(text,
                  DbToJson(db, CodePage::CP_UTF8).dump(1, ' ', false, Json::error_handler_t::replace) + "\n");
    }
}
