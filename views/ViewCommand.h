#pragma once

// Internal to the list pane: the selection kept with each command it runs.

#include "db/IdRuns.h"
#include "edit/EditCommand.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// A command of the list pane as the history keeps it: the command itself with the records selected
// before it ran and after it ran, each with the kind of record the list showed.
class CViewCommand : public CEditCommand
{
public:
    struct Selection
    {
        int32_t nKind = -1;
        CIdRuns ids;
    };

    CViewCommand(std::unique_ptr<CEditCommand> pCommand, Selection before)
        : m_pCommand(std::move(pCommand)), m_before(std::move(before))
    {}

    bool Apply(CProgDb& db) override
    {
        const bool bChanged = m_pCommand->Apply(db);
        SetText(m_pCommand->GetText());
        return bChanged;
    }
    void Revert(CProgDb& db) override { m_pCommand->Revert(db); }
    unsigned GetTouched() const override { return m_pCommand->GetTouched(); }

    const CEditCommand* GetCommand() const { return m_pCommand.get(); }
    const Selection& GetBefore() const { return m_before; }
    const Selection& GetAfter() const { return m_after; }
    void SetAfter(Selection after) { m_after = std::move(after); }

private:
    std::unique_ptr<CEditCommand> m_pCommand;
    Selection m_before;
    Selection m_after;
};
