#pragma once

#include "db/Check.h"
#include "edit/EditCommand.h"

#include <cstdint>
#include <vector>

// Fixes every fixable finding of CheckDb in one step, as FixDb does: transponders that repeat an
// earlier one hand their programs to it and go, and transponders without a satellite, programs
// without a transponder and programs that repeat a ServiceId are taken out. The check runs on the
// database as it is when the command is first applied; nothing fixable there means nothing to do.
// The removed records live in the command until a revert puts each back at its former position
// with its id and parent and gives the moved programs their former transponder; a redo takes the
// same records out and moves the same programs again.
class CFixCommand : public CEditCommand
{
public:
    CFixCommand() = default;

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override { return m_nTouched; }

    // Findings fixed (the N of "Fix N problems"); known after the first Apply.
    int32_t GetFixed() const { return m_fix.nFixed; }

private:
    bool m_bResolved = false;
    unsigned m_nTouched = TOUCH_NONE;
    CDbFix m_fix;                               // the removed records while they are out
    std::vector<int32_t> m_indexes[3];          // their positions, by kind, ascending
    std::vector<CDbFix::Reparent> m_reparented; // the moved programs, by position after the fix
};
