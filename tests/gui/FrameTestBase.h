#pragma once

// The fixture of the frame tests: a frame driven through its actions and an answering prompt,
// started in a temporary directory, which is also where the tests put their files and converters.
// Every queued answer must be used by the end of each test.

#include "QueuePrompt.h"
#include "TestDb.h"

#include "access/AccessDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "app/MainFrame.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

inline const QString DB_FILTER = QStringLiteral("Program Db File(*.db);;All Files (*.*)");
inline const QString BIN_FILTER = QStringLiteral("Binary File(*.bin);;All Files (*.*)");
inline constexpr qint64 FIRMWARE_SIZE = 0x200000;
inline constexpr qint64 USB_IMAGE_SIZE = 0x200200;

// A merge writer that marks the image: its first four bytes become "MRGD".
class CMarkingWriter : public CAccessOut
{
public:
    int nCalls = 0;
    bool bFail = false;
    bool SaveDb(const std::string& strPath, CProgDb*) override
    {
        ++nCalls;
        if (bFail) {
            SetLastErrorMsg("Invalid file format!");
            return false;
        }
        QFile f(QString::fromStdString(strPath));
        if (!f.open(QIODevice::ReadWrite))
            return false;
        f.write("MRGD", 4);
        return true;
    }
};

inline QByteArray ReadAll(const QString& strPath)
{
    QFile f(strPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString& strPath, const QByteArray& data)
{
    QFile f(strPath);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// An executable shell script standing in for the converter.
inline bool WriteScript(const QString& strPath, const QString& strBody)
{
    if (!WriteAll(strPath, ("#!/bin/sh\n" + strBody + "\n").toUtf8()))
        return false;
    return QFile::setPermissions(strPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A converter that makes an upgrade image of the right size from its source.
inline const QString CONVERTER_SCRIPT =
    QStringLiteral("cat \"$1\" > \"$2\" && head -c 512 /dev/zero >> \"$2\"");

class CFrameTestBase : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<CQueuePrompt> m_pPrompt;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_strOldCwd;

    QAction* Action(const char* pszName)
    {
        return m_pFrame->findChild<QAction*>(QString::fromLatin1(pszName));
    }
    QString Path(const QString& strName) const { return m_pDir->filePath(strName); }

    void Trigger(const char* pszName)
    {
        QAction* pAction = Action(pszName);
        QVERIFY2(pAction, pszName);
        QVERIFY2(pAction->isEnabled(), pszName);
        pAction->trigger();
    }

    // A new frame whose start-up directory is the test's temporary directory.
    void NewFrame()
    {
        m_pFrame.reset();
        QDir::setCurrent(m_pDir->path());
        m_pFrame = std::make_unique<CMainFrame>(*m_pPrompt);
        QDir::setCurrent(m_strOldCwd);
    }

    // A .db file holding the sample database.
    QString SampleDbFile(const QString& strName = QStringLiteral("sample.db"))
    {
        const QString strPath = Path(strName);
        CProgDb db;
        CAccessDummyIn().LoadDb("", &db);
        if (!CAccessDbOut().SaveDb(strPath.toStdString(), &db))
            return QString();
        return strPath;
    }

    void LoadSample()
    {
        QVERIFY(m_pFrame->OpenSample());
        m_pPrompt->Reset();
    }

    // Deletes the first program: the database then has unsaved changes.
    void DeleteAProgram()
    {
        m_pFrame->GetListView()->ShowRecords(NODE_PROG, INVALID_ID);
        m_pFrame->GetListView()->SelectRow(0);
        m_pFrame->GetListView()->DeleteSelected();
        QVERIFY(m_pFrame->IsModified());
    }

private slots:
    void init()
    {
        QSettings().clear(); // each test starts as a first run
        m_strOldCwd = QDir::currentPath();
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pDir->isValid());
        m_pPrompt = std::make_unique<CQueuePrompt>();
        ClearLastError();
        NewFrame();
    }

    void cleanup()
    {
        if (m_pPrompt)
            QVERIFY2(m_pPrompt->Drained(), qPrintable(m_pPrompt->unexpected.join(", ")));
        m_pFrame.reset();
        m_pPrompt.reset();
        QDir::setCurrent(m_strOldCwd);
        m_pDir.reset();
    }
};
