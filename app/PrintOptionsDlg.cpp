#include "app/PrintOptionsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

CPrintOptionsDlg::CPrintOptionsDlg(const SPrintOptions& options, int nListed, const QString& strCaption,
                                   QWidget* pParent)
    : QDialog(pParent), m_bListedAllowed(nListed > 0)
{
    setObjectName(QStringLiteral("printOptionsDlg"));
    setWindowTitle(strCaption);

    QGroupBox* pWhat = new QGroupBox(QStringLiteral("Programs"), this);
    m_pListed = new QRadioButton(
        QStringLiteral("As the &list shows them (%1)").arg(QLocale().toString(nListed)), pWhat);
    m_pListed->setObjectName(QStringLiteral("printListed"));
    m_pDatabase = new QRadioButton(QStringLiteral("The whole &database by satellite and transponder"), pWhat);
    m_pDatabase->setObjectName(QStringLiteral("printDatabase"));
    QVBoxLayout* pWhatLayout = new QVBoxLayout(pWhat);
    pWhatLayout->addWidget(m_pListed);
    pWhatLayout->addWidget(m_pDatabase);

    QGroupBox* pColumns = new QGroupBox(QStringLiteral("Beside number and name"), this);
    m_pTransponder =
        new QCheckBox(QStringLiteral("&Transponder (frequency/polarisation/symbol rate)"), pColumns);
    m_pTransponder->setObjectName(QStringLiteral("printTransponder"));
    m_pServiceId = new QCheckBox(QStringLiteral("&ServiceId"), pColumns);
    m_pServiceId->setObjectName(QStringLiteral("printServiceId"));
    m_pPids = new QCheckBox(QStringLiteral("&PIDs (VPID, APID, PCRPID, PmtPid)"), pColumns);
    m_pPids->setObjectName(QStringLiteral("printPids"));
    m_pFlags =
        new QCheckBox(QStringLiteral("&Flags (scrambled, locked, skipped, hidden, favourites)"), pColumns);
    m_pFlags->setObjectName(QStringLiteral("printFlags"));
    QVBoxLayout* pColumnsLayout = new QVBoxLayout(pColumns);
    for (QCheckBox* pBox : {m_pTransponder, m_pServiceId, m_pPids, m_pFlags}) {
        pColumnsLayout->addWidget(pBox);
        connect(pBox, &QCheckBox::toggled, this, &CPrintOptionsDlg::UpdateEnabled);
    }

    m_pEntryColumns = new QSpinBox(this);
    m_pEntryColumns->setObjectName(QStringLiteral("printEntryColumns"));
    m_pEntryColumns->setRange(1, 4);
    m_pEntryColumns->setToolTip(
        QStringLiteral("Number and name only: with a column ticked, one entry fills a line"));
    QFormLayout* pForm = new QFormLayout;
    pForm->addRow(QStringLiteral("&Columns of entries per page:"), m_pEntryColumns);

    QDialogButtonBox* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pWhat);
    pLayout->addWidget(pColumns);
    pLayout->addLayout(pForm);
    pLayout->addWidget(pButtons);

    m_pListed->setEnabled(m_bListedAllowed);
    SetOptions(options);
}

SPrintOptions CPrintOptionsDlg::GetOptions() const
{
    SPrintOptions options;
    options.nWhat = m_pListed->isChecked() ? SPrintOptions::WHAT_LISTED : SPrintOptions::WHAT_DATABASE;
    options.columns.bTransponder = m_pTransponder->isChecked();
    options.columns.bServiceId = m_pServiceId->isChecked();
    options.columns.bPids = m_pPids->isChecked();
    options.columns.bFlags = m_pFlags->isChecked();
    options.nEntryColumns = m_pEntryColumns->value();
    return options;
}

void CPrintOptionsDlg::SetOptions(const SPrintOptions& options)
{
    const bool bListed = options.nWhat == SPrintOptions::WHAT_LISTED && m_bListedAllowed;
    m_pListed->setChecked(bListed);
    m_pDatabase->setChecked(!bListed);
    m_pTransponder->setChecked(options.columns.bTransponder);
    m_pServiceId->setChecked(options.columns.bServiceId);
    m_pPids->setChecked(options.columns.bPids);
    m_pFlags->setChecked(options.columns.bFlags);
    m_pEntryColumns->setValue(options.nEntryColumns);
    UpdateEnabled();
}

void CPrintOptionsDlg::UpdateEnabled()
{
    m_pEntryColumns->setEnabled(!GetOptions().columns.Any());
}
