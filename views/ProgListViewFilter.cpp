#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "views/FilterDlg.h"
#include "views/ListFilter.h"
#include "views/ProgListModel.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLocale>

#include <unordered_set>

// Filtering: the Filter command and its enabling, the filter's state and its end.

void CProgListView::SetFilterAction(QAction* pAction)
{
    m_pFilterAction = pAction;
    if (m_pFilterAction)
        connect(m_pFilterAction, &QAction::triggered, this, &CProgListView::OnFilter);
    UpdateFilterAction();
}

void CProgListView::UpdateFilterAction()
{
    if (m_pFilterAction)
        m_pFilterAction->setEnabled(GetRowCount() > 1);
}

void CProgListView::OnFilter()
{
    if (GetRowCount() == 0)
        return;
    CancelDrag();
    const int32_t nKind = m_pModel->GetKind();
    CListFilter filter(*m_pModel);
    CFilterDlg dlg(&filter, m_pSink, this);
    dlg.SetTitle(nKind == NODE_PROG ? QStringLiteral("Prog Filter")
                 : nKind == NODE_TP ? QStringLiteral("Tp Filter")
                                    : QStringLiteral("Sat Filter"));
    const int nResult = m_fnRunFilterDlg ? m_fnRunFilterDlg(dlg) : dlg.DoModal();
    if (nResult != QDialog::Accepted)
        return;

    std::vector<int32_t> ids;
    for (int nRow = filter.FindNextMatch(-1); nRow >= 0; nRow = filter.FindNextMatch(nRow))
        ids.push_back(GetRowId(nRow));

    // The survivors are listed again from the database, in one go; a record that is no longer
    // there gets no row.
    const CNodeList* pList = GetCurrentList();
    std::vector<int32_t> rows;
    rows.reserve(ids.size());
    for (int32_t nId : ids)
        if (pList && pList->Find(nId))
            rows.push_back(nId);
    clearSelection();
    ResetPress();
    m_pModel->SetRows(std::move(rows));
    if (m_bFiltered)
        emit FilterChanged(); // a further filter: fewer rows
    else
        SetFiltered(true);
}

void CProgListView::SetFiltered(bool bFiltered)
{
    if (bFiltered == m_bFiltered)
        return;
    m_bFiltered = bFiltered;
    emit FilterChanged();
}

void CProgListView::ClearFilter()
{
    if (!m_bFiltered)
        return;
    std::unordered_set<int32_t> selectedIds;
    for (int nRow : GetSelectedRows())
        selectedIds.insert(GetRowId(nRow));
    ShowRecords(GetKind(), m_nParentId);
    if (selectedIds.empty())
        return;
    std::vector<bool> selected(static_cast<size_t>(GetRowCount()), false);
    int nFirst = -1;
    for (int nRow = 0; nRow < GetRowCount(); ++nRow) {
        if (selectedIds.count(GetRowId(nRow)) == 0)
            continue;
        selected[static_cast<size_t>(nRow)] = true;
        if (nFirst < 0)
            nFirst = nRow;
    }
    SetRowSelection(selected);
    SetCurrentRow(nFirst);
    if (nFirst >= 0)
        scrollTo(m_pModel->index(nFirst, 0));
}

QString CProgListView::GetFilterStatus() const
{
    if (!m_bFiltered)
        return QString();
    // The records the listing showed before any filter: those of the kind under its parent.
    int nTotal = 0;
    const int32_t nKind = GetKind();
    if (const CNodeList* pList = GetCurrentList())
        for (const CNode* pNode : *pList)
            if (nKind == NODE_SAT || m_nParentId == INVALID_ID || pNode->GetParentId() == m_nParentId)
                ++nTotal;
    const char* pszNoun = nKind == NODE_PROG ? (nTotal == 1 ? "program" : "programs")
                          : nKind == NODE_TP ? (nTotal == 1 ? "transponder" : "transponders")
                                             : (nTotal == 1 ? "satellite" : "satellites");
    const QLocale numbers(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("Filter: %1 of %2 %3")
        .arg(numbers.toString(GetRowCount()), numbers.toString(nTotal), QString::fromLatin1(pszNoun));
}
