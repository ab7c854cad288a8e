#include "app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#ifndef RAVELIN_BUILD_NUMBER
#define RAVELIN_BUILD_NUMBER "0"
#endif
#ifndef RAVELIN_BUILD_TIME
#define RAVELIN_BUILD_TIME __DATE__ " " __TIME__
#endif

const char* const g_pszBuildNumber = RAVELIN_BUILD_NUMBER;
const char* const g_pszBuildTime = RAVELIN_BUILD_TIME;

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent)
{
    setObjectName("aboutDlg");
    setWindowTitle(QStringLiteral("About Pelmora"));

    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(QIcon(QStringLiteral(":/icons/ravelin.png")).pixmap(32, 32));
    pIcon->setAlignment(Qt::AlignTop);

    m_pVersion = new QLabel(
        QStringLiteral("Ravelin Advanced  V1.0.0.%1").arg(QString::fromLatin1(g_pszBuildNumber)), this);
    m_pVersion->setObjectName("versionLabel");
    m_pBuildDate =
        new QLabel(QStringLiteral("Build date: %1").arg(QString::fromLatin1(g_pszBuildTime)), this);
    m_pBuildDate->setObjectName("buildDateLabel");
    auto* pNote = new QLabel(QStringLiteral("Channel database editor for satellite receivers"), this);

    auto* pOk = new QPushButton(tr("OK"), this);
    pOk->setObjectName("okButton");
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* pLayout = new QGridLayout(this);
    pLayout->setHorizontalSpacing(16);
    pLayout->addWidget(pIcon, 0, 0, 3, 1);
    pLayout->addWidget(m_pVersion, 0, 1);
    pLayout->addWidget(m_pBuildDate, 1, 1);
    pLayout->addWidget(pNote, 2, 1);
    pLayout->addWidget(pOk, 0, 2, Qt::AlignTop);
}

QString CAboutDlg::GetVersionText() const
{
    return m_pVersion->text();
}

QString CAboutDlg::GetBuildDateText() const
{
    return m_pBuildDate->text();
}
