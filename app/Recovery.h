#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

class CDocument;
class CFileCommands;
class IPrompt;
class QLockFile;

// Recovery copies of unsaved changes, so that a crash or a power cut loses at most the last few
// seconds of work.
//
// A few seconds after a change of the document's history, and while the document has unsaved
// changes, this editor writes its copy (access/RecoveryFile.h: every record, the document's file,
// format, name and the code page) atomically into its folder, by default "recovery" in the user's
// data folder. Each editor has a copy of its own, named uniquely, and holds a lock beside it
// ("<copy>.lock") while the copy exists. Saving, undoing back to the saved state, a load that
// replaces the document and a confirmed close remove the copy and the lock.
//
// At start, copies whose lock no running editor holds (its editor died) are offered through the
// prompt, newest first, until one is accepted: accepting loads it as modified with its original
// file and format, declining removes it. A copy that cannot be read is reported and removed; one of
// a newer editor is left alone.
class CRecovery : public QObject
{
    Q_OBJECT

public:
    // Watches doc; files loads through files (which asks about unsaved changes). Nothing is owned;
    // doc, prompt and files must outlive this. strFolder empty: DefaultFolder().
    CRecovery(CDocument& doc, IPrompt& prompt, CFileCommands& files, QObject* pParent,
              const QString& strFolder = QString());
    // Lets go of the lock but keeps the copy: an editor ended without a confirmed close (Remove)
    // leaves its unsaved changes to be offered at the next start.
    ~CRecovery() override;

    // "recovery" in the user's data folder (QStandardPaths::AppDataLocation).
    static QString DefaultFolder();
    const QString& GetFolder() const { return m_strFolder; }
    // The file this editor writes its copy to (whether it exists or not).
    const QString& GetCopyPath() const { return m_strCopyPath; }
    // How long after the last change the copy is written (3 s unless set). However often changes
    // follow each other, a copy is written at the latest ten such delays after the first one.
    void SetDelay(int nMilliseconds);

    // To be called after every change of the document's history: while there are unsaved changes,
    // the copy is written after the delay; without them it is removed.
    void OnHistoryChanged();
    // Writes the copy now. False, with a StatusMessage, when it could not be written (an older copy
    // is then kept) or when there is nothing unsaved to write.
    bool WriteNow();
    // Removes this editor's copy and its lock, and forgets a pending write: the changes were saved or
    // discarded.
    void Remove();

    // The offer at start (see above). True when a copy was loaded.
    bool OfferStaleCopies();

signals:
    // A recovered database replaced the document's: the panes show it (the old one is destroyed
    // right after this returns).
    void DocumentReplaced();
    // The document's file and name changed.
    void DocumentFileChanged();
    // The recovered copy was written in another code page than the present one.
    void CodePageRequested(uint32_t nCodePage);
    // A short note for the status bar.
    void StatusMessage(const QString& strText, int nTimeoutMs);

private:
    // Loads the copy at strPath into the document; false after a message when it cannot be read.
    bool Recover(const QString& strPath);
    // Deletes a copy of another editor and its lock file (held by pLock, released here).
    static void RemoveStale(const QString& strPath, QLockFile& lock);

    CDocument& m_doc;
    IPrompt& m_prompt;
    CFileCommands& m_files;
    QString m_strFolder;
    QString m_strCopyPath;
    QTimer m_timer;
    QElapsedTimer m_pending;            // since the first change the pending write waits for
    std::unique_ptr<QLockFile> m_pLock; // held while this editor's copy exists
};
