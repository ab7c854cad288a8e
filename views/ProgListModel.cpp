#include "views/ProgListModel.h"

#include "db/Columns.h"
#include "db/IdMap.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "views/CompareMarks.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

QString DecodeName(const std::string& strBytes)
{
    const uint32_t cp = CodePage::GetAnsiCodePage();
    if (cp == CodePage::CP_UTF8)
        return QString::fromUtf8(strBytes.data(), static_cast<int>(strBytes.size()));
    return QString::fromStdString(CodePage::ToUtf8(strBytes, cp));
}

CProgListModel::CProgListModel(QObject* pParent) : QAbstractTableModel(pParent) {}

int CProgListModel::ColumnCount(int nColumns)
{
    return GetColumnCount(nColumns);
}

const char* CProgListModel::Heading(int nColumns, int nColumn)
{
    const CColumn* pCol = GetColumn(nColumns, nColumn);
    return pCol ? pCol->pszHeading : "";
}

QString CProgListModel::RecordCellText(int nColumns, const CNode* pNode, int nColumn)
{
    if (!pNode || pNode->GetType() != nColumns)
        return QString();
    return QString::fromStdString(GetCellText(*pNode, nColumn));
}

const CNodeList* CProgListModel::ShownList() const
{
    if (!m_pDb)
        return nullptr;
    switch (m_nColumns) {
    case COLUMNS_SAT:
        return &m_pDb->GetSatList();
    case COLUMNS_TP:
        return &m_pDb->GetTpList();
    case COLUMNS_PROG:
        return &m_pDb->GetProgList();
    default:
        return nullptr;
    }
}

CNodeList* CProgListModel::GetCurrentList() const
{
    if (!m_pDb)
        return nullptr;
    switch (m_nKind) {
    case NODE_SAT:
        return &m_pDb->GetSatList();
    case NODE_TP:
        return &m_pDb->GetTpList();
    default:
        return &m_pDb->GetProgList();
    }
}

void CProgListModel::Clear()
{
    m_nDropHilite = -1;
    beginResetModel();
    m_ids.clear();
    m_nColumns = COLUMNS_NONE;
    endResetModel();
}

void CProgListModel::SetColumns(int nColumns)
{
    m_nDropHilite = -1;
    beginResetModel();
    m_ids.clear();
    m_nColumns = ColumnCount(nColumns) > 0 ? nColumns : COLUMNS_NONE;
    endResetModel();
}

void CProgListModel::SetRows(std::vector<int32_t> ids)
{
    m_nDropHilite = -1;
    beginResetModel();
    m_ids = std::move(ids);
    endResetModel();
}

void CProgListModel::InsertRow(int nRow, int32_t nId)
{
    nRow = std::clamp(nRow, 0, GetRowCount());
    SetDropHilite(-1);
    beginInsertRows(QModelIndex(), nRow, nRow);
    m_ids.insert(m_ids.begin() + nRow, nId);
    endInsertRows();
}

void CProgListModel::RemoveRowAt(int nRow)
{
    if (nRow < 0 || nRow >= GetRowCount())
        return;
    SetDropHilite(-1);
    beginRemoveRows(QModelIndex(), nRow, nRow);
    m_ids.erase(m_ids.begin() + nRow);
    endRemoveRows();
}

void CProgListModel::RemoveAllRows()
{
    if (m_ids.empty())
        return;
    SetDropHilite(-1);
    beginRemoveRows(QModelIndex(), 0, GetRowCount() - 1);
    m_ids.clear();
    endRemoveRows();
}

