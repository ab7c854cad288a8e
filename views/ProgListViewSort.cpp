#include "views/ProgListView.h"

#include "views/ListFinder.h"
#include "views/ListSorter.h"

// Sorting, the keyboard's moves and Find: the pane's part is to forward to CListSorter and
// CListFinder, which keep the heading, the rows and the selection in step with the listing.

QString CProgListView::SortedViewMessage()
{
    return QStringLiteral("Sorted view: use Apply Sort Order or click the heading again to reorder by hand");
}

void CProgListView::SortByColumn(int nColumn, bool bDescending)
{
    m_pSorter->SortByColumn(nColumn, bDescending);
}

bool CProgListView::ApplySortOrder()
{
    return m_pSorter->ApplySortOrder();
}

bool CProgListView::MoveSelected(RowMove nMove)
{
    return m_pSorter->MoveSelected(nMove);
}

void CProgListView::SetFindText(const QString& strText)
{
    m_pFinder->SetFindText(strText);
}

bool CProgListView::ArmFind()
{
    return m_pFinder->ArmFind();
}

bool CProgListView::FindNext(bool bBackward)
{
    return m_pFinder->FindNext(bBackward);
}

QString CProgListView::GetFindStatus() const
{
    return m_pFinder->GetFindStatus();
}

void CProgListView::InvalidateFind()
{
    m_listing.InvalidateFind();
}
