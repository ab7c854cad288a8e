#pragma once

#include "db/Node.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

class CCompareMarks;
class CNodeList;
class CProgDb;

// The rows of the list pane: one record id per row, plus the record kind whose columns are shown.
//
// A row keeps nothing but its record's id; every cell is read from the database when it is drawn,
// by looking the id up in the list of the shown kind (the first record with that id, the same
// record Delete, Filter and drag act on). That keeps 40,000 rows cheap to build and never lets a
// row show stale values.
class CProgListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Column sets; COLUMNS_NONE is the state after ClearList (neither columns nor rows).
    enum Columns
    {
        COLUMNS_NONE = -1,
        COLUMNS_SAT = NODE_SAT,
        COLUMNS_TP = NODE_TP,
        COLUMNS_PROG = NODE_PROG,
    };

    explicit CProgListModel(QObject* pParent = nullptr);

    // The database the rows are records of (not owned; may be null).
    void SetDb(CProgDb* pDb) { m_pDb = pDb; }
    CProgDb* GetDb() const { return m_pDb; }
    // The kind of record (NodeType) the rows were listed as. Delete, Filter and drag look rows up
    // in the list of this kind. Clear and SetColumns keep it: a list emptied by a load still has
    // the kind of its last listing.
    void SetKind(int32_t nKind) { m_nKind = nKind; }
    int32_t GetKind() const { return m_nKind; }
    // The database list of the kind: satellites for NODE_SAT, transponders for NODE_TP, programs
    // for any other kind; null without a database.
    CNodeList* GetCurrentList() const;

    // Removes every row and every column.
    void Clear();
    // Sets the column set of a kind; the rows are removed.
    void SetColumns(int nColumns);
    int GetColumns() const { return m_nColumns; }
    // Replaces all rows at once (columns stay).
    void SetRows(std::vector<int32_t> ids);
    // Inserts one row at nRow (clamped to 0..rowCount), moving the rows from there down by one.
    void InsertRow(int nRow, int32_t nId);
    void RemoveRowAt(int nRow);
    void RemoveAllRows();
    // Puts the rows into a new order given as the ids of all rows, in one layout change, so that a
    // reorder of tens of thousands of rows costs one pass; views keep their scroll position and
    // their current row follows its record. A different number of rows replaces them instead.
    void ReorderRows(std::vector<int32_t> ids);
    const std::vector<int32_t>& GetIds() const { return m_ids; }

    // The marks of a comparison of two lists (not owned; null: none): rows of records the other list
    // lacks and cells that differ get a background of their own and a tool tip.
    void SetMarks(const CCompareMarks* pMarks);
    const CCompareMarks* GetMarks() const { return m_pMarks; }
    // The text of the tool tip of a marked cell; empty for a cell without a mark.
    QString MarkToolTip(int nRow, int nColumn) const;

    // The row drawn as the drop target of a drag (-1: none). Any change of the rows clears it.
    void SetDropHilite(int nRow);
    int GetDropHilite() const { return m_nDropHilite; }
    int32_t GetId(int nRow) const { return m_ids[static_cast<size_t>(nRow)]; }
    int GetRowCount() const { return static_cast<int>(m_ids.size()); }

    // Text of a cell as the list shows it; empty when the record is not (or no longer) there. It is
    // also the text an editor of the cell starts with (Qt::EditRole).
    QString CellText(int nRow, int nColumn) const;
    // Whether the cell can be typed into: a column that is not read only (ids, parents and the
    // link fields are) of a row whose record is there. The model itself never changes a record:
    // the list pane runs an edit command with what was typed.
    bool IsEditable(int nRow, int nColumn) const;
    // Heading of a column of the current set.
    QString HeadingText(int nColumn) const;
    // Tells the views that every cell may read differently (the code page of names changed).
    void RefreshTexts();

    static int ColumnCount(int nColumns);
    static const char* Heading(int nColumns, int nColumn);
    // The text of one cell of a record of the given column set.
    static QString RecordCellText(int nColumns, const CNode* pNode, int nColumn);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const CNodeList* ShownList() const;
    void RowChanged(int nRow);

    CProgDb* m_pDb = nullptr;
    int32_t m_nKind = NODE_SAT;
    int m_nColumns = COLUMNS_NONE;
    std::vector<int32_t> m_ids;
    int m_nDropHilite = -1;
    const CCompareMarks* m_pMarks = nullptr;
};

// A record name (bytes in the ANSI code page) as text for the screen; the stored bytes never change.
QString DecodeName(const std::string& strBytes);
