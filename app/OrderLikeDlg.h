#pragma once

#include "db/OrderLike.h"

#include <QDialog>

class CProgDb;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
struct CListMatch;

// Tools > "Order Like Reference...": the options of ordering the edited list like the reference (take
// the reference's names, take its flags, add what the list lacks) and, before OK, what that would do:
// the counts of each list like the reference and after it, and of the names, flags and records that
// change. The dialog changes nothing; the caller runs the command with GetOptions.
class COrderLikeDlg : public QDialog
{
    Q_OBJECT

public:
    // The databases and the matching (of db against ref) are not owned and must stay unchanged while
    // the dialog is open.
    COrderLikeDlg(const CProgDb& db, const CProgDb& ref, const CListMatch& match, QWidget* pParent = nullptr);

    COrderOptions GetOptions() const;
    void SetOptions(const COrderOptions& options);
    // The counts as shown now, one line each.
    QString GetSummary() const;
    QCheckBox* GetNamesBox() const { return m_pNames; }
    QCheckBox* GetFlagsBox() const { return m_pFlags; }
    QCheckBox* GetAddMissingBox() const { return m_pAddMissing; }
    QDialogButtonBox* GetButtons() const { return m_pButtons; }

private:
    void UpdateSummary();

    const CProgDb& m_db;
    const CProgDb& m_ref;
    const CListMatch& m_match;
    QCheckBox* m_pNames = nullptr;
    QCheckBox* m_pFlags = nullptr;
    QCheckBox* m_pAddMissing = nullptr;
    QLabel* m_pSummary = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
};
