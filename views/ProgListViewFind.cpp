#include "views/ProgListView.h"

#include "db/ListFind.h"
#include "db/ProgDb.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QItemSelectionModel>
#include <QLocale>

// Find: the rows narrowed to the names that contain a text, and the next and previous match in
// the unnarrowed rows.

namespace {

QString Number(int n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

} // namespace

bool CProgListView::IsFindNarrowing() const
{
    return !m_strFind.isEmpty() && !m_bFindArmed;
}

void CProgListView::InvalidateFind()
{
    m_pMatcher->Invalidate();
}

std::vector<int32_t> CProgListView::NarrowRows(const std::vector<int32_t>& rows, const CIdRuns* pKeep)
{
    const CProgDb* pDb = m_pModel->GetDb();
    if (m_strFind.isEmpty() || !pDb || m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE) {
        m_nFindMatches = 0;
        return rows;
    }
    const std::vector<int32_t> matches =
        m_pMatcher->Match(*pDb, static_cast<NodeType>(GetKind()), rows, m_strFind.toStdString());
    m_nFindMatches = static_cast<int>(matches.size());
    if (m_bFindArmed)
        return rows;
    const bool bKeep = pKeep && !pKeep->IsEmpty();
    std::vector<int32_t> narrowed;
    narrowed.reserve(bKeep ? rows.size() : matches.size());
    size_t nNext = 0; // in matches
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool bMatch = nNext < matches.size() && static_cast<size_t>(matches[nNext]) == i;
        if (bMatch)
            ++nNext;
        if (bMatch || (bKeep && pKeep->Has(rows[i])))
            narrowed.push_back(rows[i]);
    }
    return narrowed;
}

void CProgListView::SetFindText(const QString& strText)
{
    if (strText == m_strFind && !m_bFindArmed)
        return;
    m_strFind = strText;
    m_bFindArmed = false;
    if (m_pModel->GetColumns() != CProgListModel::COLUMNS_NONE) {
        // The selected records stay selected where they are still shown; a row is never kept only
        // because it was selected.
        const CIdRuns selected(GetSelectedIds());
        std::vector<int32_t> ids = NarrowRows(m_unnarrowed, nullptr);
        selectionModel()->clearSelection();
        m_pModel->ReorderRows(std::move(ids));
        SelectIds(selected);
    } else {
        m_nFindMatches = 0;
    }
    emit FindChanged();
}

bool CProgListView::ArmFind()
{
    if (m_strFind.isEmpty() || m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE)
        return false;
    if (!m_bFindArmed) {
        m_bFindArmed = true;
        const CIdRuns selected(GetSelectedIds());
        selectionModel()->clearSelection();
        m_pModel->ReorderRows(NarrowRows(m_unnarrowed, nullptr));
        SelectIds(selected);
        emit FindChanged();
    }
    // From the current row when it is a selected match (chosen in the narrowed rows), else the next.
    const int nCurrent = GetCurrentRow();
    const bool bChosen = nCurrent >= 0 && selectionModel()->isRowSelected(nCurrent, QModelIndex());
    return SelectMatch(bChosen ? nCurrent - 1 : nCurrent, false);
}

bool CProgListView::FindNext(bool bBackward)
{
    if (!m_bFindArmed)
        return false;
    return SelectMatch(GetCurrentRow(), bBackward);
}

bool CProgListView::SelectMatch(int nFrom, bool bBackward)
{
    const CProgDb* pDb = m_pModel->GetDb();
    if (!pDb)
        return false;
    const int nRow = m_pMatcher->FindNext(*pDb, static_cast<NodeType>(GetKind()), m_pModel->GetIds(),
                                          m_strFind.toStdString(), nFrom, bBackward);
    if (nRow < 0) {
        emit StatusMessage(QStringLiteral("Find: no row contains \"%1\"").arg(m_strFind));
        return false;
    }
    clearSelection();
    SelectRow(nRow);
    SetCurrentRow(nRow);
    // A match out of sight comes to the middle, with the rows around it.
    const QModelIndex index = m_pModel->index(nRow, std::max(currentIndex().column(), 0));
    const bool bInSight = viewport()->rect().contains(visualRect(index));
    scrollTo(index, bInSight ? EnsureVisible : PositionAtCenter);
    return true;
}

QString CProgListView::GetFindStatus() const
{
    if (m_strFind.isEmpty() || m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE)
        return QString();
    QString strStatus;
    if (m_bFiltered) {
        strStatus =
            QStringLiteral("Find: %1 of %2").arg(Number(m_nFindMatches), Number(GetUnnarrowedCount()));
    } else {
        const int nTotal = GetListingCount();
        strStatus = QStringLiteral("Find: %1 of %2 %3")
                        .arg(Number(m_nFindMatches), Number(nTotal),
                             QString::fromLatin1(KindNoun(GetKind(), nTotal)));
    }
    if (m_bFindArmed)
        strStatus += QStringLiteral(" (F3: next, Shift+F3: previous)");
    return strStatus;
}
