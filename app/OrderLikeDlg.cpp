#include "app/OrderLikeDlg.h"

#include "db/ListMatch.h"
#include "db/ProgDb.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

COrderLikeDlg::COrderLikeDlg(const CProgDb& db, const CProgDb& ref, const CListMatch& match, QWidget* pParent)
    : QDialog(pParent), m_db(db), m_ref(ref), m_match(match)
{
    setObjectName("orderLikeDlg");
    setWindowTitle(QStringLiteral("Order Like Reference"));
    auto* pLayout = new QVBoxLayout(this);
    auto* pIntro =
        new QLabel(QStringLiteral("Put the satellites, transponders and programs into the order of "
                                  "the reference list; records it does not have follow."),
                   this);
    pIntro->setWordWrap(true);
    pLayout->addWidget(pIntro);
    m_pNames = new QCheckBox(QStringLiteral("Take the reference's &names"), this);
    m_pNames->setObjectName("namesBox");
    m_pFlags = new QCheckBox(QStringLiteral("Take the reference's &flags (Lock, Skip, Hide, FavType)"), this);
    m_pFlags->setObjectName("flagsBox");
    m_pAddMissing = new QCheckBox(QStringLiteral("&Add the reference's records this list lacks"), this);
    m_pAddMissing->setObjectName("addMissingBox");
    for (QCheckBox* pBox : {m_pNames, m_pFlags, m_pAddMissing}) {
        pLayout->addWidget(pBox);
        connect(pBox, &QCheckBox::toggled, this, &COrderLikeDlg::UpdateSummary);
    }
    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName("orderSummary");
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pLayout->addWidget(m_pSummary);
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(m_pButtons);
    UpdateSummary();
}

COrderOptions COrderLikeDlg::GetOptions() const
{
    COrderOptions options;
    options.bNames = m_pNames->isChecked();
    options.bFlags = m_pFlags->isChecked();
    options.bAddMissing = m_pAddMissing->isChecked();
    return options;
}

void COrderLikeDlg::SetOptions(const COrderOptions& options)
{
    m_pNames->setChecked(options.bNames);
    m_pFlags->setChecked(options.bFlags);
    m_pAddMissing->setChecked(options.bAddMissing);
}

QString COrderLikeDlg::GetSummary() const
{
    return m_pSummary->text();
}

void COrderLikeDlg::UpdateSummary()
{
    const COrderOptions options = GetOptions();
    const COrderPlan plan = PlanOrderLike(m_db, m_ref, m_match, options);
    QStringList lines;
    for (const std::string& strLine : OrderSummaryLines(plan, m_match, options))
        lines << QString::fromStdString(strLine);
    if (options.bNames)
        lines << QStringLiteral("names changed: %1").arg(plan.nRenamed);
    if (options.bFlags)
        lines << QStringLiteral("programs with other flags: %1").arg(plan.nFlagged);
    if (plan.ChangesNothing())
        lines << QStringLiteral("The list is already like the reference.");
    m_pSummary->setText(lines.join(QLatin1Char('\n')));
    m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(!plan.ChangesNothing());
}
