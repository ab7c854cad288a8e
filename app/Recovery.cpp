#include "app/Recovery.h"

#include "access/RecoveryFile.h"
#include "app/FileCommands.h"
#include "app/Prompt.h"
#include "db/ProgDb.h"
#include "edit/Document.h"
#include "formats/Formats.h"
#include "platform/CodePage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <vector>

namespace {

constexpr int DEFAULT_DELAY_MS = 3000;
// However often changes come, a pending write waits at most this many delays.
constexpr int MAX_POSTPONE = 10;
const QString COPY_SUFFIX = QStringLiteral(".rvr");
const QString LOCK_SUFFIX = QStringLiteral(".lock");
const char* const CAPTION = "Recovery";

// A lock that only a dead editor's leaves behind counts as stale: never by its age, since an editor
// may run for days.
std::unique_ptr<QLockFile> MakeLock(const QString& strCopyPath)
{
    auto pLock = std::make_unique<QLockFile>(strCopyPath + LOCK_SUFFIX);
    pLock->setStaleLockTime(0);
    return pLock;
}

// Takes the lock of a copy whose editor is gone: besides what QLockFile tells a dead editor by (its
// process is gone, or the machine was started again since), a lock that cannot be read counts as
// stale, since after a power cut the lock file may be left empty while the copy, which was synced, is
// whole. A live editor's lock is always whole while its copy exists: it is written first.
bool TakeLockOfGone(QLockFile& lock)
{
    if (lock.tryLock(0))
        return true;
    if (lock.error() != QLockFile::LockFailedError || lock.getLockInfo(nullptr, nullptr, nullptr))
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

// "14:02" today, "2024-05-03 14:02" another day.
QString WrittenAtText(int64_t nSecs)
{
    const QDateTime at = QDateTime::fromSecsSinceEpoch(nSecs);
    if (at.date() == QDate::currentDate())
        return at.toString(QStringLiteral("HH:mm"));
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString DocumentName(const RecoveryInfo& info)
{
    return info.strName.empty() ? QStringLiteral("the channel list") : QString::fromStdString(info.strName);
}

} // namespace

CRecovery::CRecovery(CDocument& doc, IPrompt& prompt, CFileCommands& files, QObject* pParent,
                     const QString& strFolder)
    : QObject(pParent), m_doc(doc), m_prompt(prompt), m_files(files),
      m_strFolder(strFolder.isEmpty() ? DefaultFolder() : strFolder)
{
    // Unique among editors running now and before: a dead editor's pid may come back.
    const QString strId = QUuid::createUuid().toString(QUuid::Id128).left(12);
    m_strCopyPath = QDir(m_strFolder)
                        .filePath(QStringLiteral("ravelin-%1-%2%3")
                                      .arg(QCoreApplication::applicationPid())
                                      .arg(strId, COPY_SUFFIX));
    m_timer.setSingleShot(true);
    m_timer.setInterval(DEFAULT_DELAY_MS);
    connect(&m_timer, &QTimer::timeout, this, [this] { WriteNow(); });
}

CRecovery::~CRecovery() = default;

QString CRecovery::DefaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

void CRecovery::SetDelay(int nMilliseconds)
{
    m_timer.setInterval(nMilliseconds);
}

void CRecovery::OnHistoryChanged()
{
    if (!m_doc.IsModified() || !m_doc.GetDb()) {
        Remove();
        return;
    }
    if (!m_timer.isActive())
        m_pending.start();
    else if (m_pending.elapsed() >= static_cast<qint64>(MAX_POSTPONE) * m_timer.interval())
        return; // changes keep coming: the pending write is not put off any further
    m_timer.start();
}

bool CRecovery::WriteNow()
{
    m_timer.stop();
    if (!m_doc.IsModified() || !m_doc.GetDb())
        return false;
    QString strError;
    if (!QDir().mkpath(m_strFolder)) {
        strError = QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(m_strFolder));
    } else if (!m_pLock) {
        // The lock first: a copy seen without one would be taken for a dead editor's.
        m_pLock = MakeLock(m_strCopyPath);
        if (!m_pLock->tryLock(0)) {
            strError = QStringLiteral("cannot lock %1").arg(QDir::toNativeSeparators(m_pLock->fileName()));
            m_pLock.reset();
        }
    }
    if (strError.isEmpty()) {
        RecoveryInfo info;
        info.strPath = m_doc.GetPath();
        info.strFormat = m_doc.GetFormat();
        info.strName = m_doc.GetName();
        info.nCodePage = CodePage::GetAnsiCodePage();
        info.nWrittenAt = QDateTime::currentSecsSinceEpoch();
        std::string strWriteError;
        if (WriteRecoveryFile(m_strCopyPath.toStdString(), info, *m_doc.GetDb(), strWriteError))
            return true;
        strError = QString::fromStdString(strWriteError);
    }
    emit StatusMessage(
        QStringLiteral("The recovery copy of the unsaved changes could not be written: %1").arg(strError),
        10000);
    return false;
}

void CRecovery::Remove()
{
    m_timer.stop();
    if (!m_pLock)
        return;
    QFile::remove(m_strCopyPath);
    m_pLock->unlock(); // removes the lock file
    m_pLock.reset();
}

void CRecovery::RemoveStale(const QString& strPath, QLockFile& lock)
{
    QFile::remove(strPath);
    lock.unlock();
}

bool CRecovery::OfferStaleCopies()
{
    struct Stale
    {
        QString strPath;
        RecoveryInfo info;
        std::unique_ptr<QLockFile> pLock; // held while it is offered, so no other editor offers it too
    };
    std::vector<Stale> stale;
    const QDir dir(m_strFolder);
    for (const QString& strFile : dir.entryList({QLatin1Char('*') + COPY_SUFFIX}, QDir::Files)) {
        const QString strPath = dir.filePath(strFile);
        if (strPath == m_strCopyPath)
            continue;
        std::unique_ptr<QLockFile> pLock = MakeLock(strPath);
        if (!TakeLockOfGone(*pLock))
            continue; // its editor is running
        RecoveryInfo info;
        CProgDb db;
        std::string strError;
        switch (ReadRecoveryFile(strPath.toStdString(), info, &db, strError)) {
        case RecoveryRead::Ok:
            stale.push_back({strPath, std::move(info), std::move(pLock)});
            break;
        case RecoveryRead::Damaged:
            m_prompt.ShowMessage(
                QStringLiteral("A recovery copy of unsaved changes cannot be read and was removed:\n%1\n%2")
                    .arg(QDir::toNativeSeparators(strPath), QString::fromStdString(strError))
                    .toStdString(),
                CAPTION, IMessageSink::ICON_WARNING);
            RemoveStale(strPath, *pLock);
            break;
        case RecoveryRead::NewerVersion: // kept for the editor that wrote it
        case RecoveryRead::OpenFailed:
            break;
        }
    }
    // Locks of dead editors whose copy is gone go too.
    for (const QString& strFile :
         dir.entryList({QLatin1Char('*') + COPY_SUFFIX + LOCK_SUFFIX}, QDir::Files)) {
        const QString strPath = dir.filePath(strFile);
        const QString strCopy = strPath.left(strPath.size() - LOCK_SUFFIX.size());
        if (strCopy != m_strCopyPath && !QFileInfo::exists(strCopy))
            MakeLock(strCopy)->tryLock(0); // a stale one is taken over, then removed with its object
    }

    std::stable_sort(stale.begin(), stale.end(),
                     [](const Stale& a, const Stale& b) { return a.info.nWrittenAt > b.info.nWrittenAt; });
    for (Stale& s : stale) {
        const QString strQuestion = QStringLiteral("Recover the unsaved changes to %1 from %2?")
                                        .arg(DocumentName(s.info), WrittenAtText(s.info.nWrittenAt));
        if (!m_prompt.AskYesNo(strQuestion, QString::fromLatin1(CAPTION))) {
            RemoveStale(s.strPath, *s.pLock);
            continue;
        }
        if (!Recover(s.strPath))
            continue;
        RemoveStale(s.strPath, *s.pLock); // the changes are in this editor's own copy now
        return true;                      // the other copies stay for the next start
    }
    return false;
}

bool CRecovery::Recover(const QString& strPath)
{
    if (!m_files.ConfirmClose())
        return false;
    auto pDb = std::make_unique<CProgDb>();
    RecoveryInfo info;
    std::string strError;
    if (ReadRecoveryFile(strPath.toStdString(), info, pDb.get(), strError) != RecoveryRead::Ok) {
        m_prompt.ShowMessage(strError, CAPTION, IMessageSink::ICON_ERROR);
        return false;
    }
    if (info.nCodePage != CodePage::GetAnsiCodePage() && CodePage::IsSupported(info.nCodePage))
        emit CodePageRequested(info.nCodePage);

    const std::unique_ptr<CProgDb> pOld = m_doc.Replace(std::move(pDb));
    emit DocumentReplaced(); // the panes let go of the old database
    // Save goes back to the original file, in its format, when that format can be written.
    const FileFormat* pFormat = FindFormatByName(info.strFormat);
    if (pFormat && pFormat->fnMakeOut && !info.strPath.empty())
        m_doc.SetFile(info.strPath, pFormat->strName, info.strName);
    else
        m_doc.SetFile(std::string(), std::string(), info.strName);
    emit DocumentFileChanged();
    m_doc.GetHistory().SetUnsaved();
    WriteNow();
    emit StatusMessage(QStringLiteral("Recovered the unsaved changes to %1 from %2")
                           .arg(DocumentName(info), WrittenAtText(info.nWrittenAt)),
                       10000);
    return true;
}
