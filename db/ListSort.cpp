#include "db/ListSort.h"

#include "db/Columns.h"
#include "db/ProgDb.h"
#include "platform/CaseFold.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <numeric>

CNameCollation::~CNameCollation() = default;

void CFoldedCollation::Prepare(const std::vector<std::string>& names)
{
    m_keys.clear();
    m_keys.reserve(names.size());
    for (const std::string& strName : names)
        m_keys.push_back(CodePage::FoldCaseUtf8(strName));
}

int CFoldedCollation::Compare(size_t nLeft, size_t nRight) const
{
    return m_keys[nLeft].compare(m_keys[nRight]);
}

std::vector<int32_t> SortRows(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& rows,
                              int nColumn, bool bDescending, CNameCollation& collation)
{
    std::vector<int32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    const CColumn* pCol = GetColumn(nKind, nColumn);
    if (!pCol)
        return order;
    const CNodeList& list = db.GetList(nKind);

    // Rows without a record go to the end first, in their order; the others are sorted by keys read
    // once per row.
    std::vector<const CNode*> nodes(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        nodes[i] = list.Find(rows[i]);
    const auto itMissing = std::stable_partition(order.begin(), order.end(),
                                                 [&nodes](int32_t nRow) { return nodes[nRow] != nullptr; });

    if (pCol->nSource == CColumn::SRC_NAME) {
        // One name per row, the rows without a record left empty.
        std::vector<std::string> names(rows.size());
        CodePage::CUtf8Decoder decoder(CodePage::GetAnsiCodePage());
        for (auto it = order.begin(); it != itMissing; ++it)
            names[static_cast<size_t>(*it)] = decoder.ToUtf8(GetNodeName(*nodes[static_cast<size_t>(*it)]));
        collation.Prepare(names);
        std::stable_sort(order.begin(), itMissing, [&](int32_t nLeft, int32_t nRight) {
            const int nCmp = collation.Compare(static_cast<size_t>(nLeft), static_cast<size_t>(nRight));
            return bDescending ? nCmp > 0 : nCmp < 0;
        });
        return order;
    }

    std::vector<int64_t> keys(rows.size(), 0);
    for (auto it = order.begin(); it != itMissing; ++it)
        GetCellNumber(*nodes[static_cast<size_t>(*it)], nColumn, keys[static_cast<size_t>(*it)]);
    std::stable_sort(order.begin(), itMissing, [&](int32_t nLeft, int32_t nRight) {
        const int64_t a = keys[static_cast<size_t>(nLeft)], b = keys[static_cast<size_t>(nRight)];
        return bDescending ? a > b : a < b;
    });
    return order;
}
