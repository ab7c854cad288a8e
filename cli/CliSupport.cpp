#include "cli/CliSupport.h"

#include "access/LastError.h"
#include "access/MessageSink.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "formats/Formats.h"
#include "platform/Backup.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"

#include <cctype>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

const char* const USAGE =
    "Usage:\n"
    "  ravelin-cli info INPUT [--from FMT]\n"
    "  ravelin-cli dump INPUT [--from FMT]\n"
    "  ravelin-cli convert INPUT OUTPUT [--from FMT] [--to FMT] [--backup]\n"
    "  ravelin-cli check INPUT [--fix OUTPUT] [--from FMT] [--to FMT]\n"
    "                  list what is wrong with INPUT, one line per problem; with --fix,\n"
    "                  fix what can be fixed and write the result to OUTPUT. Exit status\n"
    "                  0: no problem (left), 3: problems remain, 1: load or save failed\n"
    "  ravelin-cli diff A B [--from FMT] [--addr HEX] [--ref-from FMT] [--ref-addr HEX] [--json]\n"
    "                  the differences of the channel list A from B, one line per record:\n"
    "                  \"- \" only in A, \"+ \" only in B, \"~ \" changed, \"> \" moved, then the\n"
    "                  counts. Exit status 0: the same, 3: they differ, 1: a load failed\n"
    "  ravelin-cli reorder INPUT REFERENCE OUTPUT [--names] [--flags] [--add-missing]\n"
    "                  [--from FMT] [--addr HEX] [--ref-from FMT] [--ref-addr HEX] [--to FMT] [--backup]\n"
    "                  INPUT in the order of the list REFERENCE, written to OUTPUT\n"
    "  ravelin-cli sample OUTPUT [--to FMT] [--backup]\n"
    "  ravelin-cli merge INPUT FIRMWARE [--from FMT] [--addr HEX] [--backup]\n"
    "                  write INPUT as the default channel list of the image FIRMWARE\n"
    "  ravelin-cli --version\n"
    "\n"
    "Options (anywhere after the command):\n"
    "  --from FMT      format of INPUT or A (default: from its extension)\n"
    "  --to FMT        format of OUTPUT (default: from its extension)\n"
    "  --fix OUTPUT    check: where the fixed database goes\n"
    "  --addr HEX      where the user database of a firmware image lies (bin20, bin25):\n"
    "                  hexadecimal, e.g. 110000 or 0x120000; auto (the default) searches\n"
    "                  layout 2.0 from the start and reads nothing of layout 2.5\n"
    "  --ref-from FMT  format of REFERENCE or B (default: from its extension)\n"
    "  --ref-addr HEX  --addr for REFERENCE or B\n"
    "  --json          diff: the differences as one JSON document\n"
    "  --names         reorder: matched satellites and programs take the reference's names\n"
    "  --flags         reorder: matched programs take its Lock, Skip, Hide and FavType\n"
    "  --add-missing   reorder: add the reference's records INPUT lacks, at their places\n"
    "  --codepage N    code page of record names (default: from the locale)\n"
    "  --backup        before OUTPUT or FIRMWARE is overwritten, copy it to FILE.bak\n"
    "                  (an existing FILE.bak is kept as it is)\n"
    "  --help          this text\n";

const char* const ADDR_OPTION[2] = {"--addr", "--ref-addr"};
const char* const FROM_OPTION[2] = {"--from", "--ref-from"};

std::string FormatList(bool bInput)
{
    return bInput ? ReadableFormatNames() : WritableFormatNames();
}

// "auto" (any case) or absent is 0; anything else is read like the address dialog's text.
bool ParseAddr(const Args& args, const char* pszOption, uint32_t& nAddr, int& nExit)
{
    auto it = args.options.find(pszOption);
    if (it == args.options.end())
        return true;
    std::string strLower = it->second;
    for (char& c : strLower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (strLower == "auto") {
        nAddr = 0;
        return true;
    }
    const std::string strHead = std::string(pszOption) + ": ";
    switch (ParseUserDbAddr(it->second, nAddr)) {
    case UserDbAddrParse::Ok:
        return true;
    case UserDbAddrParse::Empty:
        nExit = UsageError(strHead + USERDB_ADDR_EMPTY_MSG);
        return false;
    case UserDbAddrParse::NotHex:
        nExit = UsageError(strHead + USERDB_ADDR_NOT_HEX_MSG);
        return false;
    case UserDbAddrParse::Zero:
        nExit = UsageError(strHead + USERDB_ADDR_ZERO_MSG + " (give auto to search)");
        return false;
    case UserDbAddrParse::AutoRefused: // only the dialog's "Auto" item is refused
        nExit = UsageError(strHead + USERDB_ADDR_NEEDED_MSG);
        return false;
    }
    return false;
}

} // namespace

const char* UsageText()
{
    return USAGE;
}

int UsageError(const std::string& strMessage)
{
    std::cerr << "ravelin-cli: " << strMessage << "\n\n" << USAGE;
    return EXIT_USAGE;
}

const char* FormatOption(CliInput nInput)
{
    return FROM_OPTION[nInput];
}

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
            nExit = UsageError("'" + strPath + "' is a firmware image: give " + pszOption + " bin20 or " +
                               pszOption + " bin25 for the layout 2.0 or 2.5 of its user database");
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

void ReportFailure(const char* pszCaption)
{
    if (HasLastError()) {
        std::cerr << pszCaption << ": " << GetLastErrorMsg() << "\n";
        ClearLastError();
    } else {
        std::cerr << pszCaption << ": Unknown Error!\n";
    }
}

int Load(const Args& args, CliInput nInput, const std::string& strPath, CliContext& ctx, CProgDb& db)
{
    int nExit = EXIT_OK;
    const FileFormat* pFormat = ResolveFormat(args, FROM_OPTION[nInput], strPath, true, nExit);
    if (!pFormat)
        return nExit;
    if (!FileExists(strPath)) {
        std::cerr << "ravelin-cli: no such file: " << strPath << "\n";
        return EXIT_FAILED;
    }
    const uint32_t nAddr = ctx.nAddr[nInput];
    CFixedUserDbAddr addr(nAddr);
    std::unique_ptr<CAccessIn> pIn = pFormat->fnMakeIn({addr, *ctx.pSink});
    db.Clear();
    if (!pIn->LoadDb(strPath, &db)) {
        const bool bHint = !HasLastError() && pFormat->strName == "bin25" && nAddr == 0;
        ReportFailure("Load Error");
        if (bHint)
            std::cerr << "ravelin-cli: layout 2.5 is never searched for; give its address with "
                      << ADDR_OPTION[nInput] << " HEX\n";
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

bool KeepBackup(const Args& args, const std::string& strPath, const char* pszCaption)
{
    if (!args.Has("--backup"))
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
    // Each option with whether it takes a value.
    static const std::map<std::string, bool> known = {
        {"--from", true},         {"--to", true},    {"--codepage", true}, {"--addr", true},
        {"--fix", true},          {"--help", false}, {"--backup", false},  {"--ref-from", true},
        {"--ref-addr", true},     {"--json", false}, {"--names", false},   {"--flags", false},
        {"--add-missing", false},
    };
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

bool ApplyAddrs(const Args& args, CliContext& ctx, int& nExit)
{
    return ParseAddr(args, ADDR_OPTION[INPUT_MAIN], ctx.nAddr[INPUT_MAIN], nExit) &&
           ParseAddr(args, ADDR_OPTION[INPUT_REF], ctx.nAddr[INPUT_REF], nExit);
}
