#pragma once

#include "db/Cascade.h"
#include "edit/EditCommand.h"
#include "edit/RecordSet.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A record to insert at a place of its own (CInsertCommand::Place): its parent is a record of the
// database (nParentId, with nNewParent -1) or one of the records inserted with it, of the kind
// above (nNewParent, its index among those); it goes before position nAt of its list as the list
// stands before the insert (records going before one position keep their order).
struct CPlacedRecord
{
    std::unique_ptr<CNode> pNode; // without id or parent
    int32_t nParentId = INVALID_ID;
    int32_t nNewParent = -1;
    int32_t nAt = 0;
};

// Inserts records with everything under them: a new record, copies of records, or a paste.
//
// On the first Apply every inserted record takes a fresh id from its list's counter (IssueId) and
// its parent is linked: records under inserted records to the fresh ids of those. A revert takes
// the records out again and keeps them, with their ids, for a redo. The counters are not turned
// back by a revert: an id handed out once is never handed out again (until a load clears the
// lists), so a redo finds its ids still unused by anything added in between.
class CInsertCommand : public CEditCommand
{
public:
    // A new record: a satellite named "New Satellite" with LocalFre1 9750 and LocalFre2 10600 MHz
    // at the end of the list; a transponder under satellite nParentId after its last transponder;
    // a program named "New Program" under transponder nParentId after its last program (either at
    // the end of the list when the parent has none). Nothing happens when there is no such parent.
    // Texts "New Satellite", "New Transponder", "New Program".
    static std::unique_ptr<CInsertCommand> NewRecord(NodeType nKind, int32_t nParentId = INVALID_ID);
    // Copies of the first records with the ids, with everything under them (CopyRecords); the
    // copies of a run of consecutive records follow that run, in the same order, and keep the
    // originals' parents. "Duplicate 3 programs".
    static std::unique_ptr<CInsertCommand> Duplicate(NodeType nKind, std::vector<int32_t> ids);
    // A paste of records: programs into a transponder, transponders into a satellite (nWhereKind
    // and nWhereId name it), before the record nBeforeId when that is one of the parent's, else
    // after the parent's last one (at the end of the list when it has none); satellites at the
    // end of their list, wherever nWhere points. What is under the records goes to the end of its
    // list. "Paste 1000 programs". Null, with strError for the status bar, when the records do not
    // go where they are pasted or there are none.
    static std::unique_ptr<CInsertCommand> Paste(const CProgDb& db, CRecordSet records, int32_t nWhereKind,
                                                 int32_t nWhereId, int32_t nBeforeId, std::string& strError);

    // Records each with a place of its own, by kind (records under inserted ones name them by
    // nNewParent); nKind is the kind whose new ids GetNewIds() gives, strText the command's text.
    // The places are positions, so the command must be applied to the database they were found in,
    // as it is. Null when there are no records or a link names no inserted record.
    static std::unique_ptr<CInsertCommand>
    Place(NodeType nKind, std::array<std::vector<CPlacedRecord>, 3> records, std::string strText);

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override { return m_nTouched; }
    const std::vector<int32_t>* GetAddedIds(NodeType& nKind) const override
    {
        nKind = m_nKind;
        return &m_newIds[m_nKind];
    }

    // The kind of the records the command inserts (what is under them aside).
    NodeType GetKind() const { return m_nKind; }
    // Their ids in list order, the rows to select; known after the first Apply.
    const std::vector<int32_t>& GetNewIds() const { return m_newIds[m_nKind]; }
    // The ids of the inserted records of any kind (those under them too), in list order.
    const std::vector<int32_t>& GetNewIds(NodeType nKind) const { return m_newIds[ListKind(nKind)]; }

private:
    enum Mode
    {
        MODE_NEW,
        MODE_DUPLICATE,
        MODE_PASTE,
        MODE_PLACE,
    };

    CInsertCommand(Mode nMode, NodeType nKind);
    bool FirstApply(CProgDb& db);
    // The records to insert, each with its parent and the position before which it goes in its
    // list as it is.
    bool Plan(const CProgDb& db, std::array<std::vector<CPlacedRecord>, 3>& placed);

    Mode m_nMode;
    NodeType m_nKind;
    // The request, until the first Apply.
    int32_t m_nParentId = INVALID_ID;
    int32_t m_nBeforeId = INVALID_ID;
    std::vector<int32_t> m_ids;
    CRecordSet m_records;
    std::array<std::vector<CPlacedRecord>, 3> m_placed;
    // Afterwards.
    bool m_bResolved = false;
    unsigned m_nTouched = TOUCH_NONE;
    std::vector<int32_t> m_indexes[3]; // positions of the inserted records, by kind, ascending
    CRemoval m_out;                    // the records while a revert keeps them out
    std::vector<int32_t> m_newIds[3];
};
