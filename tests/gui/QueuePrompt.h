#pragma once

// A prompt for the GUI tests: file dialogs, address questions, save and yes/no questions are answered
// from queues filled by the test, and every message and every dialog asked for is recorded. A
// question with no answer queued is recorded as unexpected and answered with "cancel".

#include "app/Prompt.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <string>
#include <vector>

class CQueuePrompt : public IPrompt
{
public:
    struct Message
    {
        std::string strText;
        std::string strCaption;
        Icon nIcon;
    };
    struct FileDialog
    {
        bool bSave;
        QString strFilter;
        QString strDefaultName;
        QString strDefaultSuffix;
        bool bMustExist;
    };

    std::deque<QString> files;          // an empty string cancels the dialog
    std::deque<uint32_t> addrs;         // answers of the address question
    std::deque<SaveChoice> saveAnswers; // answers of the question about unsaved changes
    std::deque<int> filterChoices;      // the filter chosen in an open dialog of several (-1 when empty)
    std::deque<bool> yesNoAnswers;      // answers of the yes/no questions (true: Yes)
    QStringList questions;              // the yes/no questions asked, as "caption|text"
    std::vector<Message> messages;
    std::vector<FileDialog> dialogs;
    std::vector<bool> addrAutoAllowed; // bAutoAllowed of each address question
    int nAddrQuestions = 0;
    int nSaveQuestions = 0;
    QStringList unexpected;

    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon nIcon) override
    {
        messages.push_back({strText, strCaption, nIcon});
    }
    QString GetOpenFileName(const QString& strFilter) override
    {
        dialogs.push_back({false, strFilter, QString(), QString(), true});
        return NextFile("open dialog");
    }
    QString GetOpenFileNameOf(const QString&, const QString& strFilter, int* pnFilter) override
    {
        dialogs.push_back({false, strFilter, QString(), QString(), true});
        if (pnFilter) {
            *pnFilter = filterChoices.empty() ? -1 : filterChoices.front();
            if (!filterChoices.empty())
                filterChoices.pop_front();
        }
        return NextFile("open dialog");
    }
    QString GetSaveFileName(const QString& strFilter, const QString& strDefaultName,
                            const QString& strDefaultSuffix, bool bMustExist) override
    {
        dialogs.push_back({true, strFilter, strDefaultName, strDefaultSuffix, bMustExist});
        return NextFile("save dialog");
    }
    uint32_t AskUserDbAddr(bool bAutoAllowed) override
    {
        ++nAddrQuestions;
        addrAutoAllowed.push_back(bAutoAllowed);
        if (addrs.empty()) {
            unexpected << QStringLiteral("address question");
            return 0;
        }
        uint32_t n = addrs.front();
        addrs.pop_front();
        return n;
    }
    SaveChoice AskSaveChanges() override
    {
        ++nSaveQuestions;
        if (saveAnswers.empty()) {
            unexpected << QStringLiteral("save question");
            return CHOICE_CANCEL;
        }
        const SaveChoice choice = saveAnswers.front();
        saveAnswers.pop_front();
        return choice;
    }

    bool AskYesNo(const QString& strText, const QString& strCaption) override
    {
        questions << strCaption + QLatin1Char('|') + strText;
        if (yesNoAnswers.empty()) {
            unexpected << QStringLiteral("yes/no question");
            return false;
        }
        const bool bYes = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return bYes;
    }

    // Every queued answer was used and nothing unexpected was asked.
    bool Drained() const
    {
        return files.empty() && addrs.empty() && saveAnswers.empty() && yesNoAnswers.empty() &&
               unexpected.isEmpty();
    }
    // The one message shown since the last Reset, as "caption|text"; "" when none, "<n messages>" for more.
    QString Only() const
    {
        if (messages.empty())
            return QString();
        if (messages.size() > 1)
            return QStringLiteral("<%1 messages>").arg(messages.size());
        return QString::fromStdString(messages[0].strCaption + "|" + messages[0].strText);
    }
    void Reset()
    {
        messages.clear();
        dialogs.clear();
    }

private:
    QString NextFile(const char* pszWhat)
    {
        if (files.empty()) {
            unexpected << QString::fromLatin1(pszWhat);
            return QString();
        }
        QString s = files.front();
        files.pop_front();
        return s;
    }
};
