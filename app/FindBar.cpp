#include "app/FindBar.h"

#include "views/ProgListView.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QToolBar>

CFindBar::CFindBar(QMainWindow& frame, CProgListView& list) : QObject(&frame), m_list(list)
{
    const auto Add = [&frame](const char* pszName, const QString& strText, const QKeySequence& key) {
        auto* pAction = new QAction(strText, &frame);
        pAction->setObjectName(QString::fromLatin1(pszName));
        pAction->setShortcut(key);
        frame.addAction(pAction); // the keys work while the action is in no visible menu
        return pAction;
    };
    // Ctrl+K goes to the field of the tool bar (Ctrl+F is Filter).
    m_pFind = Add("actionFind", QStringLiteral("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(m_pFind, &QAction::triggered, this, [this] {
        m_pEdit->setFocus(Qt::ShortcutFocusReason);
        m_pEdit->selectAll();
    });
    m_pFindNext = Add("actionFindNext", QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3));
    m_pFindNext->setEnabled(false);
    connect(m_pFindNext, &QAction::triggered, this, [this] { m_list.FindNext(false); });
    m_pFindPrev =
        Add("actionFindPrevious", QStringLiteral("Find &Previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    m_pFindPrev->setEnabled(false);
    connect(m_pFindPrev, &QAction::triggered, this, [this] { m_list.FindNext(true); });

    m_pEdit = new QLineEdit(&frame);
    m_pEdit->setObjectName("findEdit");
    m_pEdit->setPlaceholderText(QStringLiteral("Find (Ctrl+K)"));
    m_pEdit->setToolTip(QStringLiteral("Show only the rows whose name contains this text; Enter shows all "
                                       "rows again and F3 / Shift+F3 go to the next / previous match"));
    m_pEdit->setClearButtonEnabled(true);
    m_pEdit->setMaximumWidth(240);
    m_pEdit->installEventFilter(this);
    connect(m_pEdit, &QLineEdit::textEdited, &m_list, &CProgListView::SetFindText);
    connect(m_pEdit, &QLineEdit::returnPressed, this, &CFindBar::OnEnter);
    connect(&m_list, &CProgListView::FindChanged, this, &CFindBar::OnFindChanged);
}

void CFindBar::AddTo(QToolBar* pBar)
{
    m_pEdit->setParent(pBar);
    pBar->addWidget(m_pEdit);
}

void CFindBar::OnFindChanged()
{
    if (m_pEdit->text() != m_list.GetFindText())
        m_pEdit->setText(m_list.GetFindText());
    const bool bArmed = m_list.IsFindArmed();
    m_pFindNext->setEnabled(bArmed);
    m_pFindPrev->setEnabled(bArmed);
    emit StatusChanged();
}

void CFindBar::OnEnter()
{
    if (m_list.IsFindArmed() && m_list.GetFindText() == m_pEdit->text()) {
        m_list.FindNext(false); // Enter again: the next match
        return;
    }
    m_list.SetFindText(m_pEdit->text());
    if (m_list.ArmFind())
        m_list.setFocus(Qt::OtherFocusReason);
}

bool CFindBar::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pEdit && pEvent->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Escape) {
        if (m_pEdit->text().isEmpty()) {
            m_list.setFocus(Qt::OtherFocusReason);
        } else {
            m_pEdit->clear();
            m_list.ClearFind();
        }
        return true;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
