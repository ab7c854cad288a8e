#include "app/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include <algorithm>

namespace {

const char* const SETTINGS_GROUP = "RecentFiles";

// "download.bin (layout 2.5, 0x120000)" for a firmware image, the file name otherwise.
QString Label(const RecentFile& file)
{
    const QString strName = QFileInfo(file.strPath).fileName();
    if (!file.strFormat.startsWith(QLatin1String("bin")))
        return strName;
    const QString strLayout =
        file.strFormat == QLatin1String("bin25") ? QStringLiteral("2.5") : QStringLiteral("2.0");
    const QString strAddr = file.nAddr == 0
                                ? QStringLiteral("Auto")
                                : QStringLiteral("0x") + QString::number(file.nAddr, 16).toUpper();
    return QStringLiteral("%1 (layout %2, %3)").arg(strName, strLayout, strAddr);
}

} // namespace

CRecentFiles::CRecentFiles(QMenu* pFileMenu, QAction* pBefore, QObject* pParent) : QObject(pParent)
{
    m_pMenu = new QMenu(QStringLiteral("Recent &Files"), pFileMenu);
    m_pMenu->setObjectName("menuRecentFiles");
    pFileMenu->insertMenu(pBefore, m_pMenu);
    Load();
    Rebuild();
}

void CRecentFiles::Add(const RecentFile& file)
{
    RecentFile entry = file;
    entry.strPath = QFileInfo(file.strPath).absoluteFilePath();
    Remove(entry.strPath);
    m_files.prepend(entry);
    if (m_files.size() > MAX_FILES)
        m_files.resize(MAX_FILES);
    Save();
    Rebuild();
}

void CRecentFiles::Remove(const QString& strPath)
{
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    const auto nBefore = m_files.size();
    m_files.erase(std::remove_if(m_files.begin(), m_files.end(),
                                 [&](const RecentFile& f) { return f.strPath == strAbsolute; }),
                  m_files.end());
    if (m_files.size() != nBefore) {
        Save();
        Rebuild();
    }
}

void CRecentFiles::Load()
{
    QSettings settings;
    const int nCount = settings.beginReadArray(QLatin1String(SETTINGS_GROUP));
    for (int i = 0; i < nCount && m_files.size() < MAX_FILES; ++i) {
        settings.setArrayIndex(i);
        RecentFile file;
        file.strPath = settings.value(QStringLiteral("path")).toString();
        file.strFormat = settings.value(QStringLiteral("format")).toString();
        file.nAddr = settings.value(QStringLiteral("addr"), 0u).toUInt();
        if (!file.strPath.isEmpty() && !file.strFormat.isEmpty())
            m_files.append(file);
    }
    settings.endArray();
}

void CRecentFiles::Save() const
{
    QSettings settings;
    settings.remove(QLatin1String(SETTINGS_GROUP));
    settings.beginWriteArray(QLatin1String(SETTINGS_GROUP), static_cast<int>(m_files.size()));
    for (int i = 0; i < m_files.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("path"), m_files[i].strPath);
        settings.setValue(QStringLiteral("format"), m_files[i].strFormat);
        settings.setValue(QStringLiteral("addr"), m_files[i].nAddr);
    }
    settings.endArray();
}

void CRecentFiles::Rebuild()
{
    m_pMenu->clear();
    for (int i = 0; i < m_files.size(); ++i) {
        const RecentFile file = m_files[i];
        QAction* pAction = m_pMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(Label(file)));
        pAction->setObjectName(QStringLiteral("actionRecentFile%1").arg(i + 1));
        pAction->setStatusTip(QDir::toNativeSeparators(file.strPath));
        pAction->setToolTip(QDir::toNativeSeparators(file.strPath));
        connect(pAction, &QAction::triggered, this, [this, file] { emit OpenRequested(file); });
    }
    m_pMenu->setEnabled(!m_files.isEmpty());
}
