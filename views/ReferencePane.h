#pragma once

#include <QWidget>

class CDocument;
class CProgBrowseView;
class CProgListView;
class QLabel;
class QSplitter;

// The reference list beside the edited one (File > Open Reference List...): a heading naming the list,
// and a tree and a list pane of its own over a read-only document. It is browsed, sorted, filtered and
// searched like the edited list, but nothing in it changes: its rows are taken over into the edited
// list, by a command or by dragging them there (the list's RowsDropped).
class CReferencePane : public QWidget
{
    Q_OBJECT

public:
    explicit CReferencePane(QWidget* pParent = nullptr);
    ~CReferencePane() override;

    // Shows the document (not owned; null: none), its name in the heading, with the tree collapsed
    // and the list empty.
    void ShowDocument(CDocument* pDoc);
    CDocument* GetDocument() const { return m_pDoc; }
    CProgBrowseView* GetTreeView() const { return m_pTree; }
    CProgListView* GetListView() const { return m_pList; }
    QSplitter* GetSplitter() const { return m_pSplitter; }

private:
    CDocument* m_pDoc = nullptr;
    QLabel* m_pHeading = nullptr;
    QSplitter* m_pSplitter = nullptr;
    CProgBrowseView* m_pTree = nullptr;
    CProgListView* m_pList = nullptr;
};
