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
// A target that could not be opened for writing in place is refused before anything is written:
// a folder, a device or pipe, or a file this process may not write.
enum class WriteResult
{
    Ok,
    CreateFailed, // the target cannot be opened for writing, or no file can be created beside it
    WriteFailed,  // writing, syncing or renaming failed
};
WriteResult WriteFileAtomic(const std::string& strPath, const void* pData, size_t nSize,
                            std::string& strError);

// Creates and opens (read-write, mode 0600) a new file with a short unique name in the folder of
// strPath, so that any name that fits the folder fits the temporary file too. Returns the descriptor
// and its path in strTemp, or -1 with errno set.
int CreateTempBeside(const std::string& strPath, std::string& strTemp);

bool FileExists(const std::string& strPath);
