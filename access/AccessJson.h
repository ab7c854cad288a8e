#pragma once

#include "access/Access.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The JSON form of a channel database (*.json): the text ravelin-cli dump prints (DumpJson,
// access/JsonDump.h), written as a file and read back, so that scripts can edit a list.
//
// Reading takes the three lists "satellites", "transponders" and "programs" (a missing list is
// empty) in any order. Records get fresh ids 0, 1, 2, ... in array order, as every importer gives
// them; SatID, TpID and ProgID name a record within the file only: a transponder's SatID and a
// program's TpID are looked up among the file's satellites and transponders and linked to their new
// ids (-1 or a missing parent key: no parent). A record without its own id (or with -1) cannot be
// named as a parent. Every field of a record may be given as an unsigned number that fits its
// width; a missing one is 0. A name is taken from NameHex / ProgNameHex (its stored bytes) when
// present, else from Name / ProgName converted strictly into the code page. Anything else is an
// error that names the place and loads nothing:
//   "JSON: programs[12].VPID: 9000 does not fit in 13 bits"
//   "JSON: line 3, column 14: syntax error while parsing object - ..."
class CAccessJsonIn : public CAccessIn
{
public:
    // Names given only as text are converted into nCodePage; the default is the ANSI code page.
    CAccessJsonIn();
    explicit CAccessJsonIn(uint32_t nCodePage);

    // Reads a whole file into pDb, which the caller has emptied. On failure stores one message and
    // adds nothing ("Open file failed!" when the file cannot be read).
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;
    // The same for a file's bytes already in memory.
    bool LoadDbFromBuffer(const char* pData, size_t nSize, CProgDb* pDb);

private:
    uint32_t m_nCodePage;
};

class CAccessJsonOut : public CAccessOut
{
public:
    // Names are decoded from nCodePage; the default is the ANSI code page.
    CAccessJsonOut();
    explicit CAccessJsonOut(uint32_t nCodePage);

    // Writes the text of DumpJson through a temporary file renamed over strPath; an existing file
    // stays as it was when anything fails ("Open file failed!", "Write file failed! <reason>").
    // The database is not changed.
    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;

private:
    uint32_t m_nCodePage;
};
