#include "views/CellDelegate.h"

#include "db/Columns.h"
#include "views/ProgListModel.h"

#include <QComboBox>
#include <QLineEdit>

CCellDelegate::CCellDelegate(const CProgListModel* pModel, QObject* pParent)
    : QStyledItemDelegate(pParent), m_pModel(pModel)
{}

QStringList CCellDelegate::Choices(int nColumn) const
{
    const CColumn* pCol = GetColumn(m_pModel->GetColumns(), nColumn);
    QStringList choices;
    if (pCol && pCol->nSource == CColumn::SRC_LNB_FREQ) {
        for (uint32_t nFreq : LnbFreqTable)
            choices << QString::number(nFreq);
    } else if (pCol && pCol->pField == &TpField::Polar) {
        choices << QString::fromLatin1(PolarName(0)) << QString::fromLatin1(PolarName(1));
    }
    return choices;
}

QWidget* CCellDelegate::createEditor(QWidget* pParent, const QStyleOptionViewItem&,
                                     const QModelIndex& index) const
{
    const QStringList choices = Choices(index.column());
    if (choices.isEmpty()) {
        auto* pEdit = new QLineEdit(pParent);
        pEdit->setObjectName("cellEdit");
        pEdit->setFrame(false);
        return pEdit;
    }
    auto* pCombo = new QComboBox(pParent);
    pCombo->setObjectName("cellCombo");
    pCombo->addItems(choices);
    // A choice commits at once, as typing Enter would.
    connect(pCombo, &QComboBox::activated, this, [this, pCombo] {
        emit const_cast<CCellDelegate*>(this)->commitData(pCombo);
        emit const_cast<CCellDelegate*>(this)->closeEditor(pCombo);
    });
    return pCombo;
}

void CCellDelegate::setEditorData(QWidget* pEditor, const QModelIndex& index) const
{
    const QString strText = index.data(Qt::EditRole).toString();
    if (auto* pCombo = qobject_cast<QComboBox*>(pEditor)) {
        // Polar is shown as 0 or 1, offered as H or V.
        const QStringList choices = Choices(index.column());
        int nIndex = choices.indexOf(strText);
        if (nIndex < 0 && choices.size() == 2)
            nIndex = strText == QLatin1String("1") ? 1 : 0;
        pCombo->setCurrentIndex(nIndex);
    } else if (auto* pEdit = qobject_cast<QLineEdit*>(pEditor)) {
        pEdit->setText(strText);
        pEdit->selectAll();
    }
}

void CCellDelegate::setModelData(QWidget* pEditor, QAbstractItemModel*, const QModelIndex& index) const
{
    QString strText;
    if (auto* pCombo = qobject_cast<QComboBox*>(pEditor))
        strText = pCombo->currentText();
    else if (auto* pEdit = qobject_cast<QLineEdit*>(pEditor))
        strText = pEdit->text();
    // Leaving a cell as it was shown changes nothing: an LNB index outside the table is shown as
    // the table's first frequency, and would otherwise become that index.
    if (strText == index.data(Qt::EditRole).toString())
        return;
    if (m_fnCommit)
        m_fnCommit(index, strText);
}
