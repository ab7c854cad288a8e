#include "cli/CliCompare.h"

#include "db/ListDiff.h"
#include "db/ListMatch.h"
#include "db/OrderLike.h"
#include "db/ParentPositions.h"
#include "db/ProgDb.h"
#include "edit/OrderLikeCommand.h"
#include "formats/Formats.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace {

const char* const KIND_NAMES[3] = {"satellite", "transponder", "program"};

// A name as a diff line shows it: decoded from the code page, in double quotes, with quotes,
// backslashes and control characters escaped so that every line stays one line.
std::string Quoted(const std::string& strUtf8)
{
    std::string strText = "\"";
    for (char c : strUtf8) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            strText += '\\';
            strText += c;
        } else if (b < 0x20 || b == 0x7F) {
            char szHex[8];
            std::snprintf(szHex, sizeof szHex, "\\x%02X", b);
            strText += szHex;
        } else {
            strText += c;
        }
    }
    return strText + "\"";
}

// The records of one database as the diff names them: kind, name and place.
class CRecordNames
{
public:
    CRecordNames(const CProgDb& db, uint32_t nCodePage) : m_decoder(nCodePage)
    {
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            m_nodes[k].assign(db.GetList(k).begin(), db.GetList(k).end());
            m_parents[k] = ParentPositions(db, k);
        }
    }

    const CNode& Node(NodeType nKind, int32_t nPos) const
    {
        return *m_nodes[nKind][static_cast<size_t>(nPos)];
    }

    // The name of a satellite or program decoded to UTF-8.
    std::string Name(NodeType nKind, int32_t nPos) { return m_decoder.ToUtf8(GetName(Node(nKind, nPos))); }

    // "11000 H 27500 of "Astra"": a transponder by its frequency, polarisation, symbol rate and
    // satellite.
    std::string TpPlace(int32_t nTp)
    {
        const TpRecord& r = *static_cast<const CTpNode&>(Node(NODE_TP, nTp)).GetRecord();
        const int32_t nSat = m_parents[NODE_TP][static_cast<size_t>(nTp)];
        return std::to_string(r.Get(TpField::Frequency)) + " " + PolarName(r.Get(TpField::Polar)) + " " +
               std::to_string(r.Get(TpField::SymbolRate)) + " of " +
               (nSat < 0 ? std::string("no satellite") : Quoted(Name(NODE_SAT, nSat)));
    }

    // Where a record hangs: a transponder's satellite, a program's transponder.
    std::string Parent(NodeType nKind, int32_t nPos)
    {
        const int32_t nParent = m_parents[nKind][static_cast<size_t>(nPos)];
        if (nKind == NODE_TP)
            return nParent < 0 ? "no satellite" : Quoted(Name(NODE_SAT, nParent));
        return nParent < 0 ? "no transponder" : TpPlace(nParent);
    }

    // "program "ARD" on 11000 H 27500 of "Astra"", "transponder 11000 H 27500 of "Astra"",
    // "satellite "Astra"".
    std::string Describe(NodeType nKind, int32_t nPos)
    {
        if (nKind == NODE_SAT)
            return "satellite " + Quoted(Name(nKind, nPos));
        if (nKind == NODE_TP)
            return "transponder " + TpPlace(nPos);
        return "program " + Quoted(Name(nKind, nPos)) + " on " + Parent(nKind, nPos);
    }

    // Where a record stands in its list: "after "RTL"" (a transponder: "after 11000 H 27500 of
    // "Astra""), or "first".
    std::string After(NodeType nKind, int32_t nPos)
    {
        if (nPos == 0)
            return "first";
        return "after " + (nKind == NODE_TP ? TpPlace(nPos - 1) : Quoted(Name(nKind, nPos - 1)));
    }

    nlohmann::ordered_json Json(NodeType nKind, int32_t nPos)
    {
        nlohmann::ordered_json record;
        record["kind"] = KIND_NAMES[nKind];
        record["index"] = nPos;
        record["id"] = Node(nKind, nPos).GetId();
        if (nKind != NODE_TP)
            record["name"] = Name(nKind, nPos);
        const int32_t nTp = nKind == NODE_TP     ? nPos
                            : nKind == NODE_PROG ? m_parents[nKind][static_cast<size_t>(nPos)]
                                                 : -1;
        if (nKind == NODE_PROG)
            record["transponder"] = nTp < 0 ? nlohmann::ordered_json() : TpJson(nTp);
        if (nKind == NODE_TP)
            record.update(TpJson(nTp));
        if (nKind != NODE_SAT) {
            const int32_t nSat = nTp < 0 ? -1 : m_parents[NODE_TP][static_cast<size_t>(nTp)];
            record["satellite"] =
                nSat < 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(Name(NODE_SAT, nSat));
        }
        return record;
    }

