#pragma once

#include "db/IdMap.h"
#include "db/Node.h"

#include <QString>

#include <cstdint>
#include <vector>

class CProgDb;
struct CListDiff;

// What a list pane marks while two lists are compared (Tools > Compare With Reference): the rows of
// records the other list does not have and, in the edited list, the cells whose value differs from
// the matched record's, with that record's value for a tool tip. One object serves one pane: the
// edited list (side A of the diff) or the reference (side B).
//
// The rows of a pane are record ids, each standing for the first record of its kind with that id; the
// marks are looked up through that record's position. The databases and the diff are not owned and
// must stay unchanged while the marks are in use: after a change of either list, make new marks.
class CCompareMarks
{
public:
    CCompareMarks(const CProgDb& mine, const CProgDb& other, const CListDiff& diff, bool bSideA);

    // The record has no match in the other list.
    bool IsOnlyHere(NodeType nKind, int32_t nId) const;
    // Bit c for each column c (db/Columns.h) whose value differs from the match's; 0 on side B.
    uint32_t GetDifferingColumns(NodeType nKind, int32_t nId) const;
    // The text of column nColumn of the matched record in the other list, as the list shows it; empty
    // when the record has no match.
    QString GetOtherText(NodeType nKind, int32_t nId, int nColumn) const;
    // Positions: of the first record of a kind with the id in this list (-1 when none), and of the
    // record in the other list matched to the record at nPosition of this one (-1 when none).
    int32_t GetPosition(NodeType nKind, int32_t nId) const;
    int32_t GetMatchPosition(NodeType nKind, int32_t nPosition) const;
    // The record of the other list at nPosition; null outside it.
    const CNode* GetOtherNode(NodeType nKind, int32_t nPosition) const;
    bool IsSideA() const { return m_bSideA; }

private:
    const CListDiff& m_diff;
    bool m_bSideA;
    CIdMap m_positions[3] = {CIdMap(0), CIdMap(0), CIdMap(0)}; // by kind: id -> first position here
    std::vector<const CNode*> m_other[3];                      // by kind: the other list's records
};
