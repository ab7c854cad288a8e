#include "views/ListFilter.h"

#include <QAbstractItemModel>

int CListFilter::GetColumnCount() const
{
    return m_model.columnCount();
}

QString CListFilter::GetColumnName(int nColumn) const
{
    return m_model.headerData(nColumn, Qt::Horizontal, Qt::DisplayRole).toString();
}

bool CListFilter::RowMatches(int nRow) const
{
    const int nColumns = m_model.columnCount();
    for (const FilterItem& item : m_items) {
        if (item.nColumn < 0 || item.nColumn >= nColumns)
            return false;
        const QString strCell = m_model.data(m_model.index(nRow, item.nColumn), Qt::DisplayRole).toString();
        if (strCell.compare(item.strValue, Qt::CaseSensitive) != 0)
            return false;
    }
    return true;
}

int CListFilter::FindNextMatch(int nAfter) const
{
    const int nRows = m_model.rowCount();
    if (nAfter >= nRows)
        return -1;
    for (int nRow = nAfter < 0 ? 0 : nAfter + 1; nRow < nRows; ++nRow)
        if (RowMatches(nRow))
            return nRow;
    return -1;
}
