#include "platform/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadResult ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& out)
{
    out.clear();
    int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadResult::OpenFailed;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::OpenFailed;
    }
    const size_t nSize = static_cast<size_t>(st.st_size);
    out.resize(nSize);
    size_t nDone = 0;
    while (nDone < nSize) {
        ssize_t n = ::read(fd, out.data() + nDone, nSize - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    ::close(fd);
    if (nDone != nSize) {
        out.clear();
        return ReadResult::ShortRead;
    }
    return ReadResult::Ok;
}

static std::string DirOf(const std::string& strPath)
{
    size_t slash = strPath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return strPath.substr(0, slash);
}

// Whether strPath could be opened for writing where it is: a regular file this process may write,
// or a name that does not exist yet (its folder is checked when the temporary file is made).
static bool CanOpenForWriting(const std::string& strPath, std::string& strError)
{
    struct stat st;
    if (::stat(strPath.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        strError = strPath + (S_ISDIR(st.st_mode) ? ": is a folder" : ": not a regular file");
        return false;
    }
    if (::faccessat(AT_FDCWD, strPath.c_str(), W_OK, AT_EACCESS) != 0) {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int CreateTempBeside(const std::string& strPath, std::string& strTemp)
{
    // Not FILE + suffix: a name near the 255-byte limit would leave no room for the suffix.
    const std::string strPattern = DirOf(strPath) + "/.~tmpXXXXXX";
    std::vector<char> name(strPattern.begin(), strPattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd >= 0)
        strTemp = name.data();
    return fd;
}

WriteResult WriteFileAtomic(const std::string& strPath, const void* pData, size_t nSize,
                            std::string& strError)
{
    // Renaming would replace a folder, a device or a write-protected file that opening the target
    // for writing refuses.
    if (!CanOpenForWriting(strPath, strError))
        return WriteResult::CreateFailed;

    std::string strTemp;
    int fd = CreateTempBeside(strPath, strTemp);
    if (fd < 0) {
        strError = std::string("cannot create a file beside ") + strPath + ": " + std::strerror(errno);
        return WriteResult::CreateFailed;
    }

    struct stat st;
    mode_t mode = 0644;
    if (::stat(strPath.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    const uint8_t* p = static_cast<const uint8_t*>(pData);
    size_t nDone = 0;
    bool bOk = true;
    while (nDone < nSize) {
        ssize_t n = ::write(fd, p + nDone, nSize - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            strError = std::string("write failed: ") + (n < 0 ? std::strerror(errno) : "no space");
            bOk = false;
            break;
        }
        nDone += static_cast<size_t>(n);
    }
    if (bOk && ::fsync(fd) != 0) {
        strError = std::string("sync failed: ") + std::strerror(errno);
        bOk = false;
    }
    if (::close(fd) != 0 && bOk) {
        strError = std::string("close failed: ") + std::strerror(errno);
        bOk = false;
    }
    if (bOk && ::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        strError = std::string("cannot replace ") + strPath + ": " + std::strerror(errno);
        bOk = false;
    }
    if (!bOk) {
        ::unlink(strTemp.c_str());
        return WriteResult::WriteFailed;
    }
    // Make the rename itself durable.
    int dfd = ::open(DirOf(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return WriteResult::Ok;
}

bool FileExists(const std::string& strPath)
{
    struct stat st;
    return ::stat(strPath.c_str(), &st) == 0;
}
