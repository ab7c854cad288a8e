#pragma once

#include "db/Cascade.h"
#include "db/ProgDb.h"

#include <cstdint>
#include <string>
#include <vector>

// Checking a database for what a receiver or another format would trip over, and fixing what can
// be fixed without guessing.
//
// A record's parent is looked up by id, the first record in list order with that id being the one
// meant (as CNodeList::Find answers); two transponders are the same transponder when IsSameTp says
// so and they belong to the same satellite id.

enum class CheckKind
{
    MissingSatellite,   // a transponder whose satellite does not exist; fix: remove it and its programs
    MissingTransponder, // a program whose transponder does not exist; fix: remove it
    SameTransponder,    // a transponder equal to an earlier one of its satellite; fix: move its
                        // programs onto the earlier one and remove it
    SameService,        // a program with the ServiceId of an earlier program on the same transponder
                        // (transponders that are the same count as one); fix: remove it
    EmptyName,          // a satellite or program without a name: a workbook round trip drops it
    LnbIndex,           // LocalFre1 or LocalFre2 outside the LNB table: a workbook export writes 5150
    TooManyRecords,     // more than a .db file's 13-bit links address: its save refuses
};

struct CCheckFinding
{
    CheckKind nKind;
    NodeType nRecordKind; // NODE_SAT, NODE_TP or NODE_PROG
    int32_t nIndex;       // position of the record in its list
    int32_t nId;          // the record's id
    std::string strText;  // what is wrong, without the record ("transponder 99 does not exist")
    bool bFixable;
    std::string strFix; // what the fix does ("remove it"); empty when it is not fixable
};

// Every finding, satellites first, then transponders, then programs, each in list order (a record
// may have several). Only reads the database.
std::vector<CCheckFinding> CheckDb(const CProgDb& db);

// One line of a report: the record, then the finding and, when fixable, the fix:
// "program 204: same ServiceId 17 as program 12 on transponder 5 (fix: remove it)".
std::string FindingLine(const CCheckFinding& finding);

// What FixDb changed, kept so that RevertFix can undo it exactly.
struct CDbFix
{
    // A program whose parent the fix changed: its position in the fixed program list.
    struct Reparent
    {
        int32_t nIndex;
        int32_t nOldParentId;
        int32_t nNewParentId;
    };

    int32_t nFixed = 0;               // fixable findings of CheckDb that were fixed
    CRemoval removal;                 // the transponders and programs taken out, owned while they are out
    std::vector<Reparent> reparented; // ascending nIndex
};

// Applies the fix of every fixable finding CheckDb(db) gives, in one go: the programs of a
// transponder that is the same as an earlier one move onto the earlier one, then the transponders
// and programs the findings name are taken out (with the programs of a removed transponder whose
// satellite does not exist). Every other record keeps its place, id, parent and values. Satellites
// are never removed. Afterwards CheckDb finds nothing fixable.
CDbFix FixDb(CProgDb& db);

// Undoes a FixDb; the database must be as that call left it. Afterwards fix holds no records.
void RevertFix(CProgDb& db, CDbFix& fix);
