#pragma once

#include "app/PrintOptions.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QSpinBox;

// Asks what to print (or put into a PDF) and how: the programs as the list shows them or the whole
// database grouped by satellite and transponder; the columns beside the number and the name; and,
// for the number-and-name layout, 1 to 4 columns of entries per page (the spin box is off while a
// column is ticked). Every control has an object name for tests.
class CPrintOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    // nListed: the programs the list pane shows now; with none, only the whole database can be
    // chosen. strCaption is the window title ("Print", "Export PDF").
    CPrintOptionsDlg(const SPrintOptions& options, int nListed, const QString& strCaption,
                     QWidget* pParent = nullptr);

    SPrintOptions GetOptions() const;
    void SetOptions(const SPrintOptions& options);

private:
    void UpdateEnabled();

    QRadioButton* m_pListed;
    QRadioButton* m_pDatabase;
    QCheckBox* m_pTransponder;
    QCheckBox* m_pServiceId;
    QCheckBox* m_pPids;
    QCheckBox* m_pFlags;
    QSpinBox* m_pEntryColumns;
    bool m_bListedAllowed;
};
