#pragma once

#include "access/Access.h"

#include <cstdint>
#include <string>

// The program list as comma-separated values (*.csv), for scripts and databases. Written only: the
// workbook is the form to edit in a spreadsheet application and read back.
//
//   Number,Name,Satellite,Frequency,Polar,SymbolRate,ServiceId,VPID,APID,PCRPID,PmtPid,Scramble,Lock,Skip,Hide,FavType
//
// then one row per program in list order: Number is its place in the program list from 1, Name and
// Satellite (the satellite of its transponder) are decoded from the code page to UTF-8, Frequency,
// Polar (H or V) and SymbolRate are its transponder's; the rest are the program's fields in decimal.
// A program whose transponder (or whose transponder's satellite) does not exist has those cells
// empty. RFC 4180: every row ends in CR LF, a field holding a comma, a double quote, CR or LF is
// quoted with its double quotes doubled. UTF-8 without a byte order mark.
std::string CsvText(const CProgDb& db, uint32_t nCodePage);

class CAccessCsvOut : public CAccessOut
{
public:
    // Names are decoded from nCodePage; the default is the ANSI code page.
    CAccessCsvOut();
    explicit CAccessCsvOut(uint32_t nCodePage);

    // Writes CsvText through a temporary file renamed over strPath; an existing file stays as it was
    // when anything fails ("Open file failed!", "Write file failed! <reason>"). The database is not
    // changed.
    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;

private:
    uint32_t m_nCodePage;
};
