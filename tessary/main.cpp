// Tessary: turns a 2 MiB receiver firmware image into a USB upgrade image.
//
//   0x000000  0x200000  the first 0x200000 bytes of the source image
//   0x200000  6         trailer magic "TR5Hm!"
//   0x200006  4         CRC-32/MPEG-2 of bytes 0x000000-0x200005, big-endian
//   0x20000A  0x1F6     zero
//
// Usage: tessary SOURCE DEST (with any other number of arguments: download.bin download_usb.bin).
// Progress and errors go to standard output as "fun:<function>,line:<n>" lines; the line numbers
// are part of the output that callers and users know. The exit status is 0 on success and 1 on
// any failure. The destination is written through a temporary file beside it and renamed into
// place only when the whole image was written, so a failed run never creates or truncates it.

#include "tessary/Crc32Mpeg2.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>

namespace {

const size_t IMAGE_SIZE = 0x200000;
const size_t OUTPUT_SIZE = 0x200200;
const size_t BLOCK_SIZE = 512;
const char TRAILER_MAGIC[6] = {'T', 'R', '5', 'H', 'm', '!'};

struct FileCloser
{
    void operator()(std::FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Whether strDest could be opened for writing where it is, as the image is written in place of it:
// a regular file this process may write, or a name not taken yet. A folder, a device, a pipe or a
// write-protected file cannot; the rename would replace them instead.
bool CanOpenForWriting(const std::string& strDest)
{
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(strDest, ec);
    if (st.type() == std::filesystem::file_type::not_found)
        return true;
    if (!std::filesystem::is_regular_file(st))
        return false;
    // Opening for update asks for write permission without changing the file.
    return FilePtr(std::fopen(strDest.c_str(), "r+b")) != nullptr;
}

// Creates a new temporary file beside strDest that no other file has the name of.
FilePtr CreateTempBeside(const std::string& strDest, std::string& strTemp)
{
    for (int i = 0; i < 1000; ++i) {
        strTemp = strDest + ".~tessary" + std::to_string(i);
        std::FILE* f = std::fopen(strTemp.c_str(), "wbx");
        if (f)
            return FilePtr(f);
    }
    strTemp.clear();
    return FilePtr();
}

int Fail(const char* pszFormat, int nLine, const std::string& strTemp, FilePtr& temp)
{
    std::printf(pszFormat, "main", nLine);
    if (temp) {
        temp.reset();
        std::remove(strTemp.c_str());
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string strFrom = "download.bin";
    std::string strTo = "download_usb.bin";
    if (argc == 3) {
        strFrom = argv[1];
        strTo = argv[2];
    }
    std::printf("fun:%s,line:%d,%s\n", "main", 103, strFrom.c_str());
    std::printf("fun:%s,line:%d,%s\n", "main", 104, strTo.c_str());

    FilePtr temp;
    std::string strTemp;
    FilePtr from(std::fopen(strFrom.c_str(), "rb"));
    if (!from)
        return Fail("open From file failer! fun:%s,line:%d\n", 110, strTemp, temp);

    if (CanOpenForWriting(strTo))
        temp = CreateTempBeside(strTo, strTemp);
    if (!temp)
        return Fail("open To file failer! fun:%s,line:%d\n", 116, strTemp, temp);

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[OUTPUT_SIZE]);
    if (!buffer)
        return Fail("Memory error! fun:%s,line:%d\n", 127, strTemp, temp);
    std::memset(buffer.get(), 0, OUTPUT_SIZE);

    if (std::fread(buffer.get(), 1, IMAGE_SIZE, from.get()) != IMAGE_SIZE)
        return Fail("file read error! fun:%s,line:%d\n", 135, strTemp, temp);

    std::memcpy(buffer.get() + IMAGE_SIZE, TRAILER_MAGIC, sizeof TRAILER_MAGIC);
    const uint32_t crc = tessary::Crc32Mpeg2().Compute(buffer.get(), IMAGE_SIZE + sizeof TRAILER_MAGIC);
    uint8_t* pCrc = buffer.get() + IMAGE_SIZE + sizeof TRAILER_MAGIC;
    pCrc[0] = static_cast<uint8_t>(crc >> 24);
    pCrc[1] = static_cast<uint8_t>(crc >> 16);
    pCrc[2] = static_cast<uint8_t>(crc >> 8);
    pCrc[3] = static_cast<uint8_t>(crc);

    const size_t nBlocks = OUTPUT_SIZE / BLOCK_SIZE;
    bool bWritten = std::fwrite(buffer.get(), BLOCK_SIZE, nBlocks, temp.get()) == nBlocks;
    bWritten = std::fflush(temp.get()) == 0 && bWritten;
    bWritten = std::fclose(temp.release()) == 0 && bWritten;
    if (!bWritten || std::rename(strTemp.c_str(), strTo.c_str()) != 0) {
        std::printf("file write error! fun:%s,line:%d\n", "main", 156);
        std::remove(strTemp.c_str());
        return 1;
    }
    std::printf("make USB upgrade bin OK\n");
    return 0;
}
