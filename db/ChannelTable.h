#pragma once

#include "db/Node.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CodePage {
class CUtf8Decoder;
}

class CProgDb;

// The channel list as a printed page or an HTML page shows it: programs numbered by their place in
// the program list (from 1), their names decoded to UTF-8, and the texts of the columns chosen beside
// them; either in an order the caller gives, or grouped by satellite and transponder. A table is
// built once from a database and keeps no pointer into it.

// The columns that may be added beside the number and the name.
struct SChannelColumns
{
    bool bTransponder = false; // "11747/H/27500"
    bool bServiceId = false;
    bool bPids = false;  // four columns: VPID, APID, PCRPID, PmtPid
    bool bFlags = false; // the flags that are set, "Scr Lock Skip Hide Fav 3"

    bool Any() const { return bTransponder || bServiceId || bPids || bFlags; }
};

// The headings of the chosen columns, in the order of a row's cells.
std::vector<std::string> ChannelColumnHeadings(const SChannelColumns& columns);

// A transponder as frequency, polarisation and symbol rate: "11747/H/27500".
std::string TransponderText(const TpRecord& rec);
// The flags of a program that are set, in the order Scramble, Lock, Skip, Hide, FavType:
// "Scr Lock Skip Hide Fav 3"; empty when none is.
std::string ProgramFlagsText(const ProgRecord& rec);

// Decodes stored names from one code page to UTF-8 for the exports, with the conversion kept open
// between names. The result is always well-formed UTF-8: bytes the code page does not define (and,
// in code page 65001 itself, invalid sequences) become U+FFFD.
class CUtf8NameDecoder
{
public:
    explicit CUtf8NameDecoder(uint32_t nCodePage);
    ~CUtf8NameDecoder();
    CUtf8NameDecoder(const CUtf8NameDecoder&) = delete;
    CUtf8NameDecoder& operator=(const CUtf8NameDecoder&) = delete;

    std::string ToUtf8(const std::string& strBytes);

private:
    std::unique_ptr<CodePage::CUtf8Decoder> m_pDecoder;
    bool m_bUtf8;
};

struct SChannelRow
{
    int32_t nNumber = 0;            // place in the program list, from 1
    std::string strName;            // UTF-8
    std::vector<std::string> cells; // one per chosen column
};

// Programs under one heading: one transponder of one satellite when grouped; every listed program
// otherwise (no headings).
struct SChannelGroup
{
    int32_t nSatIndex = -1;     // place of the satellite in its list; -1 for none
    int32_t nTpIndex = -1;      // place of the transponder in its list; -1 for none
    std::string strSatellite;   // the satellite's decoded name; empty without a satellite
    std::string strTransponder; // TransponderText; empty without a transponder
    std::vector<SChannelRow> rows;
};

class CChannelTable
{
public:
    // Every program of db, grouped: the satellites in list order, under each its transponders in
    // list order (those without programs too; a satellite without transponders gets one group
    // without a transponder), under each transponder its programs in list order. After them the
    // transponders whose satellite does not exist, each with its programs, and last one group of the
    // programs whose transponder does not exist. Every program is in exactly one group; a parent id
    // that several records share names the first of them, as Find does.
    static CChannelTable Grouped(const CProgDb& db, const SChannelColumns& columns, uint32_t nCodePage);

    // The programs at these places of the program list (from 0), in this order, as one group
    // without headings; places outside the list are left out.
    static CChannelTable Listed(const CProgDb& db, const std::vector<int32_t>& places,
                                const SChannelColumns& columns, uint32_t nCodePage);

    bool IsGrouped() const { return m_bGrouped; }
    const SChannelColumns& GetColumns() const { return m_columns; }
    // The headings of the cells of every row.
    const std::vector<std::string>& GetHeadings() const { return m_headings; }
    const std::vector<SChannelGroup>& GetGroups() const { return m_groups; }
    // The number of programs in all groups.
    size_t GetRowCount() const { return m_nRows; }

private:
    CChannelTable(const SChannelColumns& columns, bool bGrouped);

    bool m_bGrouped;
    SChannelColumns m_columns;
    std::vector<std::string> m_headings;
    std::vector<SChannelGroup> m_groups;
    size_t m_nRows = 0;
};

// The places in the program list (from 0) of the programs with these ids, in the order given: what
// a list of program rows, which name records by id, shows. An id names the first program with it;
// ids no program has are left out.
std::vector<int32_t> ProgramPlaces(const CProgDb& db, const std::vector<int32_t>& ids);
