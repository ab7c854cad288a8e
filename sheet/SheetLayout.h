#pragma once

#include "db/Node.h"
#include "platform/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

// What the exchanged workbook holds and how every record field is written as cell text and read
// back. One sheet "Satellites" with one row per satellite, and one program sheet per satellite with
// one row per program (or per transponder without programs). Every cell is written as text.
//
// Rows are numbered from 1 (row 1 holds the column titles), columns from 0.

namespace SheetLayout {

inline constexpr const char* SAT_SHEET = "Satellites";

// Columns of the "Satellites" sheet.
enum SatColumn : int32_t
{
    SATCOL_SELECT = 0,
    SATCOL_NAME = 1,
    SATCOL_SHEET = 2,
    SATCOL_LONGITUDE = 3,
    SATCOL_LOCALFRE1 = 4,
    SATCOL_LOCALFRE2 = 5,
    SATCOL_12V = 6,
    SATCOL_22K = 7,
    SATCOL_DISEQC = 8,
    SATCOL_DISEQC12 = 9,
    SATCOL_DIRECTION = 10,
    SATCOL_LNBTYPE = 11,
    SATCOL_MOTOR = 12,
    SATCOL_TUNERSEL = 13,
    SAT_COLUMN_COUNT = 14,
};

// Columns of a program sheet.
enum ProgColumn : int32_t
{
    PROGCOL_NAME = 0,
    PROGCOL_FRE = 1,
    PROGCOL_SYMBOLRATE = 2,
    PROGCOL_POLAR = 3,
    PROGCOL_VPID = 4,
    PROGCOL_APID = 5,
    PROGCOL_PCRPID = 6,
    PROGCOL_SCRAMBLE = 7,
    PROGCOL_HIDE = 8,
    PROGCOL_TRACK = 9,
    PROGCOL_SERVICEID = 10,
    PROGCOL_PMTPID = 11,
    PROGCOL_AVTYPE = 12,
    PROGCOL_LOCK = 13,
    PROGCOL_SKIP = 14,
    PROGCOL_FAVTYPE = 15,
    PROGCOL_TUNERSEL = 16,
    PROG_COLUMN_COUNT = 17,
};

// Column titles of row 1, indexed by column.
extern const char* const g_satTitles[SAT_COLUMN_COUNT];
extern const char* const g_progTitles[PROG_COLUMN_COUNT];

// The satellite fields of columns 6 to 13, in column order (the plain decimal ones).
extern const FieldDesc* const g_satPlainFields[SATCOL_TUNERSEL - SATCOL_12V + 1];
// The program fields of columns 6 to 16, in column order.
extern const FieldDesc* const g_progPlainFields[PROGCOL_TUNERSEL - PROGCOL_PCRPID + 1];

// Numbers are written in decimal without sign, leading zeros or separators.
std::string FormatNumber(uint32_t nValue);

// Reads a cell the way an unsigned decimal conversion does: leading white space skipped, one
// optional sign (a minus negates modulo 2^32), digits up to the first non-digit; no digits reads
// as 0 and a value above 4294967295 reads as 4294967295. The caller cuts it to the field width.
uint32_t ReadNumber(const std::string& strText);

// Polarisation: "H" for 0, "V" otherwise. Reading: exactly "H" or "0" is 0, any other text is 1
// (case-sensitive, so "h" is vertical).
const char* FormatPolar(uint32_t nPolar);
uint32_t ReadPolar(const std::string& strText);

// LNB local-oscillator cells hold the frequency in MHz. An index outside the table is written as
// the first entry. Reading gives the table index, or -1 when the value is not in the table.
std::string FormatLnbFreq(uint32_t nIndex);
int ReadLnbFreq(const std::string& strText);

// The select mark of a satellite: 1 "S" (satellite only), 2 "T" (with transponders), anything
// else "A" (everything). Reading looks at the first character only: S 1, T 2, A or Y 0; any other
// character gives -1, meaning the row is skipped.
const char* FormatSelectMark(int32_t nSelect);
int32_t ReadSelectMark(const std::string& strText);
constexpr int32_t SELECT_SKIP = -1;

// Name cells. The plain form is the name's bytes; the quoted hex form is a text of at least six
// characters, of length 2 + 4n, between double quotes, made of groups \xHH, one byte per group, so
// that a name can hold any bytes. Decoding the quoted form stops at the first malformed group and
// keeps the bytes decoded before it. The result is at most nWidth bytes and may contain zero bytes;
// the caller stores it into the zero-filled name field.
std::string DecodeNameCell(const std::string& strText, size_t nWidth);

// The quoted hex form of the bytes: '"', then \xhh per byte, then '"'.
std::string QuotedHexName(const std::string& strBytes);

// Whether a cell holding exactly this text would read back as a name in the quoted hex form.
bool LooksLikeQuotedHex(const std::string& strText);

// Writes the text of exported name cells. A stored name (bytes up to the first zero, at most the
// field width) is written as it is, except when it would not read back as the same bytes: a name
// that itself has the shape of the quoted hex form, one holding control characters (which XML
// text cannot carry, or which spreadsheet applications rewrite), and one whose bytes do not survive
// the conversion from the ANSI code page to the file's UTF-8 and back. Those are written in the
// quoted hex form. One object serves one export; it keeps its converters open.
class CNameCellWriter
{
public:
    explicit CNameCellWriter(uint32_t nCodePage);

    std::string Encode(const std::string& strName);

private:
    // The code page the check converts the names into.
    static uint32_t FileCodePage(uint32_t nCodePage);
    bool RoundTrips(const std::string& strName);

    CodePage::CStrictConverter m_toFile;   // ANSI code page to the file's encoding
    CodePage::CStrictConverter m_fromFile; // and back
};

// Hands out the program sheet names of one export. The base name is built from the first 16 bytes
// of the satellite's name: ASCII letters and digits are kept, every other byte becomes '_', and an
// '_' of the name that would follow an appended '_' is dropped ("A _B" gives "A_B", "A  B" gives
// "A__B"). A name already handed out gets the first free decimal suffix 1, 2, 3, ...
// Names count as the same regardless of letter case, because spreadsheet applications do not tell
// sheets apart by case ("ORBIT" after "Orbit" becomes "ORBIT1"). "Satellites" counts as handed out
// from the start: a program sheet of that name would be the satellite sheet itself, and its rows
// would overwrite the satellite rows.
class CSheetNamer
{
public:
    CSheetNamer();

    static std::string BaseName(const std::string& strSatName);
    // The sheet name for the next satellite; it is recorded as used.
    std::string MakeSheetName(const std::string& strSatName);

private:
    std::set<std::string> m_used; // lower case
};

} // namespace SheetLayout
