#pragma once

#include "db/Check.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Check Database": the report of a check, one line per finding (FindingLine; a fixable one ends in
// its fix and carries another icon), a summary, "Fix" (enabled while a finding is fixable) and
// "Close". The dialog changes nothing itself: a double click or Enter on a line asks for its record
// with RecordActivated, "Fix" asks for the fix with FixRequested, and whoever runs the check gives
// the new findings with SetFindings. It works shown non-modally (Close hides it) or run with exec().
class CCheckDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CCheckDlg(QWidget* pParent = nullptr);

    // Shows these findings in place of the previous ones; the current line keeps its row (the first
    // line is current when there was none).
    void SetFindings(std::vector<CCheckFinding> findings);
    const std::vector<CCheckFinding>& GetFindings() const { return m_findings; }

    // "N problems found, M can be fixed" or "No problems found".
    QString GetSummary() const;
    QListWidget* GetList() const { return m_pList; }
    QPushButton* GetFixButton() const { return m_pFix; }

signals:
    // The user chose a finding's line: the record of kind nKind (NodeType) at position nIndex of its
    // list, with id nId, as the finding names it.
    void RecordActivated(int32_t nKind, int32_t nIndex, int32_t nId);
    // The user pressed "Fix".
    void FixRequested();

private:
    void OnItemActivated(QListWidgetItem* pItem);

    std::vector<CCheckFinding> m_findings; // one per line, in order
    QListWidget* m_pList = nullptr;
    QLabel* m_pSummary = nullptr;
    QPushButton* m_pFix = nullptr;
};
