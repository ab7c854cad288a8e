#include "views/ProgListView.h"

#include "db/Columns.h"
#include "db/ProgDb.h"
#include "edit/EditHistory.h"
#include "edit/SetValues.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

// Editing: commands through the edit history, undo and redo, the rows refreshed from the database
// afterwards, and the cells edited in place.

void CProgListView::SetEditHistory(CEditHistory* pHistory)
{
    if (pHistory) {
        m_pHistory = pHistory;
        m_pOwnHistory.reset();
        return;
    }
    if (!m_pOwnHistory)
        m_pOwnHistory = std::make_unique<CEditHistory>(m_pModel->GetDb());
    m_pHistory = m_pOwnHistory.get();
}

std::vector<int32_t> CProgListView::GetSelectedIds() const
{
    std::vector<int32_t> ids;
    for (int nRow : GetSelectedRows())
        ids.push_back(GetRowId(nRow));
    return ids;
}

int CProgListView::GetCurrentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

CViewCommand* CProgListView::PushCommand(std::unique_ptr<CEditCommand> pCommand)
{
    CProgDb* pDb = m_pModel->GetDb();
    if (!pCommand || !pDb || m_pHistory->GetDb() != pDb || m_bReadOnly)
        return nullptr;
    m_listing.InvalidateFind(); // the names Find keeps may change
    CViewCommand::Selection before{GetKind(), CIdRuns(GetSelectedIds())};
    auto pView = std::make_unique<CViewCommand>(std::move(pCommand), std::move(before));
    return static_cast<CViewCommand*>(m_pHistory->Push(std::move(pView)));
}

CEditCommand* CProgListView::RunCommand(std::unique_ptr<CEditCommand> pCommand)
{
    CViewCommand* pView = PushCommand(std::move(pCommand));
    if (!pView)
        return nullptr;
    const unsigned nTouched = pView->GetTouched();
    bool bRowsChanged;
    NodeType nAddedKind = NODE_PROG;
    const std::vector<int32_t>* pAdded = pView->GetCommand()->GetAddedIds(nAddedKind);
    if (pAdded && !pAdded->empty()) {
        const CIdRuns newIds(*pAdded);
        bRowsChanged = Refresh(nTouched, nAddedKind, &newIds);
    } else {
        bRowsChanged = Refresh(nTouched, GetKind(), nullptr);
    }
    pView->SetAfter({GetKind(), CIdRuns(GetSelectedIds())});
    AnnounceChange(nTouched, bRowsChanged);
    return pView;
}

bool CProgListView::Undo()
{
    if (m_pHistory->GetDb() != m_pModel->GetDb())
        return false;
    CancelDrag();
    m_listing.InvalidateFind();
    const CEditCommand* pCommand = m_pHistory->Undo();
    if (!pCommand)
        return false;
    const auto* pView = dynamic_cast<const CViewCommand*>(pCommand);
    const bool bRowsChanged =
        pView ? Refresh(pCommand->GetTouched(), pView->GetBefore().nKind, &pView->GetBefore().ids)
              : Refresh(pCommand->GetTouched(), GetKind(), nullptr);
    AnnounceChange(pCommand->GetTouched(), bRowsChanged);
    return true;
}

bool CProgListView::Redo()
{
    if (m_pHistory->GetDb() != m_pModel->GetDb())
        return false;
    CancelDrag();
    m_listing.InvalidateFind();
    const CEditCommand* pCommand = m_pHistory->Redo();
    if (!pCommand)
        return false;
    const auto* pView = dynamic_cast<const CViewCommand*>(pCommand);
    const bool bRowsChanged =
        pView ? Refresh(pCommand->GetTouched(), pView->GetAfter().nKind, &pView->GetAfter().ids)
              : Refresh(pCommand->GetTouched(), GetKind(), nullptr);
    AnnounceChange(pCommand->GetTouched(), bRowsChanged);
    return true;
}

