#include "access/JsonDump.h"

#include "db/ProgDb.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <memory>

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

// Decodes the names of one dump. A multi-byte code page converts through iconv, whose descriptor
// is kept open for all the names instead of opened once per name; text it cannot convert strictly
// takes the code-page layer's own conversion, which replaces what the code page does not define.
class CNameDecoder
{
public:
    explicit CNameDecoder(uint32_t nCodePage)
        : m_nCodePage(nCodePage), m_bAsciiCompatible(CodePage::IsAsciiCompatible(nCodePage))
    {}

    std::string Decode(const std::string& bytes)
    {
        if (!m_bAsciiCompatible || m_nCodePage == CodePage::CP_UTF8)
            return CodePage::ToUtf8(bytes, m_nCodePage);
        bool bAscii = true;
        for (unsigned char c : bytes)
            bAscii = bAscii && c < 0x80;
        if (bAscii)
            return bytes;
        if (!m_pStrict)
            m_pStrict = std::make_unique<CodePage::CStrictConverter>(m_nCodePage, CodePage::CP_UTF8);
        std::string out;
        if (m_pStrict->Convert(bytes, out))
            return out;
        return CodePage::ToUtf8(bytes, m_nCodePage);
    }

private:
    uint32_t m_nCodePage;
    bool m_bAsciiCompatible;
    std::unique_ptr<CodePage::CStrictConverter> m_pStrict;
};

// True for well-formed UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsUtf8(const std::string& s)
{
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t nLen = 0;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            nLen = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            nLen = 3;
            lo = c == 0xE0 ? 0xA0 : 0x80;
            hi = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            nLen = 4;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (n - i < nLen)
            return false;
        const unsigned char c2 = static_cast<unsigned char>(s[i + 1]);
        if (c2 < lo || c2 > hi)
            return false;
        for (size_t k = 2; k < nLen; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += nLen;
    }
    return true;
}

// The text of the dump, written directly: the same characters nlohmann's serializer writes for
// DbToJson with an indentation of one space, without building the document first.
class CDumpWriter
{
public:
    explicit CDumpWriter(std::string& out) : m_out(out) {}

    void BeginList(const char* pszName)
    {
        m_out += pszName;
        m_out += "\": [";
        m_bFirstRecord = true;
    }
    void EndList() { m_out += m_bFirstRecord ? "]" : "\n ]"; }
    void BeginRecord()
    {
        m_out += m_bFirstRecord ? "\n  {" : ",\n  {";
        m_bFirstRecord = false;
        m_bFirstKey = true;
    }
    void EndRecord() { m_out += "\n  }"; }

    // Keys are field names: ASCII letters, digits and spaces, which need no escaping.
    void Key(const char* pszKey)
    {
        m_out += m_bFirstKey ? "\n   \"" : ",\n   \"";
        m_out += pszKey;
        m_out += "\": ";
        m_bFirstKey = false;
    }
    void Number(int64_t n)
    {
        char buf[24];
        const auto res = std::to_chars(buf, buf + sizeof buf, n);
        m_out.append(buf, res.ptr);
    }
    // As the serializer does without ensure_ascii: quotes, backslashes and control characters are
    // escaped, everything else is copied. Text that is not UTF-8 is left to the serializer itself,
    // which writes U+FFFD for each bad sequence.
    void String(const std::string& s)
    {
        if (!IsUtf8(s)) {
            m_out += Json(s).dump(-1, ' ', false, Json::error_handler_t::replace);
            return;
        }
        static const char digits[] = "0123456789abcdef";
        m_out += '"';
        for (char ch : s) {
            const unsigned char c = static_cast<unsigned char>(ch);
            switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\b':
                m_out += "\\b";
                break;
            case '\f':
                m_out += "\\f";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    m_out += "\\u00";
                    m_out += digits[c >> 4];
                    m_out += digits[c & 15];
                } else {
                    m_out += ch;
                }
            }
        }
        m_out += '"';
    }
    template <class TRecord, size_t N> void Fields(const TRecord& rec, const FieldDesc* const (&fields)[N])
    {
        for (const FieldDesc* f : fields) {
            Key(f->pszName);
            Number(rec.Get(*f));
        }
    }

private:
    std::string& m_out;
    bool m_bFirstRecord = true;
    bool m_bFirstKey = true;
};

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
    std::string out;
    out.reserve(size_t(db.GetSatList().GetCount()) * 480 + size_t(db.GetTpList().GetCount()) * 120 +
                size_t(db.GetProgList().GetCount()) * 560 + 64);
    CNameDecoder decoder(nCodePage);
    CDumpWriter w(out);

    out += "{\n \"";
    w.BeginList("satellites");
    for (const CNode* pNode : db.GetSatList()) {
        const CSatNode* pSat = static_cast<const CSatNode*>(pNode);
        const SatRecord* pRec = pSat->GetRecord();
        const std::string name = pRec->GetName();
        w.BeginRecord();
        w.Key("SatID");
        w.Number(pSat->GetId());
        w.Key("select");
        w.Number(pSat->GetSelect());
        w.Key("Name");
        w.String(decoder.Decode(name));
        w.Key("NameHex");
        w.String(Hex(name));
        w.Fields(*pRec, g_satFields);
        w.EndRecord();
    }
    w.EndList();

    out += ",\n \"";
    w.BeginList("transponders");
    for (const CNode* pNode : db.GetTpList()) {
        w.BeginRecord();
        w.Key("TpID");
        w.Number(pNode->GetId());
        w.Key("SatID");
        w.Number(pNode->GetParentId());
        w.Fields(*static_cast<const CTpNode*>(pNode)->GetRecord(), g_tpFields);
        w.EndRecord();
    }
    w.EndList();

    out += ",\n \"";
    w.BeginList("programs");
    for (const CNode* pNode : db.GetProgList()) {
        const ProgRecord* pRec = static_cast<const CProgNode*>(pNode)->GetRecord();
        const std::string name = pRec->GetName();
        w.BeginRecord();
        w.Key("ProgID");
        w.Number(pNode->GetId());
        w.Key("TpID");
        w.Number(pNode->GetParentId());
        w.Key("ProgName");
        w.String(decoder.Decode(name));
        w.Key("ProgNameHex");
        w.String(Hex(name));
        w.Fields(*pRec, g_progFields);
        w.EndRecord();
    }
    w.EndList();
    out += "\n}\n";
    return out;
}
