#pragma once

#include "access/Access.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The program database file (*.db), the editor's own storage form:
//
//   0        "Sg8K"
//   4        S, T, P: numbers of satellite, transponder and program records (u32 big-endian)
//   16       S satellite records of 28 bytes: name (16 bytes, zero padded), words A, B, C
//            T transponder records of 4 bytes: one word
//            P program records of 40 bytes: words 0-3, name (21 bytes, zero padded), 3 padding
//   end - 4  "Eg8K"
//
// No ids are stored. Links are positions: a satellite's transponders are TpCount consecutive
// transponder records from FirstTpIndex; a program names its transponder by TpIndex (and that
// transponder's satellite by SatIndex). The same image is a firmware's default program list.

constexpr size_t DB_HEADER_SIZE = 16;
constexpr size_t DB_SAT_SIZE = 28;
constexpr size_t DB_TP_SIZE = 4;
constexpr size_t DB_PROG_SIZE = 40;
// The widest position or count the 13-bit link fields can hold.
constexpr uint32_t DB_MAX_LINK = 8191;

class CAccessDbIn : public CAccessIn
{
public:
    // Reads a whole file; on any failure the database is left empty (except when the file cannot
    // be opened: then nothing is touched).
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;
    // The same for a file's bytes already in memory.
    bool LoadDbFromBuffer(const uint8_t* pData, size_t nSize, CProgDb* pDb);

private:
    bool Fail(const char* pszMessage);

    uint32_t m_nSatCount = 0;
    uint32_t m_nTpCount = 0;
    uint32_t m_nProgCount = 0;
    CProgDb* m_pDb = nullptr;
};

class CAccessDbOut : public CAccessOut
{
public:
    // Writes the database through a temporary file renamed over strPath; an existing file stays
    // as it was when anything fails. Recomputes the link fields of the records of pDb.
    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;
    // Builds the file's bytes in memory, with the same side effect on the link fields. False, with
    // a message and pDb unchanged, when the database does not fit the 13-bit link fields.
    bool BuildImage(CProgDb* pDb, std::vector<uint8_t>& image);

private:
    struct TpMapEntry
    {
        int32_t nTpId;
        int32_t nSatPos;
    };

    uint32_t m_nSatCount = 0;
    uint32_t m_nTpCount = 0;
    uint32_t m_nProgCount = 0;
    CProgDb* m_pDb = nullptr;
    std::vector<TpMapEntry> m_tpMap; // entry k describes transponder record k
};

// Writes a whole image through a temporary file renamed over strPath. On failure stores
// "Open file failed!" (strPath cannot be opened for writing: a folder, a missing folder, a file
// without write permission) or "Write file failed! <reason>", and leaves an existing file unchanged.
bool WriteImageFile(const std::string& strPath, const std::vector<uint8_t>& image);
// The same for nSize bytes at pData.
bool WriteImageFile(const std::string& strPath, const void* pData, size_t nSize);
