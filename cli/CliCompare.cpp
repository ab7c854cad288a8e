#include "cli/CliCompare.h"

#include "cli/DiffOutput.h"
#include "db/ListDiff.h"
#include "db/ListMatch.h"
#include "db/OrderLike.h"
#include "db/ProgDb.h"
#include "edit/OrderLikeCommand.h"
#include "formats/Formats.h"
#include "platform/CodePage.h"

#include <cstdio>
#include <memory>

int RunDiff(const Args& args, CliContext& ctx)
{
    if (args.positional.size() != 2)
        return UsageError("diff takes A and B");
    CProgDb a, b;
    int nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, a);
    if (nExit == EXIT_OK)
        nExit = Load(args, INPUT_REF, args.positional[1], ctx, b);
    if (nExit != EXIT_OK)
        return nExit;
    const CListDiff diff = DiffLists(a, b);
    const uint32_t nCodePage = CodePage::GetAnsiCodePage();
    if (args.Has("--json"))
        WriteDiffJson(diff, a, b, nCodePage, stdout);
    else
        WriteDiffText(diff, a, b, nCodePage, stdout);
    return diff.IsSame() ? EXIT_OK : EXIT_PROBLEMS;
}

int RunReorder(const Args& args, CliContext& ctx)
{
    if (args.positional.size() != 3)
        return UsageError("reorder takes INPUT, REFERENCE and OUTPUT");
    int nExit = EXIT_OK;
    const FileFormat* pOut = ResolveFormat(args, "--to", args.positional[2], false, nExit);
    if (!pOut)
        return nExit;
    CProgDb db, ref;
    nExit = Load(args, INPUT_MAIN, args.positional[0], ctx, db);
    if (nExit == EXIT_OK)
        nExit = Load(args, INPUT_REF, args.positional[1], ctx, ref);
    if (nExit != EXIT_OK)
        return nExit;
    COrderOptions options;
    options.bNames = args.Has("--names");
    options.bFlags = args.Has("--flags");
    options.bAddMissing = args.Has("--add-missing");
    const CListMatch match = MatchLists(db, ref);
    std::unique_ptr<COrderLikeCommand> pCommand = COrderLikeCommand::Make(db, ref, options, &match);
    pCommand->Apply(db); // false only when the order is already the reference's: nothing changes
    if ((nExit = Save(args, pOut, args.positional[2], db)) != EXIT_OK)
        return nExit;
    for (const std::string& strLine : OrderSummaryLines(pCommand->GetPlan(), match, options))
        std::printf("%s\n", strLine.c_str());
    return EXIT_OK;
}
