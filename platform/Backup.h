#pragma once

#include <set>
#include <string>

// Keeps the original of every file a program overwrites. Before the first overwrite of a file in
// this run, an existing FILE is copied to FILE.bak, unless FILE.bak already exists: the oldest
// original is never replaced, and a file is copied at most once per run however often it is saved.
// The copy is written to a temporary file beside FILE.bak first and only then given its name, so
// a FILE.bak is always whole.
class CBackupKeeper
{
public:
    // Call right before writing strPath. True when strPath may be written now: it does not exist
    // yet, is no regular file, this keeper already handled it, FILE.bak exists, or the copy was
    // just made. False when the copy could not be made (strError says why, FILE.bak does not
    // exist): the caller must not overwrite strPath then. A failed copy is tried again next time.
    bool BeforeOverwrite(const std::string& strPath, std::string& strError);

    // strPath followed by ".bak".
    static std::string BackupPath(const std::string& strPath);

private:
    // Files handled in this run, by their absolute path with resolved links and folders.
    std::set<std::string> m_done;
};
