#include "edit/FlagCommand.h"

#include "db/ProgDb.h"
#include "edit/SetValues.h"

#include <string>

namespace {

const struct
{
    const FieldDesc* pField;
    const char* pszSet;
    const char* pszClear;
} FLAGS[] = {
    {&ProgField::Lock, "Lock ", "Unlock "},
    {&ProgField::Skip, "Skip ", "Unskip "},
    {&ProgField::Hide, "Hide ", "Unhide "},
};

} // namespace

std::unique_ptr<CEditCommand> MakeToggleFlagCommand(const CProgDb& db, ProgFlag nFlag,
                                                    std::vector<int32_t> ids)
{
    const auto& flag = FLAGS[nFlag];
    const CNodeList& progs = db.GetProgList();
    bool bAny = false;
    bool bAllSet = true;
    for (int32_t nId : ids) {
        const CNode* pNode = progs.Find(nId);
        if (!pNode)
            continue;
        bAny = true;
        bAllSet = bAllSet && static_cast<const CProgNode*>(pNode)->GetRecord()->Get(*flag.pField) != 0;
        if (!bAllSet)
            break;
    }
    if (!bAny)
        return nullptr;
    return MakeFieldActionCommand(NODE_PROG, *flag.pField, std::move(ids), bAllSet ? 0 : 1,
                                  bAllSet ? flag.pszClear : flag.pszSet);
}

std::unique_ptr<CEditCommand> MakeFavouriteGroupCommand(std::vector<int32_t> ids, uint32_t nGroup)
{
    if (nGroup > FAVOURITE_GROUPS)
        return nullptr;
    const std::string strAction = nGroup == 0 ? std::string("No Favourite Group for ")
                                              : "Favourite Group " + std::to_string(nGroup) + " for ";
    return MakeFieldActionCommand(NODE_PROG, ProgField::FavType, std::move(ids), nGroup, strAction);
}
