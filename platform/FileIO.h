#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// File access shared by every reader and writer.

enum class ReadResult
{
    Ok,
    OpenFailed, // missing, unreadable, or not a regular file
    ShortRead,  // fewer bytes arrived than the file's length said (it shrank while being read)
};

// Reads a whole regular file into out.
ReadResult ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& out);

// Writes data to strPath through a temporary file in the same folder that is flushed, synced and
// renamed over the target only when everything was written. On failure the target is unchanged,
// the temporary file is removed and strError says why. An existing target keeps its permissions.
enum class WriteResult
{
    Ok,
    CreateFailed, // the temporary file could not be created (folder missing or not writable)
    WriteFailed,  // writing, syncing or renaming failed
};
WriteResult WriteFileAtomic(const std::string& strPath, const void* pData, size_t nSize,
                            std::string& strError);

bool FileExists(const std::string& strPath);
