#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;

// "Set Field": one column and one value for every selected row of the list pane. The columns
// offered are those that can be typed into for the record kind shown; the value is typed, or
// chosen for LocalFre1, LocalFre2 (the ten LNB frequencies) and Polar (H or V). OK reads the value
// with the column's rules and stays open, saying why, when it is no value of the column; the
// caller then sets what GetColumn and GetText give.
class CSetFieldDlg : public QDialog
{
    Q_OBJECT

public:
    // nKind: the NodeType of the rows; nRows: how many are selected (for the caption line).
    CSetFieldDlg(int32_t nKind, int nRows, QWidget* pParent = nullptr);

    // Chooses the column (an index of the list's columns); false when it cannot be set.
    bool SetColumn(int nColumn);
    // The chosen column of the list, -1 when none can be set.
    int GetColumn() const;
    QString GetText() const;
    void OnOK();

    QComboBox* GetColumnCombo() const { return m_pColumnCombo; }
    QComboBox* GetValueCombo() const { return m_pValueCombo; }
    QLabel* GetMessageLabel() const { return m_pMessage; }
    QPushButton* GetOkButton() const { return m_pOkButton; }

private:
    void OnColumnChanged();

    int32_t m_nKind;
    QComboBox* m_pColumnCombo = nullptr;
    QComboBox* m_pValueCombo = nullptr;
    QLabel* m_pMessage = nullptr;
    QPushButton* m_pOkButton = nullptr;
};
