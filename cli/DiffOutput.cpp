#include "cli/DiffOutput.h"

#include "db/ListDiff.h"
#include "db/ParentPositions.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <deque>
#include <string_view>
#include <vector>

namespace {

const char* const KIND_NAMES[3] = {"satellite", "transponder", "program"};

void AppendNumber(std::string& strOut, int64_t nValue)
{
    char szDigits[24];
    const auto result = std::to_chars(szDigits, szDigits + sizeof szDigits, nValue);
    strOut.append(szDigits, result.ptr);
}

void AppendHexEscape(std::string& strOut, const char* pszPrefix, unsigned char b, int nDigits)
{
    static const char digits[] = "0123456789ABCDEF";
    strOut += pszPrefix;
    for (int nShift = (nDigits - 1) * 4; nShift >= 0; nShift -= 4)
        strOut += digits[(b >> nShift) & 15];
}

// A name in a line of text: in double quotes, with quotes, backslashes and control characters
// escaped so that every line stays one line.
void AppendQuoted(std::string& strOut, std::string_view strUtf8)
{
    strOut += '"';
    for (char c : strUtf8) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += c;
        } else if (b < 0x20 || b == 0x7F) {
            AppendHexEscape(strOut, "\\x", b, 2);
        } else {
            strOut += c;
        }
    }
    strOut += '"';
}

// A JSON string. Text that is not plain ASCII goes through the JSON library, which replaces bytes
// that are no UTF-8 (only possible with the code page UTF-8 itself) so that the document stays valid.
void AppendJsonString(std::string& strOut, std::string_view strUtf8)
{
    for (char c : strUtf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            strOut += nlohmann::json(std::string(strUtf8))
                          .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            return;
        }
    }
    strOut += '"';
    for (char c : strUtf8) {
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            AppendHexEscape(strOut, "\\u", static_cast<unsigned char>(c), 4);
        } else {
            strOut += c;
        }
    }
    strOut += '"';
}

