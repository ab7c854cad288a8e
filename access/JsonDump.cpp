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
    CDumpWriter(std::string& out, uint32_t nCodePage) : m_out(out), m_decoder(nCodePage) {}

    void BeginList(const char* pszName)
    {
        m_out += m_bFirstList ? "{\n \"" : ",\n \"";
        m_out += pszName;
        m_out += "\": [";
        m_bFirstList = false;
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
    void EndDocument() { m_out += "\n}\n"; }

    void Value(const char* pszKey, int64_t n)
    {
        Key(pszKey);
        Number(n);
    }
    void Value(const char* pszKey, const std::string& s)
    {
        Key(pszKey);
        String(s);
    }
    void Name(const char* pszKey, const std::string& bytes) { Value(pszKey, m_decoder.Decode(bytes)); }
    template <class TRecord, size_t N> void Fields(const TRecord& rec, const FieldDesc* const (&fields)[N])
    {
        for (const FieldDesc* f : fields)
            Value(f->pszName, rec.Get(*f));
    }

private:
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

    std::string& m_out;
    CNameDecoder m_decoder;
    bool m_bFirstList = true;
    bool m_bFirstRecord = true;
    bool m_bFirstKey = true;
};

// The document itself, for DbToJson: values keep their C++ types (ids and select signed, fields
// unsigned).
class CDocBuilder
{
public:
    explicit CDocBuilder(uint32_t nCodePage) : m_nCodePage(nCodePage) {}

    void BeginList(const char* pszName)
    {
        m_pszList = pszName;
        m_list = Json::array();
    }
    void EndList() { m_doc[m_pszList] = std::move(m_list); }
    void BeginRecord() { m_record = Json::object(); }
    void EndRecord() { m_list.push_back(std::move(m_record)); }

    template <class T> void Value(const char* pszKey, const T& value) { m_record[pszKey] = value; }
    void Name(const char* pszKey, const std::string& bytes)
    {
        m_record[pszKey] = CodePage::ToUtf8(bytes, m_nCodePage);
    }
    template <class TRecord, size_t N> void Fields(const TRecord& rec, const FieldDesc* const (&fields)[N])
    {
        for (const FieldDesc* f : fields)
            m_record[f->pszName] = rec.Get(*f);
    }

    Json TakeDocument() { return std::move(m_doc); }

private:
    uint32_t m_nCodePage;
    Json m_doc = Json::object();
    const char* m_pszList = nullptr;
    Json m_list;
    Json m_record;
};

// The three lists with every record's keys and values in the order of the document, handed to
// out (a CDumpWriter or a CDocBuilder), so that the text and the document cannot differ.
template <class TOut> void PutDb(const CProgDb& db, TOut& out)
{
    out.BeginList("satellites");
    for (const CNode* pNode : db.GetSatList()) {
        const CSatNode* pSat = static_cast<const CSatNode*>(pNode);
        const SatRecord* pRec = pSat->GetRecord();
        const std::string name = pRec->GetName();
        out.BeginRecord();
        out.Value("SatID", pSat->GetId());
        out.Value("select", pSat->GetSelect());
        out.Name("Name", name);
        out.Value("NameHex", Hex(name));
        out.Fields(*pRec, g_satFields);
        out.EndRecord();
    }
    out.EndList();

    out.BeginList("transponders");
    for (const CNode* pNode : db.GetTpList()) {
        out.BeginRecord();
        out.Value("TpID", pNode->GetId());
        out.Value("SatID", pNode->GetParentId());
        out.Fields(*static_cast<const CTpNode*>(pNode)->GetRecord(), g_tpFields);
        out.EndRecord();
    }
    out.EndList();

    out.BeginList("programs");
    for (const CNode* pNode : db.GetProgList()) {
        const ProgRecord* pRec = static_cast<const CProgNode*>(pNode)->GetRecord();
        const std::string name = pRec->GetName();
        out.BeginRecord();
        out.Value("ProgID", pNode->GetId());
        out.Value("TpID", pNode->GetParentId());
        out.Name("ProgName", name);
        out.Value("ProgNameHex", Hex(name));
        out.Fields(*pRec, g_progFields);
        out.EndRecord();
    }
    out.EndList();
}

} // namespace

nlohmann::ordered_json DbToJson(const CProgDb& db, uint32_t nCodePage)
{
    CDocBuilder builder(nCodePage);
    PutDb(db, builder);
    return builder.TakeDocument();
}

std::string DumpJson(const CProgDb& db, uint32_t nCodePage)
{
    std::string out;
    out.reserve(size_t(db.GetSatList().GetCount()) * 480 + size_t(db.GetTpList().GetCount()) * 120 +
                size_t(db.GetProgList().GetCount()) * 560 + 64);
    CDumpWriter writer(out, nCodePage);
    PutDb(db, writer);
    writer.EndDocument();
    return out;
}
