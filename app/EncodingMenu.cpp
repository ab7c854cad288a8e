#include "app/EncodingMenu.h"

#include "platform/CodePage.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSettings>

namespace {

const char* const SETTINGS_CODEPAGE = "Settings/CodePage";

const uint32_t g_codePages[] = {1252, 936,  950,  932,  949,  1250, 1251,  1253,
                                1254, 1255, 1256, 1257, 1258, 874,  28591, 65001};

} // namespace

const uint32_t* CEncodingMenu::CodePages(int& nCount)
{
    nCount = static_cast<int>(sizeof(g_codePages) / sizeof(g_codePages[0]));
    return g_codePages;
}

const char* CEncodingMenu::CodePageLabel(uint32_t nCodePage)
{
    switch (nCodePage) {
    case 1252:
        return "Western European";
    case 936:
        return "Chinese Simplified";
    case 950:
        return "Chinese Traditional";
    case 932:
        return "Japanese";
    case 949:
        return "Korean";
    case 1250:
        return "Central European";
    case 1251:
        return "Cyrillic";
    case 1253:
        return "Greek";
    case 1254:
        return "Turkish";
    case 1255:
        return "Hebrew";
    case 1256:
        return "Arabic";
    case 1257:
        return "Baltic";
    case 1258:
        return "Vietnamese";
    case 874:
        return "Thai";
    case 28591:
        return "Latin-1 (ISO 8859-1)";
    case 65001:
        return "Unicode (UTF-8)";
    default:
        return "";
    }
}

void CEncodingMenu::RestoreCodePage()
{
    const uint32_t nSavedCp = QSettings().value(SETTINGS_CODEPAGE, 0u).toUInt();
    if (nSavedCp != 0 && CodePage::IsSupported(nSavedCp))
        CodePage::SetAnsiCodePage(nSavedCp);
}

CEncodingMenu::CEncodingMenu(QMenu* pViewMenu, QObject* pParent) : QObject(pParent)
{
    QMenu* pEncoding = pViewMenu->addMenu(QStringLiteral("&Encoding"));
    pEncoding->setObjectName("menuEncoding");
    m_pGroup = new QActionGroup(this);
    m_pGroup->setExclusive(true);
    const uint32_t nCurrent = CodePage::GetAnsiCodePage();
    for (uint32_t cp : g_codePages) {
        QAction* pAction = pEncoding->addAction(
            QStringLiteral("%1 - %2").arg(cp).arg(QString::fromLatin1(CodePageLabel(cp))));
        pAction->setObjectName(QStringLiteral("actionCodePage%1").arg(cp));
        pAction->setCheckable(true);
        pAction->setChecked(cp == nCurrent);
        pAction->setData(cp);
        pAction->setEnabled(CodePage::IsSupported(cp));
        m_pGroup->addAction(pAction);
        connect(pAction, &QAction::triggered, this, [this, cp] { SetCodePage(cp); });
    }
}

void CEncodingMenu::SetCodePage(uint32_t nCodePage)
{
    if (!CodePage::IsSupported(nCodePage))
        return;
    CodePage::SetAnsiCodePage(nCodePage);
    QSettings().setValue(SETTINGS_CODEPAGE, nCodePage);
    for (QAction* pAction : m_pGroup->actions())
        pAction->setChecked(pAction->data().toUInt() == nCodePage);
    emit CodePageChanged(nCodePage);
}