// The records of one database as the diff names them: kind, name and place. Each name is decoded
// once, when it is first asked for.
class CRecordNames
{
public:
    CRecordNames(const CProgDb& db, uint32_t nCodePage)
        : m_bAsciiSafe(CodePage::IsAsciiCompatible(nCodePage)), m_decoder(nCodePage)
    {
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            m_nodes[k].assign(db.GetList(k).begin(), db.GetList(k).end());
            m_parents[k] = ParentPositions(db, k);
            m_decodedAt[k].assign(m_nodes[k].size(), -1);
        }
    }

    const CNode& Node(NodeType nKind, int32_t nPos) const
    {
        return *m_nodes[nKind][static_cast<size_t>(nPos)];
    }

    // The name of a satellite or program in UTF-8: a view of the record's own bytes when they are
    // ASCII in a code page that keeps ASCII, else of its decoded text, decoded once.
    std::string_view Name(NodeType nKind, int32_t nPos)
    {
        const CNode& node = Node(nKind, nPos);
        const auto* pBytes = reinterpret_cast<const char*>(
            nKind == NODE_SAT ? static_cast<const CSatNode&>(node).GetRecord()->Name
                              : static_cast<const CProgNode&>(node).GetRecord()->ProgName);
        const size_t nMax = nKind == NODE_SAT ? SAT_NAME_LEN : PROG_NAME_LEN;
        size_t nLen = 0;
        bool bAscii = m_bAsciiSafe;
        for (; nLen < nMax && pBytes[nLen] != 0; ++nLen)
            bAscii = bAscii && static_cast<unsigned char>(pBytes[nLen]) < 0x80;
        if (bAscii)
            return std::string_view(pBytes, nLen);
        int32_t& nAt = m_decodedAt[nKind][static_cast<size_t>(nPos)];
        if (nAt < 0) {
            nAt = static_cast<int32_t>(m_decoded.size());
            m_decoded.push_back(m_decoder.ToUtf8(std::string(pBytes, nLen)));
        }
        return m_decoded[static_cast<size_t>(nAt)];
    }

    // "11000 H 27500 of "Astra"": a transponder by frequency, polarisation, symbol rate and satellite.
    void AppendTpPlace(std::string& strOut, int32_t nTp)
    {
        const TpRecord& r = *static_cast<const CTpNode&>(Node(NODE_TP, nTp)).GetRecord();
        AppendNumber(strOut, r.Get(TpField::Frequency));
        strOut += ' ';
        strOut += PolarName(r.Get(TpField::Polar));
        strOut += ' ';
        AppendNumber(strOut, r.Get(TpField::SymbolRate));
        strOut += " of ";
        const int32_t nSat = m_parents[NODE_TP][static_cast<size_t>(nTp)];
        if (nSat < 0)
            strOut += "no satellite";
        else
            AppendQuoted(strOut, Name(NODE_SAT, nSat));
    }

    // Where a record hangs: a transponder's satellite, a program's transponder.
    void AppendParent(std::string& strOut, NodeType nKind, int32_t nPos)
    {
        const int32_t nParent = m_parents[nKind][static_cast<size_t>(nPos)];
        if (nParent < 0)
            strOut += nKind == NODE_TP ? "no satellite" : "no transponder";
        else if (nKind == NODE_TP)
            AppendQuoted(strOut, Name(NODE_SAT, nParent));
        else
            AppendTpPlace(strOut, nParent);
    }

    // "program "ARD" on 11000 H 27500 of "Astra"", "transponder 11000 H 27500 of "Astra"",
    // "satellite "Astra"".
    void AppendRecord(std::string& strOut, NodeType nKind, int32_t nPos)
    {
        strOut += KIND_NAMES[nKind];
        strOut += ' ';
        if (nKind == NODE_TP) {
            AppendTpPlace(strOut, nPos);
            return;
        }
        AppendQuoted(strOut, Name(nKind, nPos));
        if (nKind == NODE_PROG) {
            strOut += " on ";
            AppendParent(strOut, nKind, nPos);
        }
    }

    // Where a record stands in its list: "after "RTL"" (a transponder: "after 11000 H 27500 of
    // "Astra""), or "first".
    void AppendAfter(std::string& strOut, NodeType nKind, int32_t nPos)
    {
        if (nPos == 0) {
            strOut += "first";
            return;
        }
        strOut += "after ";
        if (nKind == NODE_TP)
            AppendTpPlace(strOut, nPos - 1);
        else
            AppendQuoted(strOut, Name(nKind, nPos - 1));
    }

    void AppendJson(std::string& strOut, NodeType nKind, int32_t nPos)
    {
        strOut += "{\"kind\": \"";
        strOut += KIND_NAMES[nKind];
        strOut += "\", \"index\": ";
        AppendNumber(strOut, nPos);
        strOut += ", \"id\": ";
        AppendNumber(strOut, Node(nKind, nPos).GetId());
        if (nKind != NODE_TP) {
            strOut += ", \"name\": ";
            AppendJsonString(strOut, Name(nKind, nPos));
        }
        if (nKind == NODE_TP) {
            strOut += ", ";
            AppendTpFields(strOut, nPos);
        }
        if (nKind == NODE_PROG) {
            strOut += ", \"transponder\": ";
            AppendParentJson(strOut, nKind, nPos);
        }
        if (nKind != NODE_SAT) {
            strOut += ", \"satellite\": ";
            const int32_t nTp = nKind == NODE_TP ? nPos : m_parents[nKind][static_cast<size_t>(nPos)];
            AppendParentJson(strOut, NODE_TP, nTp);
        }
        strOut += '}';
    }

    // The parent of a record as its JSON record shows it: a transponder's satellite as its name, a
    // program's transponder as an object; null for none.
    void AppendParentJson(std::string& strOut, NodeType nKind, int32_t nPos)
    {
        const int32_t nParent = nPos < 0 ? -1 : m_parents[nKind][static_cast<size_t>(nPos)];
        if (nParent < 0) {
            strOut += "null";
        } else if (nKind == NODE_TP) {
            AppendJsonString(strOut, Name(NODE_SAT, nParent));
        } else {
            strOut += '{';
            AppendTpFields(strOut, nParent);
            strOut += '}';
        }
    }

private:
    void AppendTpFields(std::string& strOut, int32_t nTp) const
    {
        const TpRecord& r = *static_cast<const CTpNode&>(Node(NODE_TP, nTp)).GetRecord();
        strOut += "\"frequency\": ";
        AppendNumber(strOut, r.Get(TpField::Frequency));
        strOut += ", \"polar\": \"";
        strOut += PolarName(r.Get(TpField::Polar));
        strOut += "\", \"symbolRate\": ";
        AppendNumber(strOut, r.Get(TpField::SymbolRate));
    }

    bool m_bAsciiSafe;
    CodePage::CUtf8Decoder m_decoder;
    std::vector<const CNode*> m_nodes[3];
    std::vector<int32_t> m_parents[3];
    std::vector<int32_t> m_decodedAt[3]; // per record: its name in m_decoded, or -1
    std::deque<std::string> m_decoded;   // a deque keeps its strings in place as it grows
};

