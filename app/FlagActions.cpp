#include "app/FlagActions.h"

#include "db/ProgDb.h"
#include "edit/FlagCommand.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

namespace {

constexpr int STATUS_TIMEOUT_MS = 10000;

} // namespace

CFlagActions::CFlagActions(QMainWindow& frame, CProgListView& list)
    : QObject(&frame), m_frame(frame), m_list(list)
{
    m_pMenu = new QMenu(QStringLiteral("Fla&gs"), &frame);
    m_pMenu->setObjectName("menuFlags");
    m_pMenu->menuAction()->setObjectName("menuFlags");
    const struct
    {
        const char* pszName;
        const char* pszText;
        Qt::Key nKey;
    } flags[] = {
        {"actionLock", "&Lock", Qt::Key_L},
        {"actionSkip", "S&kip", Qt::Key_J},
        {"actionHide", "&Hide", Qt::Key_H},
    };
    for (int nFlag = FLAG_LOCK; nFlag <= FLAG_HIDE; ++nFlag) {
        const auto& f = flags[nFlag];
        QAction* pAction = Add(f.pszName, QString::fromLatin1(f.pszText), QKeySequence(Qt::CTRL | f.nKey));
        connect(pAction, &QAction::triggered, this, [this, nFlag] { ToggleFlag(nFlag); });
        m_pMenu->addAction(pAction);
    }
    m_pMenu->addSeparator();
    QMenu* pGroups = m_pMenu->addMenu(QStringLiteral("&Favourite Group"));
    pGroups->setObjectName("menuFavouriteGroup");
    pGroups->menuAction()->setObjectName("menuFavouriteGroup");
    for (uint32_t nGroup = 0; nGroup <= FAVOURITE_GROUPS; ++nGroup) {
        const QKeySequence key =
            nGroup <= 9 ? QKeySequence(Qt::CTRL | (Qt::Key_0 + static_cast<int>(nGroup))) : QKeySequence();
        const QString strText =
            nGroup == 0 ? QStringLiteral("&None") : QStringLiteral("Group %1").arg(nGroup);
        QAction* pAction =
            Add(QStringLiteral("actionFavourite%1").arg(nGroup).toLatin1().constData(), strText, key);
        connect(pAction, &QAction::triggered, this, [this, nGroup] { SetFavouriteGroup(nGroup); });
        pGroups->addAction(pAction);
        if (nGroup == 0)
            pGroups->addSeparator();
    }

    // Whatever the commands depend on.
    const auto Update = [this] { UpdateActions(); };
    connect(m_list.selectionModel(), &QItemSelectionModel::selectionChanged, this, Update);
    QAbstractItemModel* pModel = m_list.model();
    connect(pModel, &QAbstractItemModel::modelReset, this, Update);
    connect(pModel, &QAbstractItemModel::rowsInserted, this, Update);
    connect(pModel, &QAbstractItemModel::rowsRemoved, this, Update);
    connect(pModel, &QAbstractItemModel::layoutChanged, this, Update);
    UpdateActions();
}

QAction* CFlagActions::Add(const char* pszName, const QString& strText, const QKeySequence& key)
{
    auto* pAction = new QAction(strText, &m_frame);
    pAction->setObjectName(QString::fromLatin1(pszName));
    pAction->setShortcut(key);
    m_frame.addAction(pAction); // the keys work while the action is in no visible menu
    m_actions.append(pAction);
    return pAction;
}

void CFlagActions::UpdateActions()
{
    const bool bDb = m_list.GetModel()->GetDb() != nullptr;
    const bool bPrograms = m_list.GetModel()->GetColumns() == CProgListModel::COLUMNS_PROG;
    m_strReason = !bDb                                       ? QStringLiteral("no channel list is open")
                  : !bPrograms                               ? QStringLiteral("the list shows no programs")
                  : !m_list.selectionModel()->hasSelection() ? QStringLiteral("no programs are selected")
                                                             : QString();
    for (QAction* pAction : m_actions) {
        pAction->setEnabled(m_strReason.isEmpty());
        QString strName = pAction->text();
        strName.remove(QLatin1Char('&'));
        pAction->setStatusTip(m_strReason.isEmpty() ? QString()
                                                    : strName + QStringLiteral(": ") + m_strReason);
    }
}

bool CFlagActions::ExplainKey(const QKeySequence& key)
{
    if (m_strReason.isEmpty())
        return false;
    for (QAction* pAction : m_actions) {
        if (!pAction->shortcut().isEmpty() && pAction->shortcut() == key) {
            m_frame.statusBar()->showMessage(pAction->statusTip(), STATUS_TIMEOUT_MS);
            return true;
        }
    }
    return false;
}

bool CFlagActions::ToggleFlag(int nFlag)
{
    const CProgDb* pDb = m_list.GetModel()->GetDb();
    if (!pDb || !m_strReason.isEmpty() || nFlag < FLAG_LOCK || nFlag > FLAG_HIDE)
        return false;
    m_list.CommitEditing();
    return m_list.RunCommand(
               MakeToggleFlagCommand(*pDb, static_cast<ProgFlag>(nFlag), m_list.GetSelectedIds())) != nullptr;
}

bool CFlagActions::SetFavouriteGroup(uint32_t nGroup)
{
    if (!m_list.GetModel()->GetDb() || !m_strReason.isEmpty())
        return false;
    m_list.CommitEditing();
    return m_list.RunCommand(MakeFavouriteGroupCommand(m_list.GetSelectedIds(), nGroup)) != nullptr;
}
