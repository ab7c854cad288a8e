#pragma once

#include "access/Access.h"

#include <memory>
#include <string>
#include <vector>

class IMessageSink;
class IUserDbAddrSource;

// What an importer may ask of whoever runs it: the editor passes its dialogs, the command-line
// tool its --addr option and stderr, tests fixed answers. Both must outlive the importer.
struct ImportContext
{
    IUserDbAddrSource& addr; // the firmware readers ask it where the user database lies
    IMessageSink& sink;      // the workbook reader shows its "Read Error" box through it
};

// One external form of a channel database: a row of the table of formats, which the command-line
// tool (--from, --to, the extension of a path) and the editor (its File commands and their file
// dialogs) both read.
struct FileFormat
{
    std::string strName;                 // as --from and --to name it
    std::vector<std::string> extensions; // lower case, with the dot; a path ending so is of this format
    std::string strFilter;               // file dialog filter in Qt's syntax ("Desc(*.ext);;...")
    // A new importer; null when the format cannot be read. It keeps references into the context.
    std::unique_ptr<CAccessIn> (*fnMakeIn)(const ImportContext& ctx);
    // A new exporter; null when the format cannot be written.
    std::unique_ptr<CAccessOut> (*fnMakeOut)();
};

// The file dialog filter of firmware images: the two user-database layouts and the merge target.
inline constexpr const char* FIRMWARE_IMAGE_FILTER = "Binary File(*.bin);;All Files (*.*)";

// Every format, in a fixed order (the order of the name lists below).
const std::vector<FileFormat>& GetFormats();
// The format of that name, or null.
const FileFormat* FindFormatByName(const std::string& strName);
// The format a path's extension names (any case), or null. A firmware image (.bin) names none:
// its two user-database layouts cannot be told apart reliably, so the layout must be named.
const FileFormat* FindFormatByPath(const std::string& strPath);
// True for a firmware image's extension (.bin, any case).
bool IsFirmwareImagePath(const std::string& strPath);
// The names of the formats that can be read (or written), as "db, bin20, ...".
std::string ReadableFormatNames();
std::string WritableFormatNames();
// True for a format written for other tools and never read back (csv, html): a file saved in it
// does not hold the database, so it must not become the document that Save writes to, nor count as
// saving the changes.
bool IsExportOnly(const FileFormat& format);
// The extension a new file of the format gets, without the dot ("db"); empty when it has none.
std::string DefaultExtension(const FileFormat& format);
