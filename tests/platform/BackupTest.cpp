#include "platform/Backup.h"

#include "platform/FileIO.h"
#include "tests/TestUtil.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& strPath)
{
    struct stat st;
    return ::lstat(strPath.c_str(), &st) == 0;
}

int EntryCount(const CTempDir& dir)
{
    int n = 0;
    if (DIR* pDir = ::opendir(dir.Path().c_str())) {
        while (const dirent* pEntry = ::readdir(pDir))
            n += std::string(pEntry->d_name) != "." && std::string(pEntry->d_name) != ".." ? 1 : 0;
        ::closedir(pDir);
    }
    return n;
}

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Writes a file as a save would, after asking the keeper; false when the keeper refused.
bool Save(CBackupKeeper& keeper, const std::string& strPath, const std::string& strText)
{
    std::string strError;
    if (!keeper.BeforeOverwrite(strPath, strError))
        return false;
    WriteText(strPath, strText);
    return true;
}

} // namespace

// A run of saves onto the same files: only the first overwrite of an existing file copies it, an
// existing backup is never replaced, and a file the run creates gets none.
TEST(Backup, KeepsTheOldestOriginalOnce)
{
    CTempDir dir;
    const std::string strFile = dir.File("channels.db");
    const std::string strKept = dir.File("kept.db");
    const std::string strNew = dir.File("new.db");
    WriteText(strFile, "original");
    WriteText(strKept, "second original");
    WriteText(CBackupKeeper::BackupPath(strKept), "first original");
    ::chmod(strFile.c_str(), 0640);

    CBackupKeeper keeper;
    EXPECT_EQ(CBackupKeeper::BackupPath(strFile), strFile + ".bak");
    ASSERT_TRUE(Save(keeper, strFile, "save 1"));
    EXPECT_EQ(ReadText(strFile + ".bak"), "original");
    struct stat st;
    ASSERT_EQ(::stat((strFile + ".bak").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Later saves in the run, also under another spelling of the path, leave the backup alone.
    ASSERT_TRUE(Save(keeper, strFile, "save 2"));
    const std::string strDirName = dir.Path().substr(dir.Path().rfind('/') + 1);
    ASSERT_TRUE(Save(keeper, dir.Path() + "/./../" + strDirName + "/channels.db", "save 3"));
    EXPECT_EQ(ReadText(strFile + ".bak"), "original");
    EXPECT_EQ(ReadText(strFile), "save 3");

    ASSERT_TRUE(Save(keeper, strKept, "save"));
    EXPECT_EQ(ReadText(strKept + ".bak"), "first original");

    ASSERT_TRUE(Save(keeper, strNew, "created"));
    ASSERT_TRUE(Save(keeper, strNew, "overwritten"));
    EXPECT_FALSE(Exists(strNew + ".bak"));

    // A new run keeps the backup of the first one, too.
    CBackupKeeper next;
    ASSERT_TRUE(Save(next, strFile, "next run"));
    EXPECT_EQ(ReadText(strFile + ".bak"), "original");
    // Only the files and their backups are left: no temporary file.
    EXPECT_EQ(EntryCount(dir), 5);
}

// A backup that cannot be written refuses the overwrite with a reason, leaves no partial backup,
// and is tried again the next time.
TEST(Backup, RefusesTheOverwriteWhenTheCopyFails)
{
    CTempDir dir;
    // A name that fits, but not with ".bak" behind it.
    const std::string strLong = dir.File(std::string(253, 'f'));
    WriteBytes(strLong, Bytes("image"));
    CBackupKeeper keeper;
    std::string strError;
    EXPECT_FALSE(keeper.BeforeOverwrite(strLong, strError));
    EXPECT_NE(strError.find(".bak"), std::string::npos) << strError;
    strError.clear();
    EXPECT_FALSE(keeper.BeforeOverwrite(strLong, strError));
    EXPECT_FALSE(strError.empty());
    EXPECT_EQ(EntryCount(dir), 1);

    // A folder in place of the file is nothing to keep: the write itself will fail there.
    const std::string strDir = dir.File("folder.db");
    ASSERT_EQ(::mkdir(strDir.c_str(), 0755), 0);
    EXPECT_TRUE(keeper.BeforeOverwrite(strDir, strError));
    EXPECT_FALSE(Exists(strDir + ".bak"));
}

// Names up to the folder's limit of 255 bytes are saved and backed up: the temporary files beside
// them must not be named after them.
TEST(Backup, LongestNamesAreSavedAndBackedUp)
{
    CTempDir dir;
    for (size_t nLength : {200u, 251u, 255u}) {
        SCOPED_TRACE(nLength);
        const std::string strFile = dir.File(std::string(nLength - 3, 'n') + ".db");
        std::string strError;
        ASSERT_EQ(WriteFileAtomic(strFile, "one", 3, strError), WriteResult::Ok) << strError;
        ASSERT_EQ(WriteFileAtomic(strFile, "two", 3, strError), WriteResult::Ok) << strError;
        EXPECT_EQ(ReadText(strFile), "two");
        if (nLength + 4 <= 255) {
            CBackupKeeper keeper;
            ASSERT_TRUE(keeper.BeforeOverwrite(strFile, strError)) << strError;
            EXPECT_EQ(ReadText(strFile + ".bak"), "two");
        }
    }
    EXPECT_EQ(EntryCount(dir), 5); // three files and two backups, no temporary file left
}
