#include "app/CheckDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Count(size_t n, const char* pszOne, const char* pszMany)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? pszOne : pszMany));
}

} // namespace

CCheckDlg::CCheckDlg(QWidget* pParent) : QDialog(pParent)
{
    setObjectName("checkDlg");
    setWindowTitle(QStringLiteral("Check Database"));
    resize(640, 360);

    m_pList = new QListWidget(this);
    m_pList->setObjectName("findingList");
    m_pList->setUniformItemSizes(true); // thousands of lines stay quick
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_pList, &QListWidget::itemActivated, this, &CCheckDlg::OnItemActivated);

    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName("summaryLabel");

    auto* pButtons = new QDialogButtonBox(this);
    m_pFix = pButtons->addButton(QStringLiteral("&Fix"), QDialogButtonBox::ActionRole);
    m_pFix->setObjectName("fixButton");
    QPushButton* pClose = pButtons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    pClose->setObjectName("closeButton");
    // Enter on a line selects its record; it must not press a button of the dialog as well.
    for (QPushButton* pButton : {m_pFix, pClose}) {
        pButton->setAutoDefault(false);
        pButton->setDefault(false);
    }
    connect(m_pFix, &QPushButton::clicked, this, &CCheckDlg::FixRequested);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CCheckDlg::reject);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pList, 1);
    pLayout->addWidget(m_pSummary);
    pLayout->addWidget(pButtons);

    SetFindings({});
}

void CCheckDlg::SetFindings(std::vector<CCheckFinding> findings)
{
    const int nCurrent = m_pList->currentRow();
    m_findings = std::move(findings);

    const QIcon fixableIcon = style()->standardIcon(QStyle::SP_DialogApplyButton);
    const QIcon otherIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    m_pList->clear();
    size_t nFixable = 0;
    for (const CCheckFinding& finding : m_findings) {
        auto* pItem = new QListWidgetItem(QString::fromStdString(FindingLine(finding)));
        pItem->setIcon(finding.bFixable ? fixableIcon : otherIcon);
        m_pList->addItem(pItem);
        nFixable += finding.bFixable ? 1 : 0;
    }
    if (m_pList->count() > 0)
        m_pList->setCurrentRow(std::clamp(nCurrent, 0, m_pList->count() - 1));

    if (m_findings.empty())
        m_pSummary->setText(QStringLiteral("No problems found"));
    else
        m_pSummary->setText(QStringLiteral("%1 found, %2 can be fixed")
                                .arg(Count(m_findings.size(), "problem", "problems"))
                                .arg(nFixable));
    m_pFix->setEnabled(nFixable > 0);
}

QString CCheckDlg::GetSummary() const
{
    return m_pSummary->text();
}

void CCheckDlg::OnItemActivated(QListWidgetItem* pItem)
{
    const int nRow = m_pList->row(pItem);
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_findings.size())
        return;
    const CCheckFinding& finding = m_findings[static_cast<size_t>(nRow)];
    emit RecordActivated(finding.nRecordKind, finding.nIndex, finding.nId);
}
