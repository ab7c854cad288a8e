#include "views/ReferencePane.h"

#include "edit/Document.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"

#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

CReferencePane::CReferencePane(QWidget* pParent) : QWidget(pParent)
{
    setObjectName("referencePane");
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(2);
    m_pHeading = new QLabel(this);
    m_pHeading->setObjectName("referenceHeading");
    m_pHeading->setContentsMargins(4, 2, 4, 0);
    pLayout->addWidget(m_pHeading);
    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->setObjectName("referenceSplitter");
    m_pSplitter->setChildrenCollapsible(false);
    m_pTree = new CProgBrowseView(m_pSplitter);
    m_pTree->setObjectName("referenceTreeView");
    m_pList = new CProgListView(m_pSplitter);
    m_pList->setObjectName("referenceListView");
    m_pList->SetReadOnly(true);
    m_pSplitter->addWidget(m_pTree);
    m_pSplitter->addWidget(m_pList);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    pLayout->addWidget(m_pSplitter, 1);
    connect(m_pTree, &CProgBrowseView::RecordsRequested, m_pList, &CProgListView::ShowRecords);
}

CReferencePane::~CReferencePane()
{
    // The panes let go of the document before it can go.
    ShowDocument(nullptr);
}

void CReferencePane::ShowDocument(CDocument* pDoc)
{
    m_pDoc = pDoc;
    m_pTree->ShowDb(pDoc ? pDoc->GetDb() : nullptr);
    m_pList->ShowDocument(pDoc);
    m_pHeading->setText(pDoc ? QStringLiteral("Reference: %1").arg(QString::fromStdString(pDoc->GetName()))
                             : QString());
}
