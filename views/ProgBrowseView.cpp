#include "views/ProgBrowseView.h"

#include "db/ProgDb.h"
#include "views/ProgListModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>

#include <unordered_map>
#include <vector>

namespace {

QTreeWidgetItem* NewItem(const QString& strText, const QIcon& icon, int nImage, int32_t nId)
{
    QTreeWidgetItem* pItem = new QTreeWidgetItem(QStringList(strText));
    pItem->setIcon(0, icon);
    pItem->setData(0, CProgBrowseView::ROLE_IMAGE, nImage);
    pItem->setData(0, CProgBrowseView::ROLE_ID, nId);
    return pItem;
}

QString TpLabel(const CNode& tp)
{
    const TpRecord& r = *static_cast<const CTpNode&>(tp).GetRecord();
    return QStringLiteral("%1-%2-%3")
        .arg(tp.GetId())
        .arg(r.Get(TpField::Frequency))
        .arg(r.Get(TpField::SymbolRate));
}

} // namespace

CProgBrowseView::CProgBrowseView(QWidget* pParent) : QTreeWidget(pParent)
{
    setObjectName("progBrowseView");
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    // Labels are never cut short in the narrow pane: it scrolls sideways instead.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_icons[IMAGE_SAT] = QIcon(QStringLiteral(":/icons/satellite.png"));
    m_icons[IMAGE_TP] = QIcon(QStringLiteral(":/icons/transponder.png"));
    m_icons[IMAGE_ALL_PROG] = QIcon(QStringLiteral(":/icons/allprog.png"));
    m_icons[IMAGE_FAVOURITES] = QIcon(QStringLiteral(":/icons/favourites.png"));
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* pCurrent, QTreeWidgetItem*) { OnCurrentItemChanged(pCurrent); });
}

void CProgBrowseView::ShowDb(CProgDb* pDb)
{
    m_pDb = pDb;
    {
        const QSignalBlocker blocker(this);
        clear(); // a new database starts collapsed
    }
    RefreshTree();
}

QString CProgBrowseView::NodeKey(const QTreeWidgetItem* pItem) const
{
    if (!pItem)
        return QString();
    const QTreeWidgetItem* pParent = pItem->parent();
    // The n-th child with the same picture and id: two satellites may share an id.
    int nSame = 0;
    const int nImage = pItem->data(0, ROLE_IMAGE).toInt();
    const int nId = pItem->data(0, ROLE_ID).toInt();
    QTreeWidgetItem* pMutable = const_cast<QTreeWidgetItem*>(pItem); // the look-ups take no const item
    const int nIndex = pParent ? pParent->indexOfChild(pMutable) : indexOfTopLevelItem(pMutable);
    for (int i = 0; i < nIndex; ++i) {
        const QTreeWidgetItem* pSibling = pParent ? pParent->child(i) : topLevelItem(i);
        if (pSibling->data(0, ROLE_IMAGE).toInt() == nImage && pSibling->data(0, ROLE_ID).toInt() == nId)
            ++nSame;
    }
    return NodeKey(pParent) + QStringLiteral("/%1:%2:%3").arg(nImage).arg(nId).arg(nSame);
}

