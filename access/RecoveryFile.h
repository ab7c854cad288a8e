#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CProgDb;

// A recovery copy: the unsaved state of an edited database together with what the editor needs to
// carry on with it (the file it belongs to, that file's format, the name shown for it, the code page
// the names are in and when the copy was written). Unlike a .db image it keeps every record as it
// is in memory, with its id, its parent and the list's id counter, so that duplicate ids and records
// whose parent is missing come back unchanged, and records added later get fresh ids.
//
// Layout, integers big-endian:
//
//   0    "RvRc"
//   4    u32 version (1)
//   8    i64 time written, seconds since 1970-01-01 UTC (high word first)
//   16   u32 code page
//   20   three texts, each a u32 length and that many bytes (at most 65536): path, format, name
//        three lists, satellites, transponders, programs, each:
//          i32 id counter (the last id handed out, -1 for none), u32 number of records, records:
//          satellite   40 bytes: i32 id, i32 parent, i32 select, name (16 bytes), words A, B, C
//          transponder 12 bytes: i32 id, i32 parent, word
//          program     48 bytes: i32 id, i32 parent, words 0-3, name (21 bytes), 3 zero bytes
//   end  u32 CRC-32 (IEEE 802.3) of every byte before it
//
// Names are kept byte for byte, also after their first zero byte. Anything else (a count beyond the
// bytes, a longer text, padding that is not zero, bytes after the programs) is damage; a reader of
// version 1 refuses higher versions as written by a newer editor. So a copy that reads back is
// exactly the bytes BuildRecoveryImage makes of what was read.
struct RecoveryInfo
{
    std::string strPath;   // the file Save writes to (UTF-8); empty when Save must ask
    std::string strFormat; // its format in the table of formats; empty with an empty path
    std::string strName;   // what the window's title shows ("channels.db", "Sample")
    uint32_t nCodePage = 0;
    int64_t nWrittenAt = 0; // seconds since 1970-01-01 UTC
};

constexpr uint32_t RECOVERY_VERSION = 1;
constexpr size_t RECOVERY_MAX_TEXT = 65536;

enum class RecoveryRead
{
    Ok,
    OpenFailed,   // the file cannot be read
    Damaged,      // not a recovery copy, cut short, or its checksum does not match
    NewerVersion, // written by a newer editor: this one cannot read it, but it may be whole
};

// The checksum at the end of a copy: CRC-32 as zlib and Ethernet compute it (reflected polynomial
// 0xEDB88320, start and final value 0xFFFFFFFF; "123456789" gives 0xCBF43926).
uint32_t RecoveryChecksum(const uint8_t* pData, size_t nSize);

// The bytes of a recovery copy of db. Never fails (texts longer than RECOVERY_MAX_TEXT are cut).
std::vector<uint8_t> BuildRecoveryImage(const RecoveryInfo& info, const CProgDb& db);

// Reads a recovery copy from its bytes into info and pDb (which the caller has emptied). Every read
// stays inside the nSize bytes whatever the counts and lengths say. On anything but Ok, pDb is left
// empty and strError says what is wrong and where ("recovery copy: cut short in the programs at byte
// 120").
RecoveryRead ParseRecoveryImage(const uint8_t* pData, size_t nSize, RecoveryInfo& info, CProgDb* pDb,
                                std::string& strError);

// Writes the copy through a temporary file renamed over strPath (platform/FileIO.h): a copy that
// exists is always whole. False with strError when it could not be written; an old copy is then kept.
bool WriteRecoveryFile(const std::string& strPath, const RecoveryInfo& info, const CProgDb& db,
                       std::string& strError);
// Reads a whole file with ParseRecoveryImage.
RecoveryRead ReadRecoveryFile(const std::string& strPath, RecoveryInfo& info, CProgDb* pDb,
                              std::string& strError);