// Text made in pieces and written out whenever a good part of it is there, so that a long output
// never has to be held whole.
class COutput
{
public:
    explicit COutput(std::FILE* pOut) : m_pOut(pOut) { m_strText.reserve(2 * SPILL_SIZE); }
    ~COutput()
    {
        Write();
        std::fflush(m_pOut);
    }
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    std::string& Text() { return m_strText; }
    void EndLine()
    {
        m_strText += '\n';
        Spill();
    }
    // Writes the text out once there is enough of it.
    void Spill()
    {
        if (m_strText.size() >= SPILL_SIZE)
            Write();
    }

private:
    static constexpr size_t SPILL_SIZE = 64 * 1024;

    void Write()
    {
        std::fwrite(m_strText.data(), 1, m_strText.size(), m_pOut);
        m_strText.clear();
    }

    std::FILE* m_pOut;
    std::string m_strText;
};

const char* NameLabel(NodeType nKind)
{
    return nKind == NODE_SAT ? "Name" : "ProgName";
}

// Calls fn(kind, position) for the records of A (or of B) that carry a mark, kind by kind.
template <class TFn> void ForMarked(const CListDiff& diff, bool bSideB, uint8_t nMark, NodeType nKind, TFn fn)
{
    const std::vector<uint8_t>& marks = bSideB ? diff.Of(nKind).markB : diff.Of(nKind).markA;
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i] & nMark)
            fn(static_cast<int32_t>(i));
}

} // namespace

void WriteDiffText(const CListDiff& diff, const CProgDb& dbA, const CProgDb& dbB, uint32_t nCodePage,
                   std::FILE* pOut)
{
    CRecordNames a(dbA, nCodePage), b(dbB, nCodePage);
    COutput out(pOut);
    std::string& strOut = out.Text();
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CKindDiff& d = diff.Of(k);
        const CKindMatch& m = diff.match.Of(k);
        const CFieldTable fields = DiffFields(k);
        ForMarked(diff, false, DIFF_ONLY, k, [&](int32_t i) {
            strOut += "- ";
            a.AppendRecord(strOut, k, i);
            out.EndLine();
        });
        ForMarked(diff, true, DIFF_ONLY, k, [&](int32_t j) {
            strOut += "+ ";
            b.AppendRecord(strOut, k, j);
            out.EndLine();
        });
        ForMarked(diff, false, DIFF_CHANGED, k, [&](int32_t i) {
            const int32_t j = m.refOf[static_cast<size_t>(i)];
            const uint32_t nWhat = d.whatA[static_cast<size_t>(i)];
            strOut += "~ ";
            a.AppendRecord(strOut, k, i);
            const char* pszSeparator = ": ";
            if (nWhat & DIFF_WHAT_NAME) {
                strOut += pszSeparator;
                strOut += NameLabel(k);
                strOut += ' ';
                AppendQuoted(strOut, a.Name(k, i));
                strOut += " -> ";
                AppendQuoted(strOut, b.Name(k, j));
                pszSeparator = ", ";
            }
            for (size_t f = 0; f < fields.nCount; ++f) {
                if (!(nWhat & (1u << f)))
                    continue;
                strOut += pszSeparator;
                strOut += fields.pFields[f]->pszName;
                strOut += ' ';
                AppendNumber(strOut, GetFieldValue(a.Node(k, i), *fields.pFields[f]));
                strOut += " -> ";
                AppendNumber(strOut, GetFieldValue(b.Node(k, j), *fields.pFields[f]));
                pszSeparator = ", ";
            }
            if (nWhat & DIFF_WHAT_PARENT) {
                strOut += pszSeparator;
                strOut += k == NODE_TP ? "satellite " : "transponder ";
                a.AppendParent(strOut, k, i);
                strOut += " -> ";
                b.AppendParent(strOut, k, j);
            }
            out.EndLine();
        });
        ForMarked(diff, false, DIFF_MOVED, k, [&](int32_t i) {
            strOut += "> ";
            a.AppendRecord(strOut, k, i);
            strOut += ": now ";
            b.AppendAfter(strOut, k, m.refOf[static_cast<size_t>(i)]);
            out.EndLine();
        });
    }
    AppendNumber(strOut, diff.nOnlyA);
    strOut += " only in A, ";
    AppendNumber(strOut, diff.nOnlyB);
    strOut += " only in B, ";
    AppendNumber(strOut, diff.nChanged);
    strOut += " changed, ";
    AppendNumber(strOut, diff.nMoved);
    strOut += " moved";
    out.EndLine();
}