bool CProgListView::Refresh(unsigned nTouched, int32_t nSelectKind, const CIdRuns* pSelect)
{
    if (m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE)
        return false; // nothing listed, nothing to refresh
    const int32_t nKind = GetKind();
    const bool bSelectGiven = pSelect && nSelectKind == nKind;
    const bool bRows = (nTouched & TouchRows(nKind)) != 0;
    const bool bValues = (nTouched & TouchValues(nKind)) != 0;
    // Changed values may put a sorted row elsewhere, or make a row match Find or not.
    if (!bRows && !(bValues && (IsSorted() || IsFindNarrowing()))) {
        if (bValues)
            m_pModel->RefreshTexts();
        if (bSelectGiven)
            SelectIds(*pSelect);
        return false;
    }

    // The records of the listing, from the database in its order, in one go. A filtered list keeps
    // only its rows that are still there, and the records about to be selected; so does Find.
    const CIdRuns kept = bSelectGiven ? *pSelect : CIdRuns(GetSelectedIds());
    const int nMatches = GetFindMatchCount();
    ShowRows(&kept, kept);
    if (bValues)
        m_pModel->RefreshTexts(); // rows that stayed in place show new values too
    if (GetFindMatchCount() != nMatches)
        emit FindChanged();
    return true;
}

void CProgListView::SelectRecords(const std::vector<int32_t>& ids)
{
    SelectIds(CIdRuns(ids));
}

void CProgListView::SelectIds(const CIdRuns& ids)
{
    const std::vector<int32_t>& rows = m_pModel->GetIds();
    std::vector<bool> selected(rows.size(), false);
    int nFirst = -1;
    if (!ids.IsEmpty()) {
        for (size_t r = 0; r < rows.size(); ++r) {
            if (!ids.Has(rows[r]))
                continue;
            selected[r] = true;
            if (nFirst < 0)
                nFirst = static_cast<int>(r);
        }
    }
    SetRowSelection(selected);
    if (nFirst < 0 && ids.IsEmpty())
        return; // nothing was selected: the current row stays where it was
    SetCurrentRow(nFirst);
    if (nFirst >= 0)
        scrollTo(m_pModel->index(nFirst, std::max(currentIndex().column(), 0)));
}

void CProgListView::AnnounceChange(unsigned nTouched, bool bRowsChanged)
{
    // The tree shows satellites (by name) and transponders (by frequency and symbol rate).
    if (nTouched & (TOUCH_SAT_ROWS | TOUCH_TP_ROWS | TOUCH_SAT_VALUES | TOUCH_TP_VALUES))
        emit TreeRecordsChanged();
    if (bRowsChanged && IsFiltered())
        emit FilterChanged();
    emit DbModified();
}

bool CProgListView::IsCellEditable(int nRow, int nColumn) const
{
    return !m_bReadOnly && m_pModel->IsEditable(nRow, nColumn);
}

void CProgListView::EditCell(int nRow, int nColumn)
{
    if (!IsCellEditable(nRow, nColumn))
        return;
    const QModelIndex index = m_pModel->index(nRow, nColumn);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
    edit(index);
}

void CProgListView::CommitEditing()
{
    if (!IsEditing())
        return;
    if (QWidget* pEditor = indexWidget(currentIndex())) {
        commitData(pEditor);
        closeEditor(pEditor, QAbstractItemDelegate::NoHint);
    }
}

int CProgListView::GetNameColumn() const
{
    const int32_t nKind = GetKind();
    return FindColumn(nKind, nKind == NODE_SAT ? "Name" : nKind == NODE_TP ? "Frequency" : "ProgName");
}

void CProgListView::OnCommitCell(const QModelIndex& index, const QString& strText)
{
    SetCellText(index.row(), index.column(), strText);
}

bool CProgListView::SetCellText(int nRow, int nColumn, const QString& strText)
{
    if (nRow < 0 || nRow >= GetRowCount() || m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE)
        return false;
    const int32_t nKind = GetKind();
    CCellValue value;
    std::string strError;
    if (!ParseCellText(nKind, nColumn, strText.toStdString(), value, strError)) {
        emit StatusMessage(QString::fromStdString(strError));
        return false;
    }
    RunCommand(MakeSetColumnCommand(static_cast<NodeType>(nKind), nColumn, {GetRowId(nRow)}, value));
    return true;
}

bool CProgListView::SetColumnOfSelected(int nColumn, const QString& strText, QString& strError)
{
    const int32_t nKind = GetKind();
    CCellValue value;
    std::string strWhy;
    if (!ParseCellText(nKind, nColumn, strText.toStdString(), value, strWhy)) {
        strError = QString::fromStdString(strWhy);
        return false;
    }
    std::vector<int32_t> ids = GetSelectedIds();
    if (!ids.empty())
        RunCommand(MakeSetColumnCommand(static_cast<NodeType>(nKind), nColumn, std::move(ids), value));
    return true;
}
