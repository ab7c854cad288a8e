// ravelin-cli: the scripting face of the editor. Loads a channel database with one importer and
// writes it with one exporter, prints it, checks (and fixes) it, compares it with another list or
// orders it like one, or writes the built-in sample.

#include "access/AccessDftDb.h"
#include "access/AccessDummy.h"
#include "access/JsonDump.h"
#include "access/MessageSink.h"
#include "cli/CliCompare.h"
#include "cli/CliSupport.h"
#include "db/Check.h"
#include "db/ProgDb.h"
#include "formats/Formats.h"
#include "platform/CodePage.h"
#include "ravelin_version.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace {

class CStderrSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon) override
    {
        std::cerr << strCaption << ": " << strText << "\n";
    }
};

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
    if ((nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, db)) != EXIT_OK)
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

// Options that only one or two commands take are refused elsewhere, so a mistyped command line does
// not quietly do something else.
bool CheckOptionsBelong(const Args& args, int& nExit)
{
    struct SBelongs
    {
        const char* pszOption;
        std::vector<std::string> commands;
    };
    static const SBelongs belongs[] = {
        {"--fix", {"check"}},
        {"--ref-from", {"diff", "reorder"}},
        {"--ref-addr", {"diff", "reorder"}},
        {"--json", {"diff"}},
        {"--names", {"reorder"}},
        {"--flags", {"reorder"}},
        {"--add-missing", {"reorder"}},
    };
    for (const SBelongs& b : belongs) {
        if (!args.Has(b.pszOption) ||
            std::find(b.commands.begin(), b.commands.end(), args.strCommand) != b.commands.end())
            continue;
        std::string strCommands;
        for (const std::string& strCommand : b.commands)
            strCommands += (strCommands.empty() ? "" : " and ") + strCommand;
        nExit = UsageError(std::string(b.pszOption) + " belongs to " + strCommands);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return UsageError("no command given");
    Args args;
    args.strCommand = argv[1];
    if (args.strCommand == "--help" || args.strCommand == "-h" || args.strCommand == "help") {
        std::cout << UsageText();
        return EXIT_OK;
    }
    if (args.strCommand == "--version") {
        std::cout << "ravelin-cli " RAVELIN_VERSION "\n";
        return EXIT_OK;
    }
    int nExit = EXIT_OK;
    if (!ParseArgs(argc, argv, args, nExit))
        return nExit;
    if (args.Has("--help")) {
        std::cout << UsageText();
        return EXIT_OK;
    }
    if (!ApplyCodePage(args, nExit))
        return nExit;

    CStderrSink sink;
    CliContext ctx;
    ctx.pSink = &sink;
    if (!ApplyAddrs(args, ctx, nExit))
        return nExit;
    CProgDb db;
    const std::string& cmd = args.strCommand;
    const size_t nPos = args.positional.size();
    if (!CheckOptionsBelong(args, nExit))
        return nExit;
    if (cmd == "check")
        return Check(args, ctx, db);
    if (cmd == "diff")
        return RunDiff(args, ctx);
    if (cmd == "reorder")
        return RunReorder(args, ctx);

    if (cmd == "info" || cmd == "dump") {
        if (nPos != 1)
            return UsageError(cmd + " takes one INPUT");
        if ((nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, db)) != EXIT_OK)
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
        if ((nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, db)) != EXIT_OK)
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
        if ((nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, db)) != EXIT_OK)
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
