#include "app/Prompt.h"

#include "app/UserDbAddrDlg.h"

#include <QFileDialog>
#include <QMessageBox>

void CQtPrompt::ShowMessage(const std::string& strText, const std::string& strCaption, Icon nIcon)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (nIcon) {
    case ICON_ERROR:
        icon = QMessageBox::Critical;
        break;
    case ICON_WARNING:
        icon = QMessageBox::Warning;
        break;
    case ICON_INFORMATION:
        icon = QMessageBox::Information;
        break;
    case ICON_NONE:
        break;
    }
    QMessageBox box(icon, QString::fromStdString(strCaption), QString::fromStdString(strText),
                    QMessageBox::Ok, m_pParent);
    box.exec();
}

QString CQtPrompt::GetOpenFileName(const QString& strFilter)
{
    return QFileDialog::getOpenFileName(m_pParent, QString(), QString(), strFilter);
}

QString CQtPrompt::GetOpenFileNameOf(const QString& strTitle, const QString& strFilter, int* pnFilter)
{
    QString strChosen;
    const QString strPath =
        QFileDialog::getOpenFileName(m_pParent, strTitle, QString(), strFilter, &strChosen);
    if (pnFilter)
        *pnFilter = static_cast<int>(strFilter.split(QStringLiteral(";;")).indexOf(strChosen));
    return strPath;
}

QString CQtPrompt::GetSaveFileName(const QString& strFilter, const QString& strDefaultName,
                                   const QString& strDefaultSuffix, bool bMustExist)
{
    QFileDialog dlg(m_pParent);
    dlg.setNameFilters(strFilter.split(QStringLiteral(";;")));
    dlg.setAcceptMode(bMustExist ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(bMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setLabelText(QFileDialog::Accept, QFileDialog::tr("&Save"));
    dlg.setWindowTitle(QFileDialog::tr("Save As"));
    // A new file for the database: an existing one is replaced only after the dialog's question.
    // A firmware image to merge into must exist, so choosing it asks nothing.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, bMustExist);
    if (!strDefaultSuffix.isEmpty())
        dlg.setDefaultSuffix(strDefaultSuffix);
    if (!strDefaultName.isEmpty())
        dlg.selectFile(strDefaultName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

uint32_t CQtPrompt::AskUserDbAddr(bool bAutoAllowed)
{
    CUserDbAddrDlg dlg(*this, m_pParent);
    return dlg.AskUserDbAddr(bAutoAllowed);
}

IPrompt::SaveChoice CQtPrompt::AskSaveChanges()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Ravelin"),
                    QStringLiteral("The channel list has changes that are not saved.\n"
                                   "Save them first?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_pParent);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return CHOICE_SAVE;
    case QMessageBox::Discard:
        return CHOICE_DISCARD;
    default:
        return CHOICE_CANCEL;
    }
}

bool CQtPrompt::AskYesNo(const QString& strText, const QString& strCaption)
{
    QMessageBox box(QMessageBox::Question, strCaption, strText, QMessageBox::Yes | QMessageBox::No,
                    m_pParent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}