void CProgListModel::ReorderRows(std::vector<int32_t> ids)
{
    if (ids.size() != m_ids.size()) {
        SetRows(std::move(ids));
        return;
    }
    // Where each old row went. Ids may repeat (firmware images can carry duplicates): the k-th row
    // of an id maps to the k-th row of that id in the new order, found through a chain of the rows
    // of each id in the new order.
    int32_t nMaxId = -1;
    for (int32_t nId : ids)
        nMaxId = std::max(nMaxId, nId);
    CIdMap firstOfId(int64_t(nMaxId) + 1);
    std::vector<int32_t> nextOfId(ids.size(), -1);
    for (size_t i = ids.size(); i-- > 0;) {
        int32_t& nFirst = firstOfId.At(ids[i]);
        nextOfId[i] = nFirst;
        nFirst = static_cast<int32_t>(i);
    }
    std::vector<int> oldToNew(m_ids.size());
    for (size_t i = 0; i < m_ids.size(); ++i) {
        const int32_t nNew = firstOfId.Get(m_ids[i]);
        if (nNew < 0) {
            SetRows(std::move(ids)); // not a reordering of the same rows
            return;
        }
        oldToNew[i] = nNew;
        firstOfId.At(m_ids[i]) = nextOfId[static_cast<size_t>(nNew)];
    }

    SetDropHilite(-1);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
        to.append(index.isValid() ? createIndex(oldToNew[static_cast<size_t>(index.row())], index.column())
                                  : QModelIndex());
    changePersistentIndexList(from, to);
    m_ids = std::move(ids);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CProgListModel::RowChanged(int nRow)
{
    if (nRow >= 0 && nRow < GetRowCount() && columnCount() > 0)
        emit dataChanged(index(nRow, 0), index(nRow, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
}

void CProgListModel::SetDropHilite(int nRow)
{
    if (nRow < 0 || nRow >= GetRowCount())
        nRow = -1;
    if (nRow == m_nDropHilite)
        return;
    const int nOld = m_nDropHilite;
    m_nDropHilite = nRow;
    RowChanged(nOld);
    RowChanged(nRow);
}

QString CProgListModel::CellText(int nRow, int nColumn) const
{
    const CNodeList* pList = ShownList();
    if (!pList || nRow < 0 || nRow >= GetRowCount())
        return QString();
    return RecordCellText(m_nColumns, pList->Find(GetId(nRow)), nColumn);
}

QString CProgListModel::HeadingText(int nColumn) const
{
    return QString::fromLatin1(Heading(m_nColumns, nColumn));
}

void CProgListModel::RefreshTexts()
{
    if (!m_ids.empty() && columnCount() > 0)
        emit dataChanged(index(0, 0), index(GetRowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

int CProgListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GetRowCount();
}

int CProgListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount(m_nColumns);
}

QVariant CProgListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return CellText(index.row(), index.column());
    if (role == Qt::UserRole)
        return GetId(index.row());
    if (index.row() == m_nDropHilite) {
        const QPalette palette = QGuiApplication::palette();
        if (role == Qt::BackgroundRole)
            return palette.brush(QPalette::Active, QPalette::Highlight);
        if (role == Qt::ForegroundRole)
            return palette.brush(QPalette::Active, QPalette::HighlightedText);
    }
    if (m_pMarks && role == Qt::BackgroundRole) {
        const auto nKind = static_cast<NodeType>(m_nKind);
        const int32_t nId = GetId(index.row());
        // Pale colours, so that the text and the selection stay readable.
        if (m_pMarks->IsOnlyHere(nKind, nId))
            return QColor(m_pMarks->IsSideA() ? QColor(255, 236, 179) : QColor(200, 230, 201));
        if (index.column() < 32 && (m_pMarks->GetDifferingColumns(nKind, nId) >> index.column()) & 1u)
            return QColor(255, 205, 210);
    }
    if (role == Qt::ToolTipRole) {
        const QString strTip = MarkToolTip(index.row(), index.column());
        if (!strTip.isEmpty())
            return strTip;
    }
    return QVariant();
}

void CProgListModel::SetMarks(const CCompareMarks* pMarks)
{
    if (pMarks == m_pMarks)
        return;
    m_pMarks = pMarks;
    if (!m_ids.empty() && columnCount() > 0)
        emit dataChanged(index(0, 0), index(GetRowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
}

QString CProgListModel::MarkToolTip(int nRow, int nColumn) const
{
    if (!m_pMarks || nRow < 0 || nRow >= GetRowCount())
        return QString();
    const auto nKind = static_cast<NodeType>(m_nKind);
    const int32_t nId = GetId(nRow);
    if (m_pMarks->IsOnlyHere(nKind, nId))
        return m_pMarks->IsSideA() ? QStringLiteral("Not in the reference list")
                                   : QStringLiteral("Not in the edited list");
    if (nColumn >= 0 && nColumn < 32 && (m_pMarks->GetDifferingColumns(nKind, nId) >> nColumn) & 1u)
        return QStringLiteral("Reference: %1").arg(m_pMarks->GetOtherText(nKind, nId, nColumn));
    return QString();
}

QVariant CProgListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return HeadingText(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool CProgListModel::IsEditable(int nRow, int nColumn) const
{
    const CColumn* pCol = GetColumn(m_nColumns, nColumn);
    const CNodeList* pList = ShownList();
    return pCol && !pCol->bReadOnly && pList && nRow >= 0 && nRow < GetRowCount() &&
           pList->Find(GetId(nRow)) != nullptr;
}

Qt::ItemFlags CProgListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (IsEditable(index.row(), index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}
