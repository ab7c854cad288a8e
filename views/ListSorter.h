#pragma once

#include "db/RowReorder.h"

#include <QObject>
#include <QString>

class CListing;
class CProgListView;

// Sorting the list pane by a column, Apply Sort Order, and the keyboard's moves of the selected rows
// (which a sorted view refuses). The sort itself is the listing's; this class keeps the heading's
// sort indicator in step with it and runs the reordering commands through the pane.
class CListSorter : public QObject
{
public:
    CListSorter(CProgListView& view, CListing& listing);

    // See the pane's functions of the same names.
    void SortByColumn(int nColumn, bool bDescending);
    bool ApplySortOrder();
    bool MoveSelected(RowMove nMove);
    // The heading shows the listing's sort.
    void ShowSortIndicator();

private:
    void OnSortIndicatorChanged(int nSection, Qt::SortOrder nOrder);

    CProgListView& m_view;
    CListing& m_listing;
};
