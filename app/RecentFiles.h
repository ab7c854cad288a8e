#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>

class QAction;
class QMenu;

// A file the editor loaded or saved, with the importer that reads it again: a format of the table
// of formats, and for a firmware image the user-database address that was given (0: "Auto").
struct RecentFile
{
    QString strPath;
    QString strFormat;
    uint32_t nAddr = 0;
};

// File > Recent Files: the last eight files loaded or saved, newest first, one command each
// ("&1 channels.db", "&2 download.bin (layout 2.5, 0x120000)"). The list is kept in the settings
// ("RecentFiles") after every change, so that each run starts with the last one's.
class CRecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int MAX_FILES = 8;

    // Adds the "Recent &Files" submenu to pFileMenu before pBefore (null: at its end) and fills it
    // from the settings. pParent owns this.
    CRecentFiles(QMenu* pFileMenu, QAction* pBefore, QObject* pParent);

    // Puts the file at the top; an entry of the same path goes, and so does the ninth.
    void Add(const RecentFile& file);
    // Drops the entry of that path (a file that no longer opens).
    void Remove(const QString& strPath);
    const QVector<RecentFile>& GetFiles() const { return m_files; }
    QMenu* GetMenu() const { return m_pMenu; }

signals:
    // The user chose an entry.
    void OpenRequested(const RecentFile& file);

private:
    void Load();
    void Save() const;
    void Rebuild();

    QMenu* m_pMenu = nullptr;
    QVector<RecentFile> m_files;
};
