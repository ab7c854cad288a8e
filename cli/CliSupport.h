#pragma once

// What the commands of ravelin-cli share: the command line as read, the exit statuses, loading an
// input with the importer its options or extension name, and saving with a backup first.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CProgDb;
class IMessageSink;
struct FileFormat;

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;   // a load or save failed
constexpr int EXIT_USAGE = 2;    // the command line is wrong
constexpr int EXIT_PROBLEMS = 3; // check: problems remain; diff: the lists differ

struct Args
{
    std::string strCommand;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    bool Has(const char* pszOption) const { return options.count(pszOption) != 0; }
};

// The two inputs a command may read: INPUT (or A) with --from and --addr, and the reference (or B)
// with --ref-from and --ref-addr.
enum CliInput
{
    INPUT_MAIN,
    INPUT_REF,
};

// What the importers get from the command line; the addresses are 0 for "auto".
struct CliContext
{
    IMessageSink* pSink = nullptr;
    uint32_t nAddr[2] = {0, 0}; // by CliInput
};

// The usage text printed by --help and after a usage error.
const char* UsageText();
// Prints "ravelin-cli: <message>" and the usage text to stderr; returns EXIT_USAGE.
int UsageError(const std::string& strMessage);

// Reads the options after the command word (argv[2] on). False, with nExit set after a usage error,
// for an unknown option or one without its value.
bool ParseArgs(int argc, char** argv, Args& args, int& nExit);
// --codepage N, when given. False after a usage error.
bool ApplyCodePage(const Args& args, int& nExit);
// --addr and --ref-addr into ctx. False after a usage error.
bool ApplyAddrs(const Args& args, CliContext& ctx, int& nExit);

// The format of a file from the option (--from, --ref-from, --to) or its extension. Null after a
// usage error (nExit set).
const FileFormat* ResolveFormat(const Args& args, const char* pszOption, const std::string& strPath,
                                bool bInput, int& nExit);
// The option naming the format of an input.
const char* FormatOption(CliInput nInput);
// Loads strPath into db (cleared first) as the input nInput. EXIT_OK, or after "Load Error: ..." (or
// a usage error) on stderr the exit status.
int Load(const Args& args, CliInput nInput, const std::string& strPath, CliContext& ctx, CProgDb& db);
// Writes db to strPath with the format's exporter, after the backup that --backup asks for.
// EXIT_OK, or EXIT_FAILED after "Save Error: ..." (or "Empty: No data to save!") on stderr.
int Save(const Args& args, const FileFormat* pFormat, const std::string& strPath, CProgDb& db);
// With --backup: keeps the file at strPath as strPath.bak before it is overwritten. False after
// "<caption>: ..." on stderr when that cannot be done; the file must not be written then.
bool KeepBackup(const Args& args, const std::string& strPath, const char* pszCaption);
// The caller's report of a failed load or save: the stored message, or "Unknown Error!".
void ReportFailure(const char* pszCaption);
