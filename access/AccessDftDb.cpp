#include "access/AccessDftDb.h"

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const uint8_t START_MAGIC[4] = {'S', 'g', '8', 'K'};
const uint8_t END_MAGIC[4] = {'E', 'g', '8', 'K'};

// An existing regular file that may be written: what opening the image for update requires.
bool CanUpdate(const std::string& strPath)
{
    const int fd = ::open(strPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    const bool bRegular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return bRegular;
}

// The file a path names after following symbolic links: the new image replaces that file, so a
// link the user chose keeps pointing at it.
std::string ResolvedPath(const std::string& strPath)
{
    char* pszReal = ::realpath(strPath.c_str(), nullptr);
    if (!pszReal)
        return strPath;
    std::string strReal = pszReal;
    std::free(pszReal);
    return strReal;
}

} // namespace

bool FindDftDbArea(const uint8_t* pData, size_t nSize, DftDbArea& area)
{
    const uint8_t* pEnd = pData + nSize;
    const uint8_t* pStart = std::search(pData, pEnd, START_MAGIC, START_MAGIC + 4);
    if (pStart == pEnd)
        return false;
    const uint8_t* pEndMagic = std::search(pStart + 4, pEnd, END_MAGIC, END_MAGIC + 4);
    if (pEndMagic == pEnd)
        return false;
    const uint8_t* p = pEndMagic + 4;
    while (p < pEnd && *p == 0xFF)
        ++p;
    area.nStart = static_cast<size_t>(pStart - pData);
    area.nCapacity = static_cast<size_t>(p - pStart);
    return true;
}

CAccessDftDbOut::CAccessDftDbOut() = default;

bool CAccessDftDbOut::MergeImage(std::vector<uint8_t>& image, CProgDb* pDb)
{
    if (image.empty()) {
        SetLastErrorMsg("Empty file!");
        return false;
    }
    DftDbArea area;
    if (!FindDftDbArea(image.data(), image.size(), area)) {
        SetLastErrorMsg("Invalid file format!");
        return false;
    }
    std::vector<uint8_t> dbImage;
    CAccessDbOut dbOut;
    if (!dbOut.BuildImage(pDb, dbImage))
        return false;
    if (dbImage.size() > area.nCapacity) {
        SetLastErrorMsg("The size defaultDb is not large enough for your default data!");
        return false;
    }
    uint8_t* pArea = image.data() + area.nStart;
    std::memset(pArea, 0xFF, area.nCapacity);
    std::memcpy(pArea, dbImage.data(), dbImage.size());
    return true;
}

bool CAccessDftDbOut::SaveDb(const std::string& strPath, CProgDb* pDb)
{
    if (!CanUpdate(strPath)) {
        SetLastErrorMsg("Open file failed!");
        return false;
    }
    std::vector<uint8_t> image;
    if (ReadWholeFile(strPath, image) != ReadResult::Ok) {
        SetLastErrorMsg("Open file failed!");
        return false;
    }
    if (!MergeImage(image, pDb))
        return false;
    return WriteImageFile(ResolvedPath(strPath), image);
}
