#include "access/JsonDump.h"

#include "db/ProgDb.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

template <class TRecord, size_t N>
void AddFields(Json& obj, const TRecord& rec, const FieldDesc* const (&fields)[N])
{
    for (const FieldDesc* f : fields)
        obj[f->pszName] = rec.Get(*f);
}

// Builds one list; fn fills the object of each record.
template <class Fn> Json List(const CNodeList& list, Fn fn)
{
    Json arr = Json::array();
    for (const CNode* pNode : list) {
        Json obj = Json::object();
        fn(obj, pNode);
        arr.push_back(std::move(obj));
    }
    return arr;
}

} // namespace

nlohmann::ordered_json DbToJson(const CProgDb& db, uint32_t nCodePage)
{
    Json doc = Json::object();
    doc["satellites"] = List(db.GetSatList(), [nCodePage](Json& obj, const CNode* pNode) {
        const CSatNode* pSat = static_cast<const CSatNode*>(pNode);
        const SatRecord* pRec = pSat->GetRecord();
        const std::string name = pRec->GetName();
        obj["SatID"] = pSat->GetId();
        obj["select"] = pSat->GetSelect();
        obj["Name"] = CodePage::ToUtf8(name, nCodePage);
        obj["NameHex"] = Hex(name);
        AddFields(obj, *pRec, g_satFields);
    });
    doc["transponders"] = List(db.GetTpList(), [](Json& obj, const CNode* pNode) {
        obj["TpID"] = pNode->GetId();
        obj["SatID"] = pNode->GetParentId();
        AddFields(obj, *static_cast<const CTpNode*>(pNode)->GetRecord(), g_tpFields);
    });
    doc["programs"] = List(db.GetProgList(), [nCodePage](Json& obj, const CNode* pNode) {
        const ProgRecord* pRec = static_cast<const CProgNode*>(pNode)->GetRecord();
        const std::string name = pRec->GetName();
        obj["ProgID"] = pNode->GetId();
        obj["TpID"] = pNode->GetParentId();
        obj["ProgName"] = CodePage::ToUtf8(name, nCodePage);
        obj["ProgNameHex"] = Hex(name);
        AddFields(obj, *pRec, g_progFields);
    });
    return doc;
}

std::string DumpJson(const CProgDb& db, uint32_t nCodePage)
{
    return DbToJson(db, nCodePage).dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}
