#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "views/FilterDlg.h"
#include "views/ListFilter.h"
#include "views/ProgListModel.h"

#include <QAction>

// Filtering: the Filter command and its enabling.

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
}
