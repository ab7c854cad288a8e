#pragma once

#include "edit/EditCommand.h"

#include <cstdint>
#include <string>
#include <vector>

// Moves records under another parent, as dropping list rows on a tree node does: programs onto a
// transponder, transponders onto a satellite. The first record with each id that is not under that
// parent already gets it as its parent and goes, with the others, after the last record the parent
// has (at the end of the list when it has none), in their order; everything under them follows by
// its parent id. Ids never change. A revert puts each record back at its former position with its
// former parent. Text: "Move 3 programs to <strTarget>".
class CReparentCommand : public CEditCommand
{
public:
    CReparentCommand(NodeType nKind, std::vector<int32_t> ids, int32_t nParentId,
                     const std::string& strTarget);

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override { return TouchRows(m_nKind); }

private:
    bool FirstApply(CNodeList& list);
    // Takes the records at positions from out, gives the i-th the parent parents[i] and puts them
    // back at positions to.
    static void Shift(CNodeList& list, const std::vector<int32_t>& from, const std::vector<int32_t>& to,
                      const std::vector<int32_t>& parents);

    NodeType m_nKind;
    std::vector<int32_t> m_ids; // the request, until the first Apply
    int32_t m_nParentId;
    std::string m_strTarget;
    bool m_bResolved = false;
    std::vector<int32_t> m_from;       // the records' positions before, ascending
    std::vector<int32_t> m_to;         // and after, ascending
    std::vector<int32_t> m_oldParents; // their parents before, in their order
};
