#include "views/ListFinder.h"

#include "db/Listing.h"
#include "db/ProgDb.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QItemSelectionModel>
#include <QLocale>

namespace {

QString Number(int n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

} // namespace

CListFinder::CListFinder(CProgListView& view, CListing& listing)
    : QObject(&view), m_view(view), m_listing(listing)
{}

void CListFinder::SetFindText(const QString& strText)
{
    const std::string strUtf8 = strText.toStdString();
    if (strUtf8 == m_listing.GetFindText() && !m_listing.IsFindArmed())
        return;
    m_listing.SetFindText(strUtf8);
    if (m_listing.IsListed())
        m_view.ShowNarrowed(); // a row is never kept only because it was selected
    emit m_view.FindChanged();
}

bool CListFinder::ArmFind()
{
    if (m_listing.GetFindText().empty() || !m_listing.IsListed())
        return false;
    if (!m_listing.IsFindArmed()) {
        m_listing.SetFindArmed(true);
        m_view.ShowNarrowed();
        emit m_view.FindChanged();
    }
    // From the current row when it is a selected match (chosen in the narrowed rows), else the next.
    const int nCurrent = m_view.GetCurrentRow();
    const bool bChosen = nCurrent >= 0 && m_view.selectionModel()->isRowSelected(nCurrent, QModelIndex());
    return SelectMatch(bChosen ? nCurrent - 1 : nCurrent, false);
}

bool CListFinder::FindNext(bool bBackward)
{
    if (!m_listing.IsFindArmed())
        return false;
    return SelectMatch(m_view.GetCurrentRow(), bBackward);
}

bool CListFinder::SelectMatch(int nFrom, bool bBackward)
{
    CProgListModel* pModel = m_view.GetModel();
    const CProgDb* pDb = pModel->GetDb();
    if (!pDb)
        return false;
    const int nRow = m_listing.FindNext(*pDb, pModel->GetIds(), nFrom, bBackward);
    if (nRow < 0) {
        emit m_view.StatusMessage(QStringLiteral("Find: no row contains \"%1\"")
                                      .arg(QString::fromStdString(m_listing.GetFindText())));
        return false;
    }
    m_view.clearSelection();
    m_view.SelectRow(nRow);
    m_view.SetCurrentRow(nRow);
    // A match out of sight comes to the middle, with the rows around it.
    const QModelIndex index = pModel->index(nRow, std::max(m_view.currentIndex().column(), 0));
    const bool bInSight = m_view.viewport()->rect().contains(m_view.visualRect(index));
    m_view.scrollTo(index, bInSight ? QAbstractItemView::EnsureVisible : QAbstractItemView::PositionAtCenter);
    return true;
}

QString CListFinder::GetFindStatus() const
{
    if (m_listing.GetFindText().empty() || !m_listing.IsListed())
        return QString();
    const int nMatches = m_listing.GetFindMatchCount();
    QString strStatus;
    if (m_listing.IsFiltered()) {
        strStatus =
            QStringLiteral("Find: %1 of %2").arg(Number(nMatches), Number(m_view.GetUnnarrowedCount()));
    } else {
        const int nTotal = m_view.GetListingCount();
        strStatus = QStringLiteral("Find: %1 of %2 %3")
                        .arg(Number(nMatches), Number(nTotal),
                             QString::fromLatin1(CProgListView::KindNoun(m_listing.GetKind(), nTotal)));
    }
    if (m_listing.IsFindArmed())
        strStatus += QStringLiteral(" (F3: next, Shift+F3: previous)");
    return strStatus;
}