private:
    static std::string GetName(const CNode& node)
    {
        if (node.GetType() == NODE_SAT)
            return static_cast<const CSatNode&>(node).GetRecord()->GetName();
        return static_cast<const CProgNode&>(node).GetRecord()->GetName();
    }

    nlohmann::ordered_json TpJson(int32_t nTp) const
    {
        const TpRecord& r = *static_cast<const CTpNode&>(Node(NODE_TP, nTp)).GetRecord();
        nlohmann::ordered_json tp;
        tp["frequency"] = r.Get(TpField::Frequency);
        tp["polar"] = PolarName(r.Get(TpField::Polar));
        tp["symbolRate"] = r.Get(TpField::SymbolRate);
        return tp;
    }

    CodePage::CUtf8Decoder m_decoder;
    std::vector<const CNode*> m_nodes[3];
    std::vector<int32_t> m_parents[3];
};

const char* NameLabel(NodeType nKind)
{
    return nKind == NODE_SAT ? "Name" : "ProgName";
}

// The text of the differences: per kind the records only in A, only in B, changed, moved.
std::string DiffText(const CListDiff& diff, CRecordNames& a, CRecordNames& b)
{
    std::string strOut;
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CKindDiff& d = diff.Of(k);
        const CKindMatch& m = diff.match.Of(k);
        const CFieldTable fields = DiffFields(k);
        for (size_t i = 0; i < d.markA.size(); ++i)
            if (d.markA[i] & DIFF_ONLY)
                strOut += "- " + a.Describe(k, static_cast<int32_t>(i)) + "\n";
        for (size_t j = 0; j < d.markB.size(); ++j)
            if (d.markB[j] & DIFF_ONLY)
                strOut += "+ " + b.Describe(k, static_cast<int32_t>(j)) + "\n";
        for (size_t i = 0; i < d.markA.size(); ++i) {
            if (!(d.markA[i] & DIFF_CHANGED))
                continue;
            const auto nA = static_cast<int32_t>(i);
            const int32_t nB = m.refOf[i];
            const uint32_t nWhat = d.whatA[i];
            std::string strFields;
            auto add = [&strFields](const std::string& strField) {
                strFields += (strFields.empty() ? "" : ", ") + strField;
            };
            if (nWhat & DIFF_WHAT_NAME)
                add(std::string(NameLabel(k)) + " " + Quoted(a.Name(k, nA)) + " -> " + Quoted(b.Name(k, nB)));
            for (size_t f = 0; f < fields.nCount; ++f)
                if (nWhat & (1u << f))
                    add(std::string(fields.pFields[f]->pszName) + " " +
                        std::to_string(GetFieldValue(a.Node(k, nA), *fields.pFields[f])) + " -> " +
                        std::to_string(GetFieldValue(b.Node(k, nB), *fields.pFields[f])));
            if (nWhat & DIFF_WHAT_PARENT)
                add(std::string(k == NODE_TP ? "satellite " : "transponder ") + a.Parent(k, nA) + " -> " +
                    b.Parent(k, nB));
            strOut += "~ " + a.Describe(k, nA) + ": " + strFields + "\n";
        }
        for (size_t i = 0; i < d.markA.size(); ++i)
            if (d.markA[i] & DIFF_MOVED)
                strOut +=
                    "> " + a.Describe(k, static_cast<int32_t>(i)) + ": now " + b.After(k, m.refOf[i]) + "\n";
    }
    strOut += std::to_string(diff.nOnlyA) + " only in A, " + std::to_string(diff.nOnlyB) + " only in B, " +
              std::to_string(diff.nChanged) + " changed, " + std::to_string(diff.nMoved) + " moved\n";
    return strOut;
}

