#include "app/PelmoraApp.h"

#include "access/LastError.h"
#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/Prompt.h"
#include "app/Recovery.h"

#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QLineEdit>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdio>

// Resources of the static GUI library must be registered by name, outside any namespace.
static void InitGuiResources()
{
    Q_INIT_RESOURCE(ravelin);
}

CPelmoraApp::CPelmoraApp(int& argc, char** argv) : QApplication(argc, argv)
{
    InitGuiResources();
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    setApplicationName(QStringLiteral("Ravelin"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ravelin.png")));
}

CPelmoraApp::~CPelmoraApp()
{
    m_pFrame.reset();
}

bool CPelmoraApp::InitInstance(const QStringList& args)
{
    bool bSample = false;
    QString strFile;
    QString strScreenshot;
    for (int i = 0; i < args.size(); ++i) {
        const QString& strArg = args[i];
        if (strArg == QLatin1String("--sample")) {
            bSample = true;
        } else if (strArg == QLatin1String("--screenshot") && i + 1 < args.size()) {
            strScreenshot = args[++i];
        } else if (strArg.startsWith(QLatin1String("--")) || !strFile.isEmpty()) {
            std::fprintf(stderr, "usage: ravelin [FILE.db | FILE.xls | --sample] [--screenshot FILE.png]\n");
            return false;
        } else {
            strFile = strArg;
        }
    }
    if (bSample && !strFile.isEmpty()) {
        std::fprintf(stderr, "usage: ravelin [FILE.db | FILE.xls | --sample] [--screenshot FILE.png]\n");
        return false;
    }

    m_pPrompt = std::make_unique<CQtPrompt>();
    m_pFrame = std::make_unique<CMainFrame>(*m_pPrompt);
    m_pPrompt->SetParent(m_pFrame.get());
    m_pFrame->SetAboutHandler([this] { OnAppAbout(); });
    m_pFrame->show();

    if (bSample)
        m_pFrame->OpenSample();
    else if (!strFile.isEmpty())
        m_pFrame->OpenFile(strFile);
    if (strScreenshot.isEmpty())
        m_pFrame->GetRecovery()->OfferStaleCopies(); // a dead editor's unsaved changes
    else
        QTimer::singleShot(300, this, [this, strScreenshot] { SaveScreenshot(strScreenshot); });
    return true;
}

void CPelmoraApp::SaveScreenshot(const QString& strPath)
{
    // The first satellite expanded, its first transponder selected: the list shows its programs
    // sorted by name, the other way round, the first renamed (so Undo has a step) and the second
    // one's name being typed.
    CProgBrowseView* pTree = m_pFrame->GetTreeView();
    QTreeWidgetItem* pSats = pTree->GetSatGroupItem();
    if (pSats && pSats->childCount() > 0) {
        pSats->setExpanded(true);
        QTreeWidgetItem* pSat = pSats->child(0);
        pSat->setExpanded(true);
        pTree->setCurrentItem(pSat->childCount() > 0 ? pSat->child(0) : pSat);
    }
    CProgListView* pList = m_pFrame->GetListView();
    const int nName = pList->GetNameColumn();
    if (pList->GetRowCount() > 1 && pList->GetKind() == NODE_PROG) {
        pList->SortByColumn(nName, true);
        pList->SetCellText(0, nName, pList->GetModel()->CellText(0, nName) + QStringLiteral(" HD"));
        pList->clearSelection();
        pList->SelectRow(1);
        pList->setFocus();
        pList->EditCell(1, nName);
        if (auto* pEditor = qobject_cast<QLineEdit*>(pList->indexWidget(pList->currentIndex()))) {
            pEditor->setText(pEditor->text() + QStringLiteral(" TV"));
            pEditor->deselect();
        }
    } else {
        pTree->setFocus();
    }
    processEvents();
    const bool bSaved = m_pFrame->grab().save(strPath, "PNG");
    if (!bSaved)
        std::fprintf(stderr, "ravelin: cannot write %s\n", qPrintable(strPath));
    exit(bSaved ? 0 : 1);
}

void CPelmoraApp::OnAppAbout()
{
    CAboutDlg dlg(m_pFrame.get());
    dlg.exec();
}

void CPelmoraApp::SetLastErrorMsg(const std::string& strText)
{
    ::SetLastErrorMsg(strText);
}

int32_t CPelmoraApp::HasLastError()
{
    return ::HasLastError();
}

std::string CPelmoraApp::GetLastErrorMsg()
{
    return ::GetLastErrorMsg();
}

void CPelmoraApp::ClearLastError()
{
    ::ClearLastError();
}
