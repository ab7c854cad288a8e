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

QString CQtPrompt::GetSaveFileName(const QString& strFilter, const QString& strDefaultName,
                                   const QString& strDefaultSuffix, bool bMustExist)
{
    QFileDialog dlg(m_pParent);
    dlg.setNameFilters(strFilter.split(QStringLiteral(";;")));
    dlg.setAcceptMode(bMustExist ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(bMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setLabelText(QFileDialog::Accept, QFileDialog::tr("&Save"));
    dlg.setWindowTitle(QFileDialog::tr("Save As"));
    // As the editor always did: choosing an existing file replaces it without asking.
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (!strDefaultSuffix.isEmpty())
        dlg.setDefaultSuffix(strDefaultSuffix);
    if (!strDefaultName.isEmpty())
        dlg.selectFile(strDefaultName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

uint32_t CQtPrompt::AskUserDbAddr()
{
    CUserDbAddrDlg dlg(*this, m_pParent);
    return dlg.AskUserDbAddr();
}

bool CQtPrompt::AskDiscardChanges()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Ravelin"),
                    QStringLiteral("Records were deleted or moved since the last load or save.\n"
                                   "Discard these changes?"),
                    QMessageBox::Discard | QMessageBox::Cancel, m_pParent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Discard;
}
