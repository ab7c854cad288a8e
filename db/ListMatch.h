#pragma once

#include "db/Node.h"

#include <cstdint>
#include <string>
#include <vector>

class CProgDb;

// Matching a channel list L against a reference list R record by record: what comparing two lists,
// taking records over and ordering a list like another all stand on.
//
// Records are known by their position in their list (firmware images may repeat ids); a parent is
// the first record of the kind above with the parent id, as Find gives it. Each record of R matches
// at most one record of L and the other way round. Every step goes over the unmatched records of L
// in list order and takes, of the unmatched records of R it allows, the first in list order:
//
// 1. Satellites: the same Longitude and Direction, where exactly one satellite of L and one of R
//    stand there; otherwise (several there, or none) the same name, one at the same place first.
// 2. Transponders, under matched satellites: the same Frequency, Polar and SymbolRate (IsSameTp);
//    after that, for those left, the same Polar and SymbolRate and the nearest Frequency within 2
//    (a rescan drifts by a unit or two), of two equally near the first in list order.
// 3. Programs: the same ServiceId on the matched transponder, where exactly one program of that
//    transponder has it in L and one in R; then the same name on the matched satellite, one on the
//    matched transponder first; then the same name anywhere, when only one unmatched program of R
//    has it.
//
// Names are compared as MatchName gives them; an empty name matches nothing.
enum MatchHow : uint8_t
{
    MATCH_NONE = 0,
    MATCH_SAT_POSITION,
    MATCH_SAT_NAME,
    MATCH_TP_EXACT,
    MATCH_TP_NEAR,
    MATCH_PROG_SERVICE,
    MATCH_PROG_NAME_SAT, // on the matched satellite
    MATCH_PROG_NAME_ANY, // anywhere, the only reference program left with the name
};
constexpr int MATCH_HOW_COUNT = 8;

// The matching of one kind's lists.
struct CKindMatch
{
    std::vector<int32_t> refOf;  // per position in L: the matched position in R, or -1
    std::vector<int32_t> listOf; // per position in R: the matched position in L, or -1
    std::vector<uint8_t> how;    // per position in L: MatchHow (MATCH_NONE when unmatched)
    int32_t nMatched = 0;
    int32_t nHow[MATCH_HOW_COUNT] = {}; // records of L matched each way

    // Matched records of L matched by names: satellites by name, programs by name on the satellite
    // or anywhere.
    int32_t GetByName() const
    {
        return nHow[MATCH_SAT_NAME] + nHow[MATCH_PROG_NAME_SAT] + nHow[MATCH_PROG_NAME_ANY];
    }
};

struct CListMatch
{
    CKindMatch kinds[3]; // by NodeType

    // Any kind other than satellites and transponders stands for programs.
    const CKindMatch& Of(NodeType nKind) const { return kinds[ListKind(nKind)]; }
};

// Matches every list of list against ref as above. Neither database is changed; names are decoded
// from the ANSI code page as it is at the call. Never fails; its time grows with the number of
// records, not with their square, however many share a key.
CListMatch MatchLists(const CProgDb& list, const CProgDb& ref);

// True when match has the shape of a matching of list against ref: as many entries as each list has
// records. The functions that take a matching do the matching themselves when it does not fit.
bool MatchFits(const CListMatch& match, const CProgDb& list, const CProgDb& ref);

// A name as the matching compares it: its bytes decoded from the ANSI code page to UTF-8, spaces and
// tabs at both ends dropped, case-folded (CodePage::FoldCase).
std::string MatchName(const std::string& strBytes);
