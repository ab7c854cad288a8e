#pragma once

#include "db/Node.h"

#include <QTableView>

#include <cstdint>
#include <vector>

class CNodeList;
class CProgBrowseView;
class CProgDb;
class CProgListModel;
class QAction;

// The list pane: the records of one kind (all satellites, the transponders of one satellite, or
// the programs of one transponder or of the whole database) as a report list. Each row's value is
// its record's id. The Delete key removes the selected records together with their children.
class CProgListView : public QTableView
{
    Q_OBJECT

public:
    explicit CProgListView(QWidget* pParent = nullptr);
    ~CProgListView() override;

    // The tree pane to rebuild after satellites or transponders were removed (not owned).
    void SetBrowseView(CProgBrowseView* pTree) { m_pTreeView = pTree; }
    // The Filter command of the frame: this pane handles it and keeps it enabled exactly while
    // the list has more than one row.
    void SetFilterAction(QAction* pAction);

    // After a load: remembers the database (not owned) and empties the list, columns included.
    void ShowDb(CProgDb* pDb);
    // Lists the records of nKind (NodeType) under nParentId; INVALID_ID lists all of that kind.
    // Satellites are always listed in full.
    void ShowRecords(int32_t nKind, int32_t nParentId);
    // Removes every row and column.
    void ClearList();
    void InsertSatColumns();
    void InsertTpColumns();
    void InsertProgColumns();
    // Insert one row for the record at nRow; the rows from nRow on move down by one.
    void AddSatRow(int nRow, const CSatNode* pNode);
    void AddTpRow(int nRow, const CTpNode* pNode);
    void AddProgRow(int nRow, const CProgNode* pNode);
    // The database list of the kind now shown; null before the first load.
    CNodeList* GetCurrentList() const;

    // Removes the records of the selected rows (with their children) from the database and their
    // rows from the list, then reselects a row. Bound to the Delete key.
    void DeleteSelected();
    // The Filter command. The condition dialog is not part of the editor yet: with fewer than two
    // rows it does nothing, otherwise it leaves the list as it is.
    void OnFilter();

    int32_t GetKind() const { return m_nKind; }
    int GetRowCount() const;
    int32_t GetRowId(int nRow) const;
    // Selected rows in ascending order.
    std::vector<int> GetSelectedRows() const;
    void SelectRow(int nRow);
    CProgListModel* GetModel() const { return m_pModel; }
    // Redraws names after the code page changed.
    void RefreshNames();

signals:
    // Records were removed from the database (or moved) by this pane.
    void DbModified();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void RemoveChildren(int32_t nId);
    void UpdateFilterAction();

    CProgDb* m_pDb = nullptr;
    int32_t m_nKind = NODE_SAT;
    CProgListModel* m_pModel = nullptr;
    CProgBrowseView* m_pTreeView = nullptr;
    QAction* m_pFilterAction = nullptr;
};
