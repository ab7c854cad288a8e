#include "app/UserDbAddrDlg.h"

#include "access/MessageSink.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CUserDbAddrDlg::CUserDbAddrDlg(IMessageSink& sink, QWidget* pParent) : QDialog(pParent), m_sink(sink)
{
    setObjectName("userDbAddrDlg");
    setWindowTitle(QString::fromLatin1(USERDB_ADDR_CAPTION));

    m_pCombo = new QComboBox(this);
    m_pCombo->setObjectName("addrCombo");
    m_pCombo->setEditable(true);
    m_pCombo->setInsertPolicy(QComboBox::NoInsert);
    m_pCombo->setMinimumWidth(160);
    for (const char* pszItem : USERDB_ADDR_ITEMS)
        m_pCombo->addItem(QString::fromLatin1(pszItem));
    m_pCombo->setCurrentIndex(USERDB_ADDR_AUTO_ITEM);

    auto* pAddrRow = new QHBoxLayout;
    pAddrRow->addWidget(new QLabel(QString::fromLatin1(USERDB_ADDR_PREFIX), this));
    pAddrRow->addWidget(m_pCombo, 1);

    auto* pButtons = new QDialogButtonBox(this);
    QPushButton* pOk = pButtons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    pOk->setObjectName("okButton");
    pOk->setDefault(true);
    pButtons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole)->setObjectName("cancelButton");
    connect(pButtons, &QDialogButtonBox::accepted, this, &CUserDbAddrDlg::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CUserDbAddrDlg::reject);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(new QLabel(QString::fromLatin1(USERDB_ADDR_PROMPT), this));
    pLayout->addLayout(pAddrRow);
    pLayout->addWidget(pButtons);
}

uint32_t CUserDbAddrDlg::AskUserDbAddr(bool bAutoAllowed)
{
    m_bAutoAllowed = bAutoAllowed;
    return exec() == QDialog::Accepted ? m_nAddr : 0;
}

void CUserDbAddrDlg::accept()
{
    // Typing into the edit field leaves no item selected, unless the text is an item's text.
    const QString strText = m_pCombo->currentText();
    const int nSelected = m_pCombo->findText(strText, Qt::MatchExactly | Qt::MatchCaseSensitive);
    uint32_t nAddr = 0;
    switch (ParseUserDbAddrChoice(nSelected, strText.toStdString(), nAddr, m_bAutoAllowed)) {
    case UserDbAddrParse::Empty:
        m_sink.ShowMessage(USERDB_ADDR_EMPTY_MSG, USERDB_ADDR_EMPTY_CAPTION, IMessageSink::ICON_WARNING);
        return;
    case UserDbAddrParse::NotHex:
        m_sink.ShowMessage(USERDB_ADDR_NOT_HEX_MSG, USERDB_ADDR_ERROR_CAPTION, IMessageSink::ICON_WARNING);
        return;
    case UserDbAddrParse::Zero:
        m_sink.ShowMessage(USERDB_ADDR_ZERO_MSG, USERDB_ADDR_ERROR_CAPTION, IMessageSink::ICON_WARNING);
        return;
    case UserDbAddrParse::AutoRefused:
        m_sink.ShowMessage(USERDB_ADDR_NEEDED_MSG, USERDB_ADDR_ERROR_CAPTION, IMessageSink::ICON_WARNING);
        return;
    case UserDbAddrParse::Ok:
        break;
    }
    m_nAddr = nAddr;
    QDialog::accept();
}