void CProgBrowseView::RefreshTree()
{
    // A rebuild is not a selection by the user: the list pane keeps what it shows.
    const QSignalBlocker blocker(this);
    // Only "Sat" and the satellites have children to show or hide.
    QSet<QString> expanded;
    if (QTreeWidgetItem* pFavourites = GetFavouritesItem(); pFavourites && pFavourites->isExpanded())
        expanded.insert(NodeKey(pFavourites));
    if (QTreeWidgetItem* pSatGroup = GetSatGroupItem()) {
        if (pSatGroup->isExpanded())
            expanded.insert(NodeKey(pSatGroup));
        for (int i = 0; i < pSatGroup->childCount(); ++i)
            if (pSatGroup->child(i)->isExpanded())
                expanded.insert(NodeKey(pSatGroup->child(i)));
    }
    const QString strCurrent = NodeKey(currentItem());
    const int nScroll = verticalScrollBar()->value();
    clear();
    if (!m_pDb)
        return;

    QTreeWidgetItem* pAll =
        NewItem(QStringLiteral("All Prog"), m_icons[IMAGE_ALL_PROG], IMAGE_ALL_PROG, INVALID_ID);
    QTreeWidgetItem* pFavourites =
        NewItem(QStringLiteral("Favourites"), m_icons[IMAGE_FAVOURITES], IMAGE_FAVOURITES, 0);
    FillFavourites(pFavourites);
    QTreeWidgetItem* pSatGroup = NewItem(QStringLiteral("Sat"), m_icons[IMAGE_SAT], IMAGE_SAT, INVALID_ID);

    // Transponders by parent id, each group in transponder list order: every satellite gets all
    // transponders whose parent id is its id, also when two satellites share an id.
    std::unordered_map<int32_t, std::vector<const CNode*>> tpsByParent;
    for (const CNode* pTp : m_pDb->GetTpList())
        tpsByParent[pTp->GetParentId()].push_back(pTp);

    for (const CNode* pNode : m_pDb->GetSatList()) {
        const std::string strName = static_cast<const CSatNode*>(pNode)->GetRecord()->GetName();
        QTreeWidgetItem* pSat = NewItem(DecodeName(strName), m_icons[IMAGE_SAT], IMAGE_SAT, pNode->GetId());
        pSat->setData(0, ROLE_NAME_BYTES, QByteArray(strName.data(), static_cast<int>(strName.size())));
        pSatGroup->addChild(pSat);
        auto it = tpsByParent.find(pNode->GetId());
        if (it == tpsByParent.end())
            continue;
        QList<QTreeWidgetItem*> tpItems;
        tpItems.reserve(static_cast<int>(it->second.size()));
        for (const CNode* pTp : it->second)
            tpItems.append(NewItem(TpLabel(*pTp), m_icons[IMAGE_TP], IMAGE_TP, pTp->GetId()));
        pSat->addChildren(tpItems);
    }
    addTopLevelItems({pAll, pFavourites, pSatGroup});

    QTreeWidgetItem* pCurrent = nullptr;
    if (!expanded.isEmpty() || !strCurrent.isEmpty()) {
        for (QTreeWidgetItem* pTop : {pAll, pFavourites, pSatGroup}) {
            if (NodeKey(pTop) == strCurrent)
                pCurrent = pTop;
        }
        if (expanded.contains(NodeKey(pFavourites)))
            pFavourites->setExpanded(true);
        for (int i = 0; i < pFavourites->childCount() && !pCurrent; ++i)
            if (NodeKey(pFavourites->child(i)) == strCurrent)
                pCurrent = pFavourites->child(i);
        if (expanded.contains(NodeKey(pSatGroup)))
            pSatGroup->setExpanded(true);
        for (int i = 0; i < pSatGroup->childCount(); ++i) {
            QTreeWidgetItem* pSat = pSatGroup->child(i);
            const QString strSat = NodeKey(pSat);
            if (expanded.contains(strSat))
                pSat->setExpanded(true);
            if (!strCurrent.startsWith(strSat + QLatin1Char('/')) && strCurrent != strSat)
                continue;
            if (strCurrent == strSat)
                pCurrent = pSat;
            for (int j = 0; j < pSat->childCount() && !pCurrent; ++j)
                if (NodeKey(pSat->child(j)) == strCurrent)
                    pCurrent = pSat->child(j);
        }
    }
    if (pCurrent) {
        setCurrentItem(pCurrent);
    } else {
        // Marks "no current node" as chosen, so that the view does not make the first node current
        // when it gets the keyboard focus: only the user selects, and each selection fills the list.
        setCurrentIndex(QModelIndex());
    }
    if (nScroll > 0) {
        doItemsLayout(); // the scroll range of the new items
        verticalScrollBar()->setValue(nScroll);
    }
}

void CProgBrowseView::mousePressEvent(QMouseEvent* pEvent)
{
    QTreeWidgetItem* pBefore = currentItem();
    QTreeWidget::mousePressEvent(pEvent);
    // A click on the label of the node already current lists its records again (and so ends a
    // filter of the list); a click on its expand button does not.
    QTreeWidgetItem* pHit = itemAt(pEvent->position().toPoint());
    if (pEvent->button() == Qt::LeftButton && pHit && pHit == pBefore && pHit == currentItem() &&
        visualItemRect(pHit).contains(pEvent->position().toPoint()))
        OnCurrentItemChanged(pHit);
}

void CProgBrowseView::keyPressEvent(QKeyEvent* pEvent)
{
    // Copying is the frame's Copy: the key reaches the tree only while that is disabled, and goes
    // on to the frame, which says why (the base class would put the node's label on the clipboard).
    if (pEvent->matches(QKeySequence::Copy)) {
        pEvent->ignore();
        return;
    }
    if ((pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) && currentItem()) {
        OnCurrentItemChanged(currentItem());
        pEvent->accept();
        return;
    }
    QTreeWidget::keyPressEvent(pEvent);
}

void CProgBrowseView::RefreshNames()
{
    QTreeWidgetItem* pSatGroup = GetSatGroupItem();
    if (!pSatGroup)
        return;
    for (int i = 0; i < pSatGroup->childCount(); ++i) {
        QTreeWidgetItem* pSat = pSatGroup->child(i);
        const QByteArray bytes = pSat->data(0, ROLE_NAME_BYTES).toByteArray();
        pSat->setText(0, DecodeName(bytes.toStdString()));
    }
}

QTreeWidgetItem* CProgBrowseView::TopItem(int nImage) const
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->data(0, ROLE_IMAGE).toInt() == nImage)
            return topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* CProgBrowseView::GetAllProgItem() const
{
    return TopItem(IMAGE_ALL_PROG);
}

