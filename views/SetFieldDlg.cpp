#include "views/SetFieldDlg.h"

#include "db/Columns.h"
#include "edit/EditCommand.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSetFieldDlg::CSetFieldDlg(int32_t nKind, int nRows, QWidget* pParent) : QDialog(pParent), m_nKind(nKind)
{
    setObjectName("setFieldDlg");
    setWindowTitle(QStringLiteral("Set Field"));
    setModal(true);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(
        new QLabel(QStringLiteral("Set one field on %1:")
                       .arg(QString::fromStdString(CountText(static_cast<size_t>(nRows), nKind))),
                   this));
    auto* pForm = new QFormLayout;
    m_pColumnCombo = new QComboBox(this);
    m_pColumnCombo->setObjectName("columnCombo");
    // Each entry keeps its column index: read-only columns are left out.
    for (int c = 0; c < GetColumnCount(nKind); ++c) {
        const CColumn* pCol = ::GetColumn(nKind, c);
        if (!pCol->bReadOnly)
            m_pColumnCombo->addItem(QString::fromLatin1(pCol->pszHeading), c);
    }
    m_pValueCombo = new QComboBox(this);
    m_pValueCombo->setObjectName("valueCombo");
    m_pValueCombo->setEditable(true);
    m_pValueCombo->setInsertPolicy(QComboBox::NoInsert);
    m_pValueCombo->setMinimumContentsLength(16);
    pForm->addRow(QStringLiteral("&Field:"), m_pColumnCombo);
    pForm->addRow(QStringLiteral("&Value:"), m_pValueCombo);
    pLayout->addLayout(pForm);
    m_pMessage = new QLabel(this);
    m_pMessage->setObjectName("messageLabel");
    m_pMessage->setWordWrap(true);
    pLayout->addWidget(m_pMessage);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOkButton = pButtons->button(QDialogButtonBox::Ok);
    m_pOkButton->setObjectName("okButton");
    m_pOkButton->setEnabled(m_pColumnCombo->count() > 0);
    pLayout->addWidget(pButtons);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CSetFieldDlg::OnOK);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pColumnCombo, &QComboBox::currentIndexChanged, this, &CSetFieldDlg::OnColumnChanged);
    OnColumnChanged();
}

bool CSetFieldDlg::SetColumn(int nColumn)
{
    const int nIndex = m_pColumnCombo->findData(nColumn);
    if (nIndex < 0)
        return false;
    m_pColumnCombo->setCurrentIndex(nIndex);
    return true;
}

int CSetFieldDlg::GetColumn() const
{
    return m_pColumnCombo->currentIndex() < 0 ? -1 : m_pColumnCombo->currentData().toInt();
}

QString CSetFieldDlg::GetText() const
{
    return m_pValueCombo->currentText();
}

void CSetFieldDlg::OnColumnChanged()
{
    // The choices of the column; any other value is typed.
    const CColumn* pCol = ::GetColumn(m_nKind, GetColumn());
    m_pValueCombo->clear();
    if (pCol && pCol->nSource == CColumn::SRC_LNB_FREQ) {
        for (uint32_t nFreq : LnbFreqTable)
            m_pValueCombo->addItem(QString::number(nFreq));
    } else if (pCol && pCol->pField == &TpField::Polar) {
        m_pValueCombo->addItems({QString::fromLatin1(PolarName(0)), QString::fromLatin1(PolarName(1))});
    }
    m_pValueCombo->setEditable(m_pValueCombo->count() == 0);
    m_pMessage->clear();
}

void CSetFieldDlg::OnOK()
{
    CCellValue value;
    std::string strError;
    if (!ParseCellText(m_nKind, GetColumn(), GetText().toStdString(), value, strError)) {
        m_pMessage->setText(QString::fromStdString(strError));
        return;
    }
    accept();
}
