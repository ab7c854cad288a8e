#include "db/ListFind.h"

#include "db/Columns.h"
#include "db/ProgDb.h"
#include "platform/CaseFold.h"
#include "platform/CodePage.h"

#include <string_view>

namespace {

// A transponder has no name: Find looks for its frequency and symbol rate ("11747 27500"), the
// numbers a user knows it by.
std::string SearchText(const CTpNode& tp)
{
    const TpRecord& r = *tp.GetRecord();
    return std::to_string(r.Get(TpField::Frequency)) + " " + std::to_string(r.Get(TpField::SymbolRate));
}

} // namespace

void CFindMatcher::Refresh(const CProgDb& db, NodeType nKind)
{
    const uint32_t nCodePage = CodePage::GetAnsiCodePage();
    if (m_bValid && m_pDb == &db && m_nKind == nKind && m_nCodePage == nCodePage)
        return;
    m_pDb = &db;
    m_nKind = nKind;
    m_nCodePage = nCodePage;
    m_strNames.clear();
    m_names.clear();
    m_nameOfId = CIdMap(0);
    m_bValid = true;
    const CNodeList& list = db.GetList(nKind);
    m_nameOfId = CIdMap(int64_t(list.GetLastId()) + 1);
    m_names.reserve(static_cast<size_t>(list.GetCount()));
    CodePage::CUtf8Decoder decoder(nCodePage);
    for (const CNode* pNode : list) {
        int32_t& nName = m_nameOfId.At(pNode->GetId());
        if (nName >= 0)
            continue; // a later record with the id: its rows show the first one
        nName = static_cast<int32_t>(m_names.size());
        const size_t nOffset = m_strNames.size();
        if (nKind == NODE_TP)
            m_strNames += SearchText(*static_cast<const CTpNode*>(pNode));
        else
            CodePage::AppendFoldedUtf8(decoder.ToUtf8(GetNodeName(*pNode)), m_strNames);
        m_names.push_back(
            SName{static_cast<uint32_t>(nOffset), static_cast<uint32_t>(m_strNames.size() - nOffset)});
    }
}

bool CFindMatcher::RowMatches(int32_t nId, const std::string& strFolded) const
{
    if (strFolded.empty())
        return true;
    const int32_t nName = m_nameOfId.Get(nId);
    if (nName < 0)
        return false;
    const SName& entry = m_names[static_cast<size_t>(nName)];
    const std::string_view name(m_strNames.data() + entry.nOffset, entry.nLength);
    return name.find(strFolded) != std::string_view::npos;
}

std::vector<int32_t> CFindMatcher::Match(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& rows,
                                         const std::string& strText)
{
    Refresh(db, nKind);
    const std::string strFolded = CodePage::FoldCaseUtf8(strText);
    std::vector<int32_t> matches;
    for (size_t i = 0; i < rows.size(); ++i)
        if (RowMatches(rows[i], strFolded))
            matches.push_back(static_cast<int32_t>(i));
    return matches;
}

int CFindMatcher::FindNext(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& rows,
                           const std::string& strText, int nFrom, bool bBackward)
{
    Refresh(db, nKind);
    const std::string strFolded = CodePage::FoldCaseUtf8(strText);
    const int nRows = static_cast<int>(rows.size());
    if (nRows == 0)
        return -1;
    if (nFrom < 0 || nFrom >= nRows)
        nFrom = bBackward ? nRows : -1;
    for (int nStep = 1; nStep <= nRows; ++nStep) {
        const int nRow = ((bBackward ? nFrom - nStep : nFrom + nStep) % nRows + nRows) % nRows;
        if (RowMatches(rows[static_cast<size_t>(nRow)], strFolded))
            return nRow;
    }
    return -1;
}
