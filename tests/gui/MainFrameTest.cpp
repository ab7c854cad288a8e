// The main frame's window: title, menus, bars and panes, moving the focus between the panes, the
// encoding menu, the about box, and the application starting with the sample or a named file.

#include "FrameTestBase.h"
#include "GuiTestMain.h"

#include "app/AboutDlg.h"
#include "platform/CodePage.h"
#include "views/ProgBrowseView.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QWidgetAction>
#include <QStatusBar>
#include <QToolBar>

namespace {

QStringList ActionTexts(const QMenu* pMenu)
{
    QStringList out;
    for (const QAction* a : pMenu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class CMainFrameTest : public CFrameTestBase
{
    Q_OBJECT

private slots:
    void WindowHasTitleMenusBarsAndPanes()
    {
        QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Ravelin Advanced"));
        QMenu* pFile = m_pFrame->findChild<QMenu*>("menuFile");
        QVERIFY(pFile);
        QCOMPARE(ActionTexts(pFile), QStringList({"&New",
                                                  "-",
                                                  "Open Db",
                                                  "Open Excel",
                                                  "Open JSON",
                                                  "Open Bin 2.0",
                                                  "Open Bin 2.5",
                                                  "Recent &Files",
                                                  "-",
                                                  "Open &Reference List...",
                                                  "Close Reference &List",
                                                  "-",
                                                  "Filter(&F)",
                                                  "-",
                                                  "&Save",
                                                  "Save As Db",
                                                  "Save As Excel",
                                                  "Save As JSON",
                                                  "-",
                                                  "&Print...",
                                                  "Export P&DF...",
                                                  "Export &CSV...",
                                                  "Export &HTML...",
                                                  "-",
                                                  "Merge To Bin",
                                                  "-",
                                                  "E&xit"}));
        QCOMPARE(Action("actionFilter")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        QVERIFY(!m_pFrame->findChild<QMenu*>("menuRecentFiles")->isEnabled()); // nothing opened yet
        QStringList view = ActionTexts(m_pFrame->findChild<QMenu*>("menuView"));
        QCOMPARE(view.mid(0, 3),
                 QStringList({"&Toolbar", "&Status Bar", "Keep &Backups of Overwritten Files"}));
        QVERIFY(Action("actionKeepBackups")->isChecked());
        QCOMPARE(
            ActionTexts(m_pFrame->findChild<QMenu*>("menuTools")),
            QStringList({"&Check Database...", "-", "Compare &With Reference", "&Order Like Reference..."}));
        QCOMPARE(ActionTexts(m_pFrame->findChild<QMenu*>("menuHelp")), QStringList({"&About Pelmora..."}));
        QCOMPARE(m_pFrame->menuBar()->actions().at(m_pFrame->menuBar()->actions().size() - 2)->text(),
                 QStringLiteral("&Tools")); // before Help

        QToolBar* pBar = m_pFrame->findChild<QToolBar*>("toolBar");
        QVERIFY(pBar);
        QStringList tools;
        for (QAction* a : pBar->actions())
            tools << (a->isSeparator()                  ? QStringLiteral("-")
                      : qobject_cast<QWidgetAction*>(a) ? pBar->widgetForAction(a)->objectName()
                                                        : a->objectName());
        QCOMPARE(tools, QStringList({"actionCut", "actionCopy", "actionPaste", "-", "actionUndo",
                                     "actionRedo", "-", "actionAbout", "-", "findEdit"}));
        QCOMPARE(Action("actionFind")->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));
        for (const char* psz : {"actionCut", "actionCopy", "actionPaste", "actionUndo"})
            QVERIFY2(!Action(psz)->isEnabled(), psz);
        QVERIFY(Action("actionAbout")->isEnabled());
        QCOMPARE(Action("actionUndo")->shortcuts(),
                 QList<QKeySequence>({QKeySequence(QStringLiteral("Ctrl+Z")),
                                      QKeySequence(QStringLiteral("Alt+Backspace"))}));

        QCOMPARE(m_pFrame->findChild<QLabel*>("messagePane")->text(), QStringLiteral("Ready"));
        for (const char* psz : {"indicatorCAP", "indicatorNUM", "indicatorSCRL"})
            QVERIFY2(m_pFrame->findChild<QLabel*>(psz), psz);

        // View toggles the bars.
        m_pFrame->show();
        Action("actionViewToolBar")->trigger();
        QVERIFY(!pBar->isVisible());
        Action("actionViewStatusBar")->trigger();
        QVERIFY(!m_pFrame->statusBar()->isVisible());
        Action("actionViewToolBar")->trigger();
        QVERIFY(pBar->isVisible());

        QSplitter* pSplitter = m_pFrame->GetSplitter();
        QCOMPARE(pSplitter->count(), 2);
        QVERIFY(pSplitter->widget(0) == m_pFrame->GetTreeView());
        QVERIFY(pSplitter->widget(1) == m_pFrame->GetListView());
        QCOMPARE(pSplitter->sizes().at(0), 160);
    }

    // Window size and place, the splitter and the list's column widths of each record kind are
    // what the last run left.
    void LayoutIsRememberedBetweenRuns()
    {
        LoadSample();
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        m_pFrame->resize(820, 540);
        m_pFrame->GetSplitter()->setSizes({250, 570});
        CProgListView* pList = m_pFrame->GetListView();
        pList->ShowRecords(NODE_PROG, INVALID_ID);
        pList->horizontalHeader()->resizeSection(2, 210);
        pList->ShowRecords(NODE_SAT, INVALID_ID);
        pList->horizontalHeader()->resizeSection(1, 150);
        pList->ShowRecords(NODE_TP, 0); // transponders keep the default
        QCOMPARE(pList->horizontalHeader()->sectionSize(1), 80);
        pList->ShowRecords(NODE_PROG, 0);
        QCOMPARE(pList->horizontalHeader()->sectionSize(2), 210); // also within the run
        QVERIFY(m_pFrame->close());

        NewFrame();
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        QCOMPARE(m_pFrame->size(), QSize(820, 540));
        QCOMPARE(m_pFrame->GetSplitter()->sizes().at(0), 250);
        LoadSample();
        pList = m_pFrame->GetListView();
        pList->ShowRecords(NODE_SAT, INVALID_ID);
        QCOMPARE(pList->horizontalHeader()->sectionSize(1), 150);
        QCOMPARE(pList->horizontalHeader()->sectionSize(2), 80);
        pList->ShowRecords(NODE_PROG, INVALID_ID);
        QCOMPARE(pList->horizontalHeader()->sectionSize(2), 210);
        pList->ShowRecords(NODE_TP, INVALID_ID);
        QCOMPARE(pList->horizontalHeader()->sectionSize(1), 80);
    }

    void NextAndPreviousPaneMoveTheFocus()
    {
        m_pFrame->show();
        m_pFrame->GetTreeView()->setFocus();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetTreeView());
        Action("actionNextPane")->trigger();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetListView());
        Action("actionNextPane")->trigger();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetTreeView());
        Action("actionPrevPane")->trigger();
        QVERIFY(m_pFrame->focusWidget() == m_pFrame->GetListView());
        QCOMPARE(Action("actionNextPane")->shortcut(), QKeySequence(Qt::Key_F6));
        QCOMPARE(Action("actionPrevPane")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    }

    void EncodingMenuSwitchesAndRemembersTheCodePage()
    {
        const uint32_t nOld = CodePage::GetAnsiCodePage();
        QMenu* pEncoding = m_pFrame->findChild<QMenu*>("menuEncoding");
        QVERIFY(pEncoding);
        QCOMPARE(pEncoding->actions().size(), 16);
        for (uint32_t cp : {1252u, 936u, 950u, 932u, 949u, 1250u, 1251u, 1253u, 1258u, 874u, 28591u, 65001u})
            QVERIFY(Action(qPrintable(QStringLiteral("actionCodePage%1").arg(cp))));

        LoadSample();
        Trigger("actionCodePage936");
        QCOMPARE(CodePage::GetAnsiCodePage(), 936u);
        QVERIFY(Action("actionCodePage936")->isChecked());
        QVERIFY(!Action("actionCodePage1252")->isChecked());
        QCOMPARE(m_pFrame->GetTreeView()->GetSatGroupItem()->child(1)->text(0), QString::fromUtf8("中星6B"));
        QCOMPARE(QSettings().value("Settings/CodePage").toUInt(), 936u);

        // A new frame starts with the remembered code page.
        CodePage::SetAnsiCodePage(1252);
        NewFrame();
        QCOMPARE(CodePage::GetAnsiCodePage(), 936u);
        QVERIFY(Action("actionCodePage936")->isChecked());

        QSettings().remove("Settings/CodePage");
        CodePage::SetAnsiCodePage(nOld);
    }

    void AboutBoxShowsVersionAndBuildDate()
    {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Pelmora"));
        QCOMPARE(dlg.GetVersionText(), QStringLiteral("Ravelin Advanced  V1.0.0.150"));
        QCOMPARE(dlg.GetBuildDateText(), QStringLiteral("Build date: 2012/10/18 10:58:38"));

        int nShown = 0;
        m_pFrame->SetAboutHandler([&nShown] { ++nShown; });
        Trigger("actionAbout");
        QCOMPARE(nShown, 1);
    }

    void ApplicationStartsWithTheSample()
    {
        auto* pApp = qobject_cast<CPelmoraApp*>(qApp);
        QVERIFY(pApp);
        QVERIFY(!pApp->InitInstance({QStringLiteral("--bogus")}));
        QVERIFY(pApp->InitInstance({QStringLiteral("--sample")}));
        CMainFrame* pFrame = pApp->GetMainFrame();
        QVERIFY(pFrame && pFrame->isVisible());
        QCOMPARE(pFrame->windowTitle(), QStringLiteral("Sample - Ravelin Advanced"));
        QCOMPARE(pFrame->GetTreeView()->GetSatGroupItem()->child(0)->text(0), QStringLiteral("A3S"));

        // A file named on the command line is loaded without a dialog.
        const QString strPath = SampleDbFile();
        QVERIFY(pApp->InitInstance({strPath}));
        pFrame = pApp->GetMainFrame();
        QCOMPARE(pFrame->GetDb()->GetProgList().GetCount(), 2);
        QCOMPARE(pFrame->GetTreeView()->GetSatGroupItem()->childCount(), 2);

        CPelmoraApp::SetLastErrorMsg("forwarded");
        QCOMPARE(HasLastError(), 1);
        QCOMPARE(CPelmoraApp::GetLastErrorMsg(), std::string("forwarded"));
        CPelmoraApp::ClearLastError();
        QCOMPARE(CPelmoraApp::HasLastError(), 0);
        pFrame->close();
    }
};

RAVELIN_GUI_TEST_MAIN(CMainFrameTest)
#include "MainFrameTest.moc"
