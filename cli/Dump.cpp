#include "cli/Dump.h"

#include "db/ProgDb.h"
#include "platform/CodePage.h"

#include <cstdio>

namespace {

std::string JsonString(const std::string& strUtf8)
{
    std::string out = "\"";
    for (unsigned char c : strUtf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Writes one record object as the lines of a list entry.
class CObjectWriter
{
public:
    explicit CObjectWriter(std::string& out) : m_out(out) { m_out += "  {\n"; }
    void Int(const char* pszKey, long long v) { Key(pszKey) += std::to_string(v); }
    void Str(const char* pszKey, const std::string& strUtf8) { Key(pszKey) += JsonString(strUtf8); }
    void End() { m_out += "\n  }"; }

private:
    std::string& Key(const char* pszKey)
    {
        if (!m_bFirst)
            m_out += ",\n";
        m_bFirst = false;
        m_out += "   ";
        m_out += JsonString(pszKey);
        m_out += ": ";
        return m_out;
    }
    std::string& m_out;
    bool m_bFirst = true;
};

template <class Fn> void List(std::string& out, const char* pszKey, const CNodeList& list, bool bLast, Fn fn)
{
    out += " " + JsonString(pszKey) + ": [";
    bool bFirst = true;
    for (const CNode* pNode : list) {
        out += bFirst ? "\n" : ",\n";
        bFirst = false;
        CObjectWriter w(out);
        fn(w, pNode);
        w.End();
    }
    out += bFirst ? "]" : "\n ]";
    out += bLast ? "\n" : ",\n";
}

} // namespace

std::string DumpJson(const CProgDb& db, uint32_t nCodePage)
{
    std::string out = "{\n";
    List(out, "satellites", db.GetSatList(), false, [nCodePage](CObjectWriter& w, const CNode* pNode) {
        const CSatNode* pSat = static_cast<const CSatNode*>(pNode);
        const SatRecord* pRec = pSat->GetRecord();
        const std::string name = pRec->GetName();
        w.Int("SatID", pSat->GetId());
        w.Int("select", pSat->GetSelect());
        w.Str("Name", CodePage::ToUtf8(name, nCodePage));
        w.Str("NameHex", Hex(name));
        for (const FieldDesc* f : g_satFields)
            w.Int(f->pszName, pRec->Get(*f));
    });
    List(out, "transponders", db.GetTpList(), false, [](CObjectWriter& w, const CNode* pNode) {
        const TpRecord* pRec = static_cast<const CTpNode*>(pNode)->GetRecord();
        w.Int("TpID", pNode->GetId());
        w.Int("SatID", pNode->GetParentId());
        for (const FieldDesc* f : g_tpFields)
            w.Int(f->pszName, pRec->Get(*f));
    });
    List(out, "programs", db.GetProgList(), true, [nCodePage](CObjectWriter& w, const CNode* pNode) {
        const ProgRecord* pRec = static_cast<const CProgNode*>(pNode)->GetRecord();
        const std::string name = pRec->GetName();
        w.Int("ProgID", pNode->GetId());
        w.Int("TpID", pNode->GetParentId());
        w.Str("ProgName", CodePage::ToUtf8(name, nCodePage));
        w.Str("ProgNameHex", Hex(name));
        for (const FieldDesc* f : g_progFields)
            w.Int(f->pszName, pRec->Get(*f));
    });
    out += "}\n";
    return out;
}
