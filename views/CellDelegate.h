#pragma once

#include <QStyledItemDelegate>

#include <functional>

class CProgListModel;

// The editors of the list pane's cells: a combo box of the ten LNB frequencies for LocalFre1 and
// LocalFre2, one of H and V for Polar, and a line of text for names and numbers. What was typed is
// never written into the model: it goes, as text, to the commit function (the list pane, which
// reads it with the column's rules and runs an edit command, or says in the status bar why not).
class CCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using CommitFn = std::function<void(const QModelIndex& index, const QString& strText)>;

    // The model (not owned) tells which columns the rows show.
    explicit CCellDelegate(const CProgListModel* pModel, QObject* pParent = nullptr);

    void SetCommit(CommitFn fn) { m_fnCommit = std::move(fn); }

    QWidget* createEditor(QWidget* pParent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* pEditor, const QModelIndex& index) const override;
    void setModelData(QWidget* pEditor, QAbstractItemModel* pModel, const QModelIndex& index) const override;

private:
    // The choices of a combo-box column, empty for a column edited as text.
    QStringList Choices(int nColumn) const;

    const CProgListModel* m_pModel;
    CommitFn m_fnCommit;
};