void WriteDiffJson(const CListDiff& diff, const CProgDb& dbA, const CProgDb& dbB, uint32_t nCodePage,
                   std::FILE* pOut)
{
    CRecordNames a(dbA, nCodePage), b(dbB, nCodePage);
    COutput out(pOut);
    std::string& strOut = out.Text();
    strOut += "{\n";
    // One list of the document: its entries one per line, as fn(kind, position) appends them.
    auto list = [&](const char* pszKey, bool bSideB, uint8_t nMark, auto fn) {
        strOut += " \"";
        strOut += pszKey;
        strOut += "\": [";
        const char* pszSeparator = "\n  ";
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            ForMarked(diff, bSideB, nMark, k, [&](int32_t nPos) {
                strOut += pszSeparator;
                fn(k, nPos);
                pszSeparator = ",\n  ";
                out.Spill();
            });
        }
        strOut += *pszSeparator == ',' ? "\n ],\n" : "],\n";
    };
    list("onlyInA", false, DIFF_ONLY, [&](NodeType k, int32_t i) { a.AppendJson(strOut, k, i); });
    list("onlyInB", true, DIFF_ONLY, [&](NodeType k, int32_t j) { b.AppendJson(strOut, k, j); });
    list("changed", false, DIFF_CHANGED, [&](NodeType k, int32_t i) {
        const int32_t j = diff.match.Of(k).refOf[static_cast<size_t>(i)];
        const uint32_t nWhat = diff.Of(k).whatA[static_cast<size_t>(i)];
        const CFieldTable fields = DiffFields(k);
        strOut += "{\"a\": ";
        a.AppendJson(strOut, k, i);
        strOut += ", \"b\": ";
        b.AppendJson(strOut, k, j);
        strOut += ", \"fields\": [";
        const char* pszSeparator = "";
        auto field = [&](const char* pszField) {
            strOut += pszSeparator;
            strOut += "{\"field\": ";
            AppendJsonString(strOut, pszField);
            pszSeparator = ", ";
        };
        if (nWhat & DIFF_WHAT_NAME) {
            field(NameLabel(k));
            strOut += ", \"a\": ";
            AppendJsonString(strOut, a.Name(k, i));
            strOut += ", \"b\": ";
            AppendJsonString(strOut, b.Name(k, j));
            strOut += '}';
        }
        for (size_t f = 0; f < fields.nCount; ++f) {
            if (!(nWhat & (1u << f)))
                continue;
            field(fields.pFields[f]->pszName);
            strOut += ", \"a\": ";
            AppendNumber(strOut, GetFieldValue(a.Node(k, i), *fields.pFields[f]));
            strOut += ", \"b\": ";
            AppendNumber(strOut, GetFieldValue(b.Node(k, j), *fields.pFields[f]));
            strOut += '}';
        }
        if (nWhat & DIFF_WHAT_PARENT) {
            field(k == NODE_TP ? "satellite" : "transponder");
            strOut += ", \"a\": ";
            a.AppendParentJson(strOut, k, i);
            strOut += ", \"b\": ";
            b.AppendParentJson(strOut, k, j);
            strOut += '}';
        }
        strOut += "]}";
    });
    list("moved", false, DIFF_MOVED, [&](NodeType k, int32_t i) {
        strOut += "{\"a\": ";
        a.AppendJson(strOut, k, i);
        strOut += ", \"b\": ";
        b.AppendJson(strOut, k, diff.match.Of(k).refOf[static_cast<size_t>(i)]);
        strOut += '}';
    });
    strOut += " \"counts\": {\"onlyInA\": ";
    AppendNumber(strOut, diff.nOnlyA);
    strOut += ", \"onlyInB\": ";
    AppendNumber(strOut, diff.nOnlyB);
    strOut += ", \"changed\": ";
    AppendNumber(strOut, diff.nChanged);
    strOut += ", \"moved\": ";
    AppendNumber(strOut, diff.nMoved);
    strOut += "}\n}";
    out.EndLine();
}