// The same differences as one JSON document.
std::string DiffJson(const CListDiff& diff, CRecordNames& a, CRecordNames& b)
{
    using Json = nlohmann::ordered_json;
    Json onlyA = Json::array(), onlyB = Json::array(), changed = Json::array(), moved = Json::array();
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CKindDiff& d = diff.Of(k);
        const CKindMatch& m = diff.match.Of(k);
        const CFieldTable fields = DiffFields(k);
        for (size_t i = 0; i < d.markA.size(); ++i)
            if (d.markA[i] & DIFF_ONLY)
                onlyA.push_back(a.Json(k, static_cast<int32_t>(i)));
        for (size_t j = 0; j < d.markB.size(); ++j)
            if (d.markB[j] & DIFF_ONLY)
                onlyB.push_back(b.Json(k, static_cast<int32_t>(j)));
        for (size_t i = 0; i < d.markA.size(); ++i) {
            const auto nA = static_cast<int32_t>(i);
            const int32_t nB = m.refOf[i];
            if (d.markA[i] & DIFF_MOVED)
                moved.push_back(Json{{"a", a.Json(k, nA)}, {"b", b.Json(k, nB)}});
            if (!(d.markA[i] & DIFF_CHANGED))
                continue;
            const uint32_t nWhat = d.whatA[i];
            Json list = Json::array();
            if (nWhat & DIFF_WHAT_NAME)
                list.push_back(Json{{"field", NameLabel(k)}, {"a", a.Name(k, nA)}, {"b", b.Name(k, nB)}});
            for (size_t f = 0; f < fields.nCount; ++f)
                if (nWhat & (1u << f))
                    list.push_back(Json{{"field", fields.pFields[f]->pszName},
                                        {"a", GetFieldValue(a.Node(k, nA), *fields.pFields[f])},
                                        {"b", GetFieldValue(b.Node(k, nB), *fields.pFields[f])}});
            if (nWhat & DIFF_WHAT_PARENT) {
                const Json recordA = a.Json(k, nA), recordB = b.Json(k, nB);
                const char* pszParent = k == NODE_TP ? "satellite" : "transponder";
                list.push_back(
                    Json{{"field", pszParent}, {"a", recordA[pszParent]}, {"b", recordB[pszParent]}});
            }
            changed.push_back(Json{{"a", a.Json(k, nA)}, {"b", b.Json(k, nB)}, {"fields", list}});
        }
    }
    Json doc;
    doc["onlyInA"] = std::move(onlyA);
    doc["onlyInB"] = std::move(onlyB);
    doc["changed"] = std::move(changed);
    doc["moved"] = std::move(moved);
    doc["counts"] = Json{{"onlyInA", diff.nOnlyA},
                         {"onlyInB", diff.nOnlyB},
                         {"changed", diff.nChanged},
                         {"moved", diff.nMoved}};
    return doc.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}

void Print(const std::string& strText)
{
    std::fwrite(strText.data(), 1, strText.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int RunDiff(const Args& args, CliContext& ctx)
{
    if (args.positional.size() != 2)
        return UsageError("diff takes A and B");
    CProgDb a, b;
    int nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, a);
    if (nExit == EXIT_OK)
        nExit = Load(args, INPUT_REF, args.positional[1], ctx, b);
    if (nExit != EXIT_OK)
        return nExit;
    const CListDiff diff = DiffLists(a, b);
    const uint32_t nCodePage = CodePage::GetAnsiCodePage();
    CRecordNames namesA(a, nCodePage), namesB(b, nCodePage);
    Print(args.Has("--json") ? DiffJson(diff, namesA, namesB) : DiffText(diff, namesA, namesB));
    return diff.IsSame() ? EXIT_OK : EXIT_PROBLEMS;
}

int RunReorder(const Args& args, CliContext& ctx)
{
    if (args.positional.size() != 3)
        return UsageError("reorder takes INPUT, REFERENCE and OUTPUT");
    int nExit = EXIT_OK;
    const FileFormat* pOut = ResolveFormat(args, "--to", args.positional[2], false, nExit);
    if (!pOut)
        return nExit;
    CProgDb db, ref;
    nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, db);
    if (nExit == EXIT_OK)
        nExit = Load(args, INPUT_REF, args.positional[1], ctx, ref);
    if (nExit != EXIT_OK)
        return nExit;
    COrderOptions options;
    options.bNames = args.Has("--names");
    options.bFlags = args.Has("--flags");
    options.bAddMissing = args.Has("--add-missing");
    const CListMatch match = MatchLists(db, ref);
    std::unique_ptr<COrderLikeCommand> pCommand = COrderLikeCommand::Make(db, ref, options, &match);
    pCommand->Apply(db); // false only when the order is already the reference's: nothing changes
    if ((nExit = Save(args, pOut, args.positional[2], db)) != EXIT_OK)
        return nExit;
    std::string strLines;
    for (const std::string& strLine : OrderSummaryLines(pCommand->GetPlan(), match, options))
        strLines += strLine + "\n";
    Print(strLines);
    return EXIT_OK;
}
