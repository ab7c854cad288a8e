#include "app/CheckCommand.h"

#include "app/CheckDlg.h"
#include "db/Check.h"
#include "edit/Document.h"
#include "edit/FixCommand.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QMainWindow>
#include <QStatusBar>

CCheckCommand::CCheckCommand(QMainWindow& frame, CDocument& doc, CProgListView& list)
    : QObject(&frame), m_frame(frame), m_doc(doc), m_list(list)
{
    m_pAction = new QAction(QStringLiteral("&Check Database..."), &frame);
    m_pAction->setObjectName("actionCheckDb");
    frame.addAction(m_pAction);
    connect(m_pAction, &QAction::triggered, this, &CCheckCommand::OnCheckDb);
}

void CCheckCommand::OnCheckDb()
{
    if (!m_pDlg) {
        m_pDlg = new CCheckDlg(&m_frame);
        connect(m_pDlg, &CCheckDlg::RecordActivated, this, &CCheckCommand::RecordRequested);
        connect(m_pDlg, &CCheckDlg::FixRequested, this, &CCheckCommand::OnFix);
        m_pDlg->addAction(m_frame.findChild<QAction*>(QStringLiteral("actionUndo")));
        m_pDlg->addAction(m_frame.findChild<QAction*>(QStringLiteral("actionRedo")));
    }
    m_pDlg->show();
    Refresh();
    m_pDlg->raise();
    m_pDlg->activateWindow();
}

void CCheckCommand::Refresh()
{
    if (m_pDlg && m_pDlg->isVisible())
        m_pDlg->SetFindings(m_doc.GetDb() ? CheckDb(*m_doc.GetDb()) : std::vector<CCheckFinding>());
}

void CCheckCommand::OnFix()
{
    // Through the list pane, which refreshes its rows and the tree, and selects as after any command;
    // the history's change then refreshes the dialog.
    m_list.CommitEditing(); // the check saw the database before the cell was typed
    auto pFix = std::make_unique<CFixCommand>();
    const CFixCommand* pFixed = pFix.get();
    if (!m_list.RunCommand(std::move(pFix)))
        return;
    const int32_t nFixed = pFixed->GetFixed();
    m_frame.statusBar()->showMessage(
        QStringLiteral("Fixed %1 %2")
            .arg(nFixed)
            .arg(nFixed == 1 ? QStringLiteral("problem") : QStringLiteral("problems")),
        10000);
}
