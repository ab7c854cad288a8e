#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class QAbstractItemModel;

// One condition of a filter: the cell in column nColumn must read exactly strValue.
struct FilterItem
{
    int32_t nColumn;
    QString strValue;
};

// Tests the rows of the list pane against a set of conditions. It works on the texts the list
// shows (the model's display role), so a "LocalFre1" condition compares with the frequency shown
// (9750), not with the stored table index. Made for one Filter command; the model is not owned.
class CListFilter
{
public:
    explicit CListFilter(const QAbstractItemModel& model) : m_model(model) {}

    // The columns of the list and their headings, read from the model's header.
    int GetColumnCount() const;
    QString GetColumnName(int nColumn) const;

    void ClearItems() { m_items.clear(); }
    // Appends one condition. The value is compared as given; the dialog trims it before.
    void AddItem(int32_t nColumn, const QString& strValue) { m_items.push_back({nColumn, strValue}); }
    const std::vector<FilterItem>& GetItems() const { return m_items; }

    // The first row after nAfter (from row 0 when nAfter is negative) whose cells equal every
    // condition's value, or -1 when no later row does. Equal means the same characters: case
    // counts, nothing is trimmed and numbers are not interpreted ("0130" is not "130"). A
    // condition on a column the list does not have never holds. With no conditions every row
    // matches.
    int FindNextMatch(int nAfter) const;

private:
    bool RowMatches(int nRow) const;

    const QAbstractItemModel& m_model;
    std::vector<FilterItem> m_items;
};
