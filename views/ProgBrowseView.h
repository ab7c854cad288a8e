#pragma once

#include <QTreeWidget>

#include <cstdint>

class CProgDb;

// The tree pane: "All Prog", "Favourites" with a node per favourite group in use ("Group 3 (12)"),
// and "Sat" with every satellite and, under each, its transponders. Programs are never in the tree.
// Selecting a node asks for its records with RecordsRequested (FavouritesRequested for the
// favourites); the node's picture alone (all programs, favourites, transponder, satellite) decides
// which records.
class CProgBrowseView : public QTreeWidget
{
    Q_OBJECT

public:
    // Picture indexes; they also tell a node's kind.
    enum Image
    {
        IMAGE_SAT = 0,
        IMAGE_TP = 1,
        IMAGE_ALL_PROG = 2,
        IMAGE_FAVOURITES = 3, // "Favourites" (ROLE_ID 0) and its groups (ROLE_ID the group)
    };
    // Item data roles: the record id (INVALID_ID for "All Prog" and "Sat"), the picture index and,
    // for satellites, the stored name bytes (decoded again when the code page changes).
    static constexpr int ROLE_ID = Qt::UserRole;
    static constexpr int ROLE_IMAGE = Qt::UserRole + 1;
    static constexpr int ROLE_NAME_BYTES = Qt::UserRole + 2;

    explicit CProgBrowseView(QWidget* pParent = nullptr);

    // Remembers the database (not owned; may be null) and rebuilds the tree from it: collapsed,
    // nothing selected. A null database leaves the tree empty.
    void ShowDb(CProgDb* pDb);
    // Rebuilds the tree from the remembered database, after records were removed or moved. The
    // nodes that were expanded stay expanded, and the current node stays current, when they are
    // still there. Emits no RecordsRequested.
    void RefreshTree();
    // Decodes the satellite names again after the code page changed.
    void RefreshNames();

    // The favourite groups count their programs again, after programs changed; the rest of the tree
    // stays as it is.
    void RefreshFavourites();

    QTreeWidgetItem* GetAllProgItem() const;
    QTreeWidgetItem* GetFavouritesItem() const;
    QTreeWidgetItem* GetSatGroupItem() const;
    // The node of favourite group nGroup (0: "Favourites" itself); null when the group has no programs.
    QTreeWidgetItem* FindFavouritesNode(uint32_t nGroup) const;
    // The node that lists the records of nKind under nParentId (NodeType; INVALID_ID for all of
    // the kind): "All Prog", a transponder, "Sat" or a satellite. Null when the tree has none.
    QTreeWidgetItem* FindNode(int32_t nKind, int32_t nParentId) const;
    // Makes that node current, its parents expanded, which asks for its records as a selection by
    // the user does. False, changing nothing, when the tree has no such node.
    bool SelectNode(int32_t nKind, int32_t nParentId);

signals:
    // The user selected a node, or selected the current node again (a click on it, Enter): list
    // the records of nKind (NodeType) under nParentId, INVALID_ID for all of that kind. "All
    // Prog" asks for all programs, a transponder for its programs, "Sat" for all satellites and a
    // satellite for its transponders.
    void RecordsRequested(int32_t nKind, int32_t nParentId);
    // The user selected "Favourites" (nGroup 0: the programs of every group) or a group's node.
    void FavouritesRequested(uint32_t nGroup);

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void OnCurrentItemChanged(QTreeWidgetItem* pCurrent);
    // A name for a node that survives a rebuild: its kind, id and place among nodes of the same id.
    QString NodeKey(const QTreeWidgetItem* pItem) const;

    // Fills "Favourites" with a node per group in use, counting its programs.
    void FillFavourites(QTreeWidgetItem* pFavourites) const;
    QTreeWidgetItem* TopItem(int nImage) const;

    CProgDb* m_pDb = nullptr;
    QIcon m_icons[4];
};
