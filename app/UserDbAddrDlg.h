#pragma once

#include "access/UserDbAddr.h"

#include <QDialog>

#include <cstdint>

class IMessageSink;
class QComboBox;

// "UserDb Config": asks where in a firmware image the user database lies, before a firmware reader
// reads the image. "Auto" and two fixed addresses are offered; any other address can be typed in
// hexadecimal. The result is 0 for "Auto" (and after Cancel), otherwise the address. For a layout
// that is never searched for, "Auto" is refused and the dialog stays open for an address.
class CUserDbAddrDlg : public QDialog, public IUserDbAddrSource
{
    Q_OBJECT

public:
    // Refusals of the typed text ("The address can not be empty!", ...) are shown through sink.
    explicit CUserDbAddrDlg(IMessageSink& sink, QWidget* pParent = nullptr);

    // Runs the dialog modally; the address after OK, 0 after Cancel.
    uint32_t AskUserDbAddr(bool bAutoAllowed) override;
    // Whether OK accepts "Auto" (true until AskUserDbAddr says otherwise).
    void SetAutoAllowed(bool bAutoAllowed) { m_bAutoAllowed = bAutoAllowed; }

    uint32_t GetAddr() const { return m_nAddr; }
    QComboBox* GetComboBox() const { return m_pCombo; }

    // OK: closes with the result, or shows why the text is refused and stays open.
    void accept() override;

private:
    IMessageSink& m_sink;
    QComboBox* m_pCombo = nullptr;
    uint32_t m_nAddr = 0;
    bool m_bAutoAllowed = true;
};
