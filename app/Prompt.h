#pragma once

#include "access/MessageSink.h"

#include <QString>

#include <cstdint>

class QWidget;

// Everything the frame asks the user or tells the user goes through this interface: file dialogs,
// message boxes, the user-database address and the question about unsaved changes. The editor
// uses CQtPrompt; tests substitute an object that answers from a queue and records every message.
class IPrompt : public IMessageSink
{
public:
    // The answers to the question about unsaved changes.
    enum SaveChoice
    {
        CHOICE_SAVE,    // save them first, then go on
        CHOICE_DISCARD, // drop them and go on
        CHOICE_CANCEL,  // do not go on
    };

    // An Open dialog for an existing file. filter is in Qt's syntax ("Desc (*.ext);;...").
    // Returns the chosen full path, or an empty string when the user cancelled.
    virtual QString GetOpenFileName(const QString& strFilter) = 0;
    // The same with a title and several filters of which the user picks one: pnFilter gets its index
    // among the filters ("A(*.a);;B(*.b)": 0 or 1), -1 when it cannot be told.
    virtual QString GetOpenFileNameOf(const QString& strTitle, const QString& strFilter, int* pnFilter) = 0;

    // A Save As dialog proposing strDefaultName, adding strDefaultSuffix to a name typed without
    // one. With bMustExist only an existing file can be chosen (the target is changed in place);
    // otherwise choosing an existing file asks first whether to replace it. Empty when cancelled.
    virtual QString GetSaveFileName(const QString& strFilter, const QString& strDefaultName,
                                    const QString& strDefaultSuffix, bool bMustExist) = 0;

    // The "UserDb Config" question: 0 for "Auto" and for a cancelled dialog, else the address.
    // Without bAutoAllowed "Auto" is refused and only an address or Cancel ends the dialog.
    virtual uint32_t AskUserDbAddr(bool bAutoAllowed) = 0;

    // The database has changes that are not saved, and is about to be replaced or closed:
    // save them, discard them, or cancel what was about to happen.
    virtual SaveChoice AskSaveChanges() = 0;

    // A question answered with Yes (true) or No (false, also for a dialog closed otherwise), such as
    // the offer of a recovery copy at start.
    virtual bool AskYesNo(const QString& strText, const QString& strCaption) = 0;
};

// The real dialogs and message boxes, owned by the given window.
class CQtPrompt : public IPrompt
{
public:
    explicit CQtPrompt(QWidget* pParent = nullptr) : m_pParent(pParent) {}
    void SetParent(QWidget* pParent) { m_pParent = pParent; }

    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon nIcon) override;
    QString GetOpenFileName(const QString& strFilter) override;
    QString GetOpenFileNameOf(const QString& strTitle, const QString& strFilter, int* pnFilter) override;
    QString GetSaveFileName(const QString& strFilter, const QString& strDefaultName,
                            const QString& strDefaultSuffix, bool bMustExist) override;
    uint32_t AskUserDbAddr(bool bAutoAllowed) override;
    SaveChoice AskSaveChanges() override;
    bool AskYesNo(const QString& strText, const QString& strCaption) override;

private:
    QWidget* m_pParent;
};