QTreeWidgetItem* CProgBrowseView::GetFavouritesItem() const
{
    return TopItem(IMAGE_FAVOURITES);
}

QTreeWidgetItem* CProgBrowseView::GetSatGroupItem() const
{
    return TopItem(IMAGE_SAT);
}

QTreeWidgetItem* CProgBrowseView::FindFavouritesNode(uint32_t nGroup) const
{
    QTreeWidgetItem* pFavourites = GetFavouritesItem();
    if (!pFavourites || nGroup == 0)
        return pFavourites;
    for (int i = 0; i < pFavourites->childCount(); ++i)
        if (pFavourites->child(i)->data(0, ROLE_ID).toUInt() == nGroup)
            return pFavourites->child(i);
    return nullptr;
}

void CProgBrowseView::FillFavourites(QTreeWidgetItem* pFavourites) const
{
    // FavType is four bits: groups 1 to 15.
    int counts[16] = {};
    for (const CNode* pNode : m_pDb->GetProgList())
        ++counts[static_cast<const CProgNode*>(pNode)->GetRecord()->Get(ProgField::FavType) & 15u];
    QList<QTreeWidgetItem*> groups;
    for (int nGroup = 1; nGroup < 16; ++nGroup)
        if (counts[nGroup] > 0)
            groups.append(NewItem(QStringLiteral("Group %1 (%2)").arg(nGroup).arg(counts[nGroup]),
                                  m_icons[IMAGE_FAVOURITES], IMAGE_FAVOURITES, nGroup));
    pFavourites->addChildren(groups);
}

void CProgBrowseView::RefreshFavourites()
{
    QTreeWidgetItem* pFavourites = GetFavouritesItem();
    if (!pFavourites || !m_pDb)
        return;
    // Not a selection by the user: the list keeps what it shows, also when its group went.
    const QSignalBlocker blocker(this);
    QTreeWidgetItem* pCurrent = currentItem();
    const bool bGroupCurrent = pCurrent && pCurrent->parent() == pFavourites;
    const uint32_t nCurrentGroup = bGroupCurrent ? pCurrent->data(0, ROLE_ID).toUInt() : 0;
    const QList<QTreeWidgetItem*> old = pFavourites->takeChildren();
    FillFavourites(pFavourites);
    if (bGroupCurrent) {
        QTreeWidgetItem* pGroup = FindFavouritesNode(nCurrentGroup);
        setCurrentItem(pGroup ? pGroup : pFavourites);
    }
    qDeleteAll(old);
}

QTreeWidgetItem* CProgBrowseView::FindNode(int32_t nKind, int32_t nParentId) const
{
    QTreeWidgetItem* pSatGroup = GetSatGroupItem();
    if (!pSatGroup)
        return nullptr;
    if (nKind == NODE_PROG && nParentId == INVALID_ID)
        return GetAllProgItem();
    if (nKind == NODE_SAT)
        return pSatGroup;
    for (int i = 0; i < pSatGroup->childCount(); ++i) {
        QTreeWidgetItem* pSat = pSatGroup->child(i);
        if (nKind == NODE_TP && pSat->data(0, ROLE_ID).toInt() == nParentId)
            return pSat;
        if (nKind != NODE_PROG)
            continue;
        for (int j = 0; j < pSat->childCount(); ++j)
            if (pSat->child(j)->data(0, ROLE_ID).toInt() == nParentId)
                return pSat->child(j);
    }
    return nullptr;
}

bool CProgBrowseView::SelectNode(int32_t nKind, int32_t nParentId)
{
    QTreeWidgetItem* pItem = FindNode(nKind, nParentId);
    if (!pItem)
        return false;
    for (QTreeWidgetItem* pParent = pItem->parent(); pParent; pParent = pParent->parent())
        pParent->setExpanded(true);
    if (pItem == currentItem())
        OnCurrentItemChanged(pItem); // listed again, as a click on the current node does
    else
        setCurrentItem(pItem);
    scrollToItem(pItem);
    return true;
}

void CProgBrowseView::OnCurrentItemChanged(QTreeWidgetItem* pCurrent)
{
    if (!pCurrent)
        return;
    const int nImage = pCurrent->data(0, ROLE_IMAGE).toInt();
    const int32_t nValue = pCurrent->data(0, ROLE_ID).toInt();
    if (nImage == IMAGE_ALL_PROG)
        emit RecordsRequested(NODE_PROG, INVALID_ID);
    else if (nImage == IMAGE_FAVOURITES)
        emit FavouritesRequested(static_cast<uint32_t>(nValue));
    else if (nImage == IMAGE_TP)
        emit RecordsRequested(NODE_PROG, nValue);
    else if (nValue == INVALID_ID)
        emit RecordsRequested(NODE_SAT, INVALID_ID);
    else
        emit RecordsRequested(NODE_TP, nValue);
}
