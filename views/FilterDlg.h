#pragma once

#include <QDialog>
#include <QString>

class CListFilter;
class IMessageSink;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The modal dialog in which the user builds the conditions of a Filter command: one row per
// condition ("Item" = a column heading of the list pane, "Opt" = "==", "Value" = the text the cell
// must read), at most one condition per column. OK hands the conditions to the filter, in the
// order of the rows. The refusals ("Empty input", "Filter Item Existed!", "Empty Filter!") are shown
// through the message sink and leave the dialog open.
class CFilterDlg : public QDialog
{
    Q_OBJECT

public:
    // Neither the filter nor the sink is owned; both must outlive the dialog. Without a sink the
    // refusals are shown in message boxes of the dialog's own.
    CFilterDlg(CListFilter* pFilter, IMessageSink* pSink, QWidget* pParent = nullptr);
    ~CFilterDlg() override;

    // The caption shown instead of "Filter" once the dialog is initialised; empty keeps "Filter".
    void SetTitle(const QString& strTitle) { m_strTitle = strTitle; }
    const QString& GetTitle() const { return m_strTitle; }

    // Initialises the dialog and runs it modally: Accepted after a successful OK.
    int DoModal();
    // Sets up the condition list's columns, offers the list pane's column headings in column order
    // (so that a combo index is a column index) with the first one chosen, and sets the caption.
    // Only the first call has an effect.
    void OnInitDialog();
    // "&Add": appends the chosen column with the trimmed value, unless the value is empty or the
    // column already has a condition.
    void OnAdd();
    // "确定": fills the filter from the rows and closes with Accepted; with no rows it refuses.
    void OnOK();
    // A double click on the condition list removes the row last clicked, if there is one.
    void OnConditionDblClick();

    QTreeWidget* GetConditionList() const { return m_pConditionList; }
    QComboBox* GetColumnCombo() const { return m_pColumnCombo; }
    QLineEdit* GetValueEdit() const { return m_pValueEdit; }
    QPushButton* GetAddButton() const { return m_pAddButton; }
    QPushButton* GetOkButton() const { return m_pOkButton; }
    QPushButton* GetCancelButton() const { return m_pCancelButton; }

protected:
    // Enter in the value box adds the condition (rather than pressing OK).
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void ShowError(const char* pszText, const char* pszCaption);

    CListFilter* m_pFilter;
    IMessageSink* m_pSink;
    QString m_strTitle;
    bool m_bInitDone = false;
    QTreeWidget* m_pConditionList = nullptr;
    QComboBox* m_pColumnCombo = nullptr;
    QLineEdit* m_pValueEdit = nullptr;
    QPushButton* m_pAddButton = nullptr;
    QPushButton* m_pOkButton = nullptr;
    QPushButton* m_pCancelButton = nullptr;
};
