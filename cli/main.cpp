// ravelin-cli: the scripting face of the editor. Loads a channel database with one importer and
// writes it with one exporter, prints it, checks (and fixes) it, or writes the built-in sample.

#include "access/AccessDftDb.h"
#include "access/AccessDummy.h"
#include "access/JsonDump.h"
#include "access/LastError.h"
#include "access/MessageSink.h"
#include "access/UserDbAddr.h"
#include "db/Check.h"
#include "db/ProgDb.h"
#include "formats/Formats.h"
#include "platform/Backup.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "ravelin_version.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

const int EXIT_OK = 0;
const int EXIT_FAILED = 1;
const int EXIT_USAGE = 2;
const int EXIT_PROBLEMS = 3; // check: problems remain

const char* USAGE = "Usage:\n"
                    "  ravelin-cli info INPUT [--from FMT]\n"
                    "  ravelin-cli dump INPUT [--from FMT]\n"
                    "  ravelin-cli convert INPUT OUTPUT [--from FMT] [--to FMT] [--backup]\n"
                    "  ravelin-cli check INPUT [--fix OUTPUT] [--from FMT] [--to FMT]\n"
                    "                  list what is wrong with INPUT, one line per problem; with --fix,\n"
                    "                  fix what can be fixed and write the result to OUTPUT. Exit status\n"
                    "                  0: no problem (left), 3: problems remain, 1: load or save failed\n"
                    "  ravelin-cli sample OUTPUT [--to FMT] [--backup]\n"
                    "  ravelin-cli merge INPUT FIRMWARE [--from FMT] [--addr HEX] [--backup]\n"
                    "                  write INPUT as the default channel list of the image FIRMWARE\n"
                    "  ravelin-cli --version\n"
                    "\n"
                    "Options (anywhere after the command):\n"
                    "  --from FMT      format of INPUT (default: from its extension)\n"
                    "  --to FMT        format of OUTPUT (default: from its extension)\n"
                    "  --fix OUTPUT    check: where the fixed database goes\n"
                    "  --addr HEX      where the user database of a firmware image lies (bin20, bin25):\n"
                    "                  hexadecimal, e.g. 110000 or 0x120000; auto (the default) searches\n"
                    "                  layout 2.0 from the start and reads nothing of layout 2.5\n"
                    "  --codepage N    code page of record names (default: from the locale)\n"
                    "  --backup        before OUTPUT or FIRMWARE is overwritten, copy it to FILE.bak\n"
                    "                  (an existing FILE.bak is kept as it is)\n"
                    "  --help          this text\n";

class CStderrSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon) override
    {
        std::cerr << strCaption << ": " << strText << "\n";
    }
};

// What the importers get from the command line.
struct CliContext
{
    IMessageSink* pSink = nullptr;
    uint32_t nAddr = 0; // user-database address of a firmware image, 0 = auto
};

struct Args
{
    std::string strCommand;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};

int UsageError(const std::string& strMessage)
{
    std::cerr << "ravelin-cli: " << strMessage << "\n\n" << USAGE;
    return EXIT_USAGE;
}

std::string FormatList(bool bInput)
{
    return bInput ? ReadableFormatNames() : WritableFormatNames();
}

// Picks the format of a file from --from/--to or its extension. Null after printing a usage error.
const FileFormat* ResolveFormat(const Args& args, const char* pszOption, const std::string& strPath,
                                bool bInput, int& nExit)
{
    const FileFormat* pFormat = nullptr;
    auto it = args.options.find(pszOption);
    if (it != args.options.end()) {
        pFormat = FindFormatByName(it->second);
        if (!pFormat) {
            nExit = UsageError("unknown format '" + it->second + "' (known: " + FormatList(bInput) + ")");
            return nullptr;
        }
    } else {
        pFormat = FindFormatByPath(strPath);
        if (!pFormat && bInput && IsFirmwareImagePath(strPath)) {
            nExit = UsageError("'" + strPath + "' is a firmware image: give --from bin20 or --from bin25 " +
                               "for the layout 2.0 or 2.5 of its user database");
            return nullptr;
        }
        if (!pFormat) {
            nExit = UsageError("cannot tell the format of '" + strPath + "' from its extension; give " +
                               pszOption + " (one of: " + FormatList(bInput) + ")");
            return nullptr;
        }
    }
    if (bInput ? !pFormat->fnMakeIn : !pFormat->fnMakeOut) {
        nExit = UsageError("format '" + pFormat->strName + "' cannot be " + (bInput ? "read" : "written") +
                           " (" + (bInput ? "readable" : "writable") + ": " + FormatList(bInput) + ")");
        return nullptr;
    }
    return pFormat;
}

// The caller's report of a failed load or save: the stored message, or "Unknown Error!".
void ReportFailure(const char* pszCaption)
{
    if (HasLastError()) {
        std::cerr << pszCaption << ": " << GetLastErrorMsg() << "\n";
        ClearLastError();
    } else {
        std::cerr << pszCaption << ": Unknown Error!\n";
    }
}

