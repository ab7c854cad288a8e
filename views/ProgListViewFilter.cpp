#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "views/FilterDlg.h"
#include "views/ListDragger.h"
#include "views/ListFilter.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLocale>

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
    // The conditions are tested on every row of the list before Find narrows it, in the pane's
    // order: a filter set while Find narrows still holds when the Find text goes.
    CProgListModel rows;
    rows.SetDb(m_pModel->GetDb());
    rows.SetColumns(m_pModel->GetColumns());
    rows.SetKind(nKind);
    rows.SetRows(m_listing.GetUnnarrowed());
    CListFilter filter(rows);
    CFilterDlg dlg(&filter, m_pSink, this);
    dlg.SetTitle(nKind == NODE_PROG ? QStringLiteral("Prog Filter")
                 : nKind == NODE_TP ? QStringLiteral("Tp Filter")
                                    : QStringLiteral("Sat Filter"));
    const int nResult = m_fnRunFilterDlg ? m_fnRunFilterDlg(dlg) : dlg.DoModal();
    if (nResult != QDialog::Accepted)
        return;

    // The survivors are listed again from the database, in one go; a record that is no longer
    // there gets no row.
    std::vector<int32_t> ids;
    for (int nRow = filter.FindNextMatch(-1); nRow >= 0; nRow = filter.FindNextMatch(nRow))
        ids.push_back(rows.GetId(nRow));
    m_listing.SetFilter(std::move(ids));
    const int nMatches = GetFindMatchCount();
    m_pDragger->ResetPress();
    ShowRows(nullptr, CIdRuns());
    if (!m_listing.GetFindText().empty() && GetFindMatchCount() != nMatches)
        emit FindChanged();
    emit FilterChanged(); // in force, or a further filter: fewer rows
}

void CProgListView::ClearFilter()
{
    if (!m_listing.IsFiltered())
        return;
    const CIdRuns selected(GetSelectedIds());
    m_listing.EndFilter();
    const int nMatches = GetFindMatchCount();
    ShowRows(nullptr, selected);
    emit FilterChanged();
    if (!m_listing.GetFindText().empty() && GetFindMatchCount() != nMatches)
        emit FindChanged();
}

QString CProgListView::GetFilterStatus() const
{
    if (!m_listing.IsFiltered())
        return QString();
    // The records the listing showed before any filter: those of the kind under its parent.
    const int nTotal = GetListingCount();
    const QLocale numbers(QLocale::English, QLocale::UnitedStates);
    // The rows the filter left, before Find narrows them.
    return QStringLiteral("Filter: %1 of %2 %3")
        .arg(numbers.toString(GetUnnarrowedCount()), numbers.toString(nTotal),
             QString::fromLatin1(KindNoun(GetKind(), nTotal)));
}
