#pragma once

#include "db/Node.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CProgDb;

// What a command changes, for the views to refresh: the rows of a kind (records added, removed or
// reordered) or only values of its records.
enum EditTouch : unsigned
{
    TOUCH_NONE = 0,
    TOUCH_SAT_ROWS = 1u << 0,
    TOUCH_TP_ROWS = 1u << 1,
    TOUCH_PROG_ROWS = 1u << 2,
    TOUCH_SAT_VALUES = 1u << 3,
    TOUCH_TP_VALUES = 1u << 4,
    TOUCH_PROG_VALUES = 1u << 5,
};
// The row or value bit of a kind; kinds other than satellites and transponders are programs.
unsigned TouchRows(int32_t nKind);
unsigned TouchValues(int32_t nKind);

// One change of a database that applies and reverts itself exactly.
//
// A command is built from a request (ids as the list rows hold them, a value, a place) and looks
// its records up only when it is first applied, so that the parts of a compound command each see
// the database the earlier parts left. After that it keeps whatever it needs to go back and forth
// (records it took out, former positions, former values): applying and reverting are only ever
// called alternately, on the same database, each time in the state the other call left, which is
// what an edit history guarantees. Records keep their ids and parents when they are taken out and
// put back; positions are counted in the lists.
class CEditCommand
{
public:
    virtual ~CEditCommand();
    CEditCommand(const CEditCommand&) = delete;
    CEditCommand& operator=(const CEditCommand&) = delete;

    // Applies the change, the first time and again after a revert. The first call returns false
    // when the command changes nothing (no such records, values already set); the database is then
    // untouched and the command is not kept.
    virtual bool Apply(CProgDb& db) = 0;
    // Undoes the last Apply.
    virtual void Revert(CProgDb& db) = 0;
    // EditTouch bits of what Apply and Revert change; known after the first Apply.
    virtual unsigned GetTouched() const = 0;
    // The records the command adds, which the views select afterwards: their kind (set here) and ids
    // in list order; null for a command that adds none. Known after the first Apply.
    virtual const std::vector<int32_t>* GetAddedIds(NodeType& nKind) const;

    // The text of the command for the Undo and Redo menu items, e.g. "Delete 3 programs"; complete
    // after the first Apply.
    const std::string& GetText() const { return m_strText; }

protected:
    CEditCommand() = default;
    void SetText(std::string strText) { m_strText = std::move(strText); }

private:
    std::string m_strText;
};

// Several commands as one: applied in order, reverted in reverse order (Cut, a paste with
// everything under it, the fixes of a check). Parts that change nothing on the first Apply are
// dropped; the whole changes nothing when no part does.
class CCompoundCommand : public CEditCommand
{
public:
    explicit CCompoundCommand(std::string strText);

    // Adds a part; only before the first Apply.
    void Add(std::unique_ptr<CEditCommand> pCommand);
    size_t GetCount() const { return m_parts.size(); }

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override;

private:
    std::vector<std::unique_ptr<CEditCommand>> m_parts;
    bool m_bApplied = false; // applied at least once
};

// "1 program", "3 programs", "2 satellites": a count with the kind's noun.
std::string CountText(size_t nCount, int32_t nKind);
