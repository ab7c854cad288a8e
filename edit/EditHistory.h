#pragma once

#include "edit/EditCommand.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CProgDb;

// The edit history of one database: every change goes through Push, and Undo and Redo walk back and
// forth over the commands. The clean mark is the state that was last saved (or loaded): IsClean is
// true exactly when the database is in that state again, whichever way it got there.
//
// While the history holds commands, nothing else may change the database, except writers that only
// recompute the link fields; a load must Clear it. Not for use from several threads.
class CEditHistory
{
public:
    explicit CEditHistory(CProgDb* pDb = nullptr);
    ~CEditHistory();
    CEditHistory(const CEditHistory&) = delete;
    CEditHistory& operator=(const CEditHistory&) = delete;

    // The database the commands change (not owned); setting it empties the history.
    void SetDb(CProgDb* pDb);
    CProgDb* GetDb() const { return m_pDb; }

    // Applies the command and keeps it as the newest undo step; the redo steps are dropped (and a
    // clean mark among them is lost). Returns the command, now owned by the history, or null when it
    // changed nothing or there is no database: it is then destroyed and the history is as it was.
    CEditCommand* Push(std::unique_ptr<CEditCommand> pCommand);
    // Reverts the newest undo step; returns it (it is now the next redo step), or null when there is
    // none.
    const CEditCommand* Undo();
    // Applies the next redo step again; returns it, or null when there is none.
    const CEditCommand* Redo();

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // Texts of the next steps ("Delete 3 programs"); empty when there is none.
    std::string GetUndoText() const;
    std::string GetRedoText() const;
    size_t GetUndoCount() const { return m_undo.size(); }
    size_t GetRedoCount() const { return m_redo.size(); }

    // Marks the present state as saved.
    void SetClean();
    bool IsClean() const;
    // Marks the present state as not saved, with no way back to a saved state: a database given back
    // from a copy of unsaved changes.
    void SetUnsaved();
    // Forgets every command and marks the present state clean: after a load, or when the database
    // was changed outside the history.
    void Clear();

    // Called after every change of the steps or of the clean mark (Push, Undo, Redo, SetClean,
    // Clear, SetDb), so a window can update its Undo and Redo items and its modified mark.
    void SetChangedCallback(std::function<void()> fnChanged) { m_fnChanged = std::move(fnChanged); }

private:
    void Changed();

    CProgDb* m_pDb;
    std::vector<std::unique_ptr<CEditCommand>> m_undo; // oldest first
    std::vector<std::unique_ptr<CEditCommand>> m_redo; // next redo step last
    // Number of undo steps in the saved state; -1 when that state can no longer be reached.
    long m_nCleanIndex = 0;
    std::function<void()> m_fnChanged;
};
