#include "platform/Backup.h"

#include "platform/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string ErrnoText(const std::string& strWhat)
{
    return strWhat + ": " + std::strerror(errno);
}

// The absolute path of strPath with links and ".." resolved; for a file that does not exist, that
// of its folder followed by its name. The path itself when neither can be resolved.
std::string CanonicalPath(const std::string& strPath)
{
    char buffer[PATH_MAX];
    if (::realpath(strPath.c_str(), buffer))
        return buffer;
    const size_t nSlash = strPath.find_last_of('/');
    const std::string strDir = nSlash == std::string::npos ? "."
                               : nSlash == 0               ? "/"
                                                           : strPath.substr(0, nSlash);
    const std::string strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    if (::realpath(strDir.c_str(), buffer))
        return std::string(buffer) + "/" + strName;
    return strPath;
}

bool WriteAll(int fd, const char* p, size_t n)
{
    while (n > 0) {
        const ssize_t nDone = ::write(fd, p, n);
        if (nDone < 0 && errno == EINTR)
            continue;
        if (nDone <= 0) {
            if (nDone == 0)
                errno = ENOSPC;
            return false;
        }
        p += nDone;
        n -= static_cast<size_t>(nDone);
    }
    return true;
}

// Copies the open file in to the new file out (both descriptors); false with errno set.
bool CopyData(int in, int out)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n)))
            return false;
    }
}

// Copies strPath to strBackup through a temporary file in the folder of strBackup, never replacing an
// existing strBackup. True when strBackup exists afterwards.
bool CopyToBackup(const std::string& strPath, const std::string& strBackup, std::string& strError)
{
    const int in = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        strError = ErrnoText("cannot read " + strPath);
        return false;
    }
    struct stat st;
    if (::fstat(in, &st) != 0) {
        strError = ErrnoText("cannot read " + strPath);
        ::close(in);
        return false;
    }

    std::string strTemp;
    const int out = CreateTempBeside(strBackup, strTemp);
    if (out < 0) {
        strError = ErrnoText("cannot create " + strBackup);
        ::close(in);
        return false;
    }
    ::fchmod(out, st.st_mode & 0777);

    bool bOk = CopyData(in, out);
    if (!bOk)
        strError = ErrnoText("cannot write " + strBackup);
    ::close(in);
    if (bOk && ::fsync(out) != 0) {
        strError = ErrnoText("cannot write " + strBackup);
        bOk = false;
    }
    if (::close(out) != 0 && bOk) {
        strError = ErrnoText("cannot write " + strBackup);
        bOk = false;
    }
    if (bOk) {
        // A hard link gives the copy its name only if that name is free; where the file system
        // has no hard links, a rename after a last look does.
        if (::link(strTemp.c_str(), strBackup.c_str()) != 0 && errno != EEXIST) {
            struct stat stBackup;
            if (::lstat(strBackup.c_str(), &stBackup) != 0 &&
                ::rename(strTemp.c_str(), strBackup.c_str()) != 0) {
                strError = ErrnoText("cannot create " + strBackup);
                bOk = false;
            }
        }
    }
    ::unlink(strTemp.c_str());
    return bOk;
}

} // namespace

std::string CBackupKeeper::BackupPath(const std::string& strPath)
{
    return strPath + ".bak";
}

bool CBackupKeeper::BeforeOverwrite(const std::string& strPath, std::string& strError)
{
    const std::string strKey = CanonicalPath(strPath);
    if (m_done.count(strKey))
        return true;
    struct stat st;
    if (::stat(strPath.c_str(), &st) != 0) {
        // Nothing to keep: a file this run creates has no original.
        if (errno == ENOENT) {
            m_done.insert(strKey);
            return true;
        }
        strError = ErrnoText("cannot read " + strPath);
        return false;
    }
    // Only a file's bytes are kept; a folder or device in its place is no file to replace, and
    // writing there fails on its own.
    if (!S_ISREG(st.st_mode))
        return true;
    const std::string strBackup = BackupPath(strPath);
    struct stat stBackup;
    if (::lstat(strBackup.c_str(), &stBackup) != 0 && !CopyToBackup(strPath, strBackup, strError))
        return false;
    m_done.insert(strKey);
    return true;
}
