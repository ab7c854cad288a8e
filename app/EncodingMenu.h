#pragma once

#include <QObject>

#include <cstdint>

class QActionGroup;
class QMenu;

// View > Encoding: the code pages record names can be shown and exchanged in, one checkable
// command each ("936 - Chinese Simplified", object name "actionCodePage936"), the current one
// checked. Choosing one switches the process-wide code page and remembers it in the settings
// ("Settings/CodePage"), where RestoreCodePage finds it at the next start.
class CEncodingMenu : public QObject
{
    Q_OBJECT

public:
    // Adds the "&Encoding" submenu to pViewMenu. The menu owns the commands; pParent owns this.
    CEncodingMenu(QMenu* pViewMenu, QObject* pParent);

    // Switches to nCodePage, remembers it and checks its command; emits CodePageChanged.
    // A code page the platform cannot convert is ignored.
    void SetCodePage(uint32_t nCodePage);

    // Makes the remembered code page the current one, if there is one and it is supported.
    static void RestoreCodePage();
    // The code pages offered, in menu order, and the label of each ("" for one not offered).
    static const uint32_t* CodePages(int& nCount);
    static const char* CodePageLabel(uint32_t nCodePage);

signals:
    // The code page changed: names on screen must be decoded again.
    void CodePageChanged(uint32_t nCodePage);

private:
    QActionGroup* m_pGroup = nullptr;
};