int Load(const Args& args, const std::string& strPath, CliContext& ctx, CProgDb& db)
{
    int nExit = EXIT_OK;
    const FileFormat* pFormat = ResolveFormat(args, "--from", strPath, true, nExit);
    if (!pFormat)
        return nExit;
    if (!FileExists(strPath)) {
        std::cerr << "ravelin-cli: no such file: " << strPath << "\n";
        return EXIT_FAILED;
    }
    CFixedUserDbAddr addr(ctx.nAddr);
    std::unique_ptr<CAccessIn> pIn = pFormat->fnMakeIn({addr, *ctx.pSink});
    db.Clear();
    if (!pIn->LoadDb(strPath, &db)) {
        const bool bHint = !HasLastError() && pFormat->strName == "bin25" && ctx.nAddr == 0;
        ReportFailure("Load Error");
        if (bHint)
            std::cerr << "ravelin-cli: layout 2.5 is never searched for; give its address with --addr HEX\n";
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

// With --backup: keeps the file at strPath as strPath.bak before it is overwritten. False after
// "<caption>: ..." on stderr when that cannot be done; the file must not be written then.
bool KeepBackup(const Args& args, const std::string& strPath, const char* pszCaption)
{
    if (!args.options.count("--backup"))
        return true;
    CBackupKeeper keeper;
    std::string strError;
    if (keeper.BeforeOverwrite(strPath, strError))
        return true;
    std::cerr << pszCaption << ": no backup of " << strPath << " could be made (" << strError
              << "), so it was not overwritten\n";
    return false;
}

int Save(const Args& args, const FileFormat* pFormat, const std::string& strPath, CProgDb& db)
{
    if (db.IsEmpty()) {
        std::cerr << "Empty: No data to save!\n";
        return EXIT_FAILED;
    }
    if (!KeepBackup(args, strPath, "Save Error"))
        return EXIT_FAILED;
    std::unique_ptr<CAccessOut> pOut = pFormat->fnMakeOut();
    if (!pOut->SaveDb(strPath, &db)) {
        ReportFailure("Save Error");
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

bool ParseArgs(int argc, char** argv, Args& args, int& nExit)
{
    static const std::map<std::string, bool> known = {
        {"--from", true}, {"--to", true},    {"--codepage", true}, {"--addr", true},
        {"--fix", true},  {"--help", false}, {"--backup", false}};
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string strValue;
            bool bInline = false;
            size_t eq = a.find('=');
            if (eq != std::string::npos) {
                strValue = a.substr(eq + 1);
                a = a.substr(0, eq);
                bInline = true;
            }
            auto it = known.find(a);
            if (it == known.end()) {
                nExit = UsageError("unknown option '" + a + "'");
                return false;
            }
            if (it->second && !bInline) {
                if (i + 1 >= argc) {
                    nExit = UsageError("option " + a + " needs a value");
                    return false;
                }
                strValue = argv[++i];
            }
            args.options[a] = strValue;
        } else {
            args.positional.push_back(a);
        }
    }
    return true;
}

bool ApplyCodePage(const Args& args, int& nExit)
{
    auto it = args.options.find("--codepage");
    if (it == args.options.end())
        return true;
    char* pEnd = nullptr;
    unsigned long n = std::strtoul(it->second.c_str(), &pEnd, 10);
    if (it->second.empty() || *pEnd != '\0' || n == 0 || n > 65535 || !CodePage::IsSupported(n)) {
        nExit = UsageError("unsupported code page '" + it->second + "'");
        return false;
    }
    CodePage::SetAnsiCodePage(static_cast<uint32_t>(n));
    return true;
}

// --addr: "auto" (any case) or absent is 0; anything else is read like the address dialog's text.
bool ApplyAddr(const Args& args, CliContext& ctx, int& nExit)
{
    auto it = args.options.find("--addr");
    if (it == args.options.end())
        return true;
    std::string strLower = it->second;
    for (char& c : strLower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (strLower == "auto") {
        ctx.nAddr = 0;
        return true;
    }
    switch (ParseUserDbAddr(it->second, ctx.nAddr)) {
    case UserDbAddrParse::Ok:
        return true;
    case UserDbAddrParse::Empty:
        nExit = UsageError(std::string("--addr: ") + USERDB_ADDR_EMPTY_MSG);
        return false;
    case UserDbAddrParse::NotHex:
        nExit = UsageError(std::string("--addr: ") + USERDB_ADDR_NOT_HEX_MSG);
        return false;
    case UserDbAddrParse::Zero:
        nExit = UsageError(std::string("--addr: ") + USERDB_ADDR_ZERO_MSG + " (give auto to search)");
        return false;
    case UserDbAddrParse::AutoRefused: // only the dialog's "Auto" item is refused
        nExit = UsageError(std::string("--addr: ") + USERDB_ADDR_NEEDED_MSG);
        return false;
    }
    return false;
}

// check INPUT [--fix OUTPUT]: one line per finding, then "N problems found" (with --fix, "N problems
// found, M fixed", M counting the findings the fixed database no longer has).
int Check(const Args& args, CliContext& ctx, CProgDb& db)
{
    if (args.positional.size() != 1)
        return UsageError("check takes one INPUT");
    int nExit = EXIT_OK;
    auto itFix = args.options.find("--fix");
    const FileFormat* pOut = nullptr;
    if (itFix != args.options.end()) {
        if (itFix->second.empty())
            return UsageError("--fix needs an OUTPUT");
        if (!(pOut = ResolveFormat(args, "--to", itFix->second, false, nExit)))
            return nExit;
    }
    if ((nExit = Load(args, args.positional[0], ctx, db)) != EXIT_OK)
        return nExit;
    const std::vector<CCheckFinding> findings = CheckDb(db);
    for (const CCheckFinding& finding : findings)
        std::cout << FindingLine(finding) << "\n";
    if (!pOut) {
        std::cout << findings.size() << " problems found\n";
        return findings.empty() ? EXIT_OK : EXIT_PROBLEMS;
    }
    FixDb(db);
    const size_t nLeft = CheckDb(db).size();
    if ((nExit = Save(args, pOut, itFix->second, db)) != EXIT_OK) {
        std::cout << findings.size() << " problems found\n";
        return nExit;
    }
    std::cout << findings.size() << " problems found, " << findings.size() - nLeft << " fixed\n";
    return nLeft == 0 ? EXIT_OK : EXIT_PROBLEMS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return UsageError("no command given");
    Args args;
    args.strCommand = argv[1];
    if (args.strCommand == "--help" || args.strCommand == "-h" || args.strCommand == "help") {
        std::cout << USAGE;
        return EXIT_OK;
    }
    if (args.strCommand == "--version") {
        std::cout << "ravelin-cli " RAVELIN_VERSION "\n";
        return EXIT_OK;
    }
    int nExit = EXIT_OK;
    if (!ParseArgs(argc, argv, args, nExit))
        return nExit;
    if (args.options.count("--help")) {
        std::cout << USAGE;
        return EXIT_OK;
    }
    if (!ApplyCodePage(args, nExit))
        return nExit;

    CStderrSink sink;
    CliContext ctx;
    ctx.pSink = &sink;
    if (!ApplyAddr(args, ctx, nExit))
        return nExit;
    CProgDb db;
    const std::string& cmd = args.strCommand;
    const size_t nPos = args.positional.size();
    if (cmd == "check")
        return Check(args, ctx, db);
    if (args.options.count("--fix"))
        return UsageError("--fix belongs to check");

    if (cmd == "info" || cmd == "dump") {
        if (nPos != 1)
            return UsageError(cmd + " takes one INPUT");
        if ((nExit = Load(args, args.positional[0], ctx, db)) != EXIT_OK)
            return nExit;
        if (cmd == "info") {
            std::cout << "satellites: " << db.GetSatList().GetCount() << "\n"
                      << "transponders: " << db.GetTpList().GetCount() << "\n"
                      << "programs: " << db.GetProgList().GetCount() << "\n";
        } else {
            std::cout << DumpJson(db, CodePage::GetAnsiCodePage());
        }
        return EXIT_OK;
    }
    if (cmd == "convert") {
        if (nPos != 2)
            return UsageError("convert takes INPUT and OUTPUT");
        const FileFormat* pOut = ResolveFormat(args, "--to", args.positional[1], false, nExit);
        if (!pOut)
            return nExit;
        if ((nExit = Load(args, args.positional[0], ctx, db)) != EXIT_OK)
            return nExit;
        return Save(args, pOut, args.positional[1], db);
    }
    if (cmd == "sample") {
        if (nPos != 1)
            return UsageError("sample takes one OUTPUT");
        const FileFormat* pOut = ResolveFormat(args, "--to", args.positional[0], false, nExit);
        if (!pOut)
            return nExit;
        CAccessDummyIn sample;
        sample.LoadDb("", &db);
        return Save(args, pOut, args.positional[0], db);
    }
    if (cmd == "merge") {
        if (nPos != 2)
            return UsageError("merge takes INPUT and FIRMWARE");
        if ((nExit = Load(args, args.positional[0], ctx, db)) != EXIT_OK)
            return nExit;
        if (db.IsEmpty()) {
            std::cerr << "Empty: No data to merge!\n";
            return EXIT_FAILED;
        }
        if (!KeepBackup(args, args.positional[1], "Merge Error"))
            return EXIT_FAILED;
        CAccessDftDbOut merge;
        if (!merge.SaveDb(args.positional[1], &db)) {
            ReportFailure("Merge Error");
            return EXIT_FAILED;
        }
        return EXIT_OK;
    }
    return UsageError("unknown command '" + cmd + "'");
}
