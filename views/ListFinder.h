#pragma once

#include <QObject>
#include <QString>

class CListing;
class CProgListView;

// Find in the list pane: the rows narrowed to the records whose name contains a text as it is typed,
// and, once armed (Enter), the next and previous match in the unnarrowed rows. The Find state is the
// listing's; this class shows its rows, selects and scrolls to matches and says when there are none.
class CListFinder : public QObject
{
public:
    CListFinder(CProgListView& view, CListing& listing);

    // See the pane's functions of the same names.
    void SetFindText(const QString& strText);
    bool ArmFind();
    bool FindNext(bool bBackward);
    QString GetFindStatus() const;

private:
    // Selects the first row after nFrom (before it with bBackward) whose name contains the Find
    // text, going round the end of the list, and scrolls to it; false, saying so, when no row does.
    bool SelectMatch(int nFrom, bool bBackward);

    CProgListView& m_view;
    CListing& m_listing;
};
