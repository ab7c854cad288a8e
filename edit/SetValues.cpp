#include "edit/SetValues.h"

#include <algorithm>
#include <iterator>

namespace {

template <size_t nCount> bool Holds(const FieldDesc* const (&fields)[nCount], const FieldDesc& field)
{
    return std::find(std::begin(fields), std::end(fields), &field) != std::end(fields);
}

bool IsFieldOf(NodeType nKind, const FieldDesc& field)
{
    switch (nKind) {
    case NODE_SAT:
        return Holds(g_satFields, field);
    case NODE_TP:
        return Holds(g_tpFields, field);
    case NODE_PROG:
        return Holds(g_progFields, field);
    }
    return false;
}

template <class TNode>
std::unique_ptr<CEditCommand> MakeFieldCommand(NodeType nKind, const FieldDesc& field,
                                               std::vector<int32_t> ids, uint32_t nValue,
                                               std::string strAction)
{
    // Kept values take the narrowest type: 40,000 values of a 13-bit field take 80 KB.
    nValue &= FieldMask(field.nWidth);
    if (field.nWidth <= 8)
        return std::make_unique<CSetValuesCommand<CFieldSlot<TNode, uint8_t>>>(
            CFieldSlot<TNode, uint8_t>{&field}, nKind, std::move(ids), static_cast<uint8_t>(nValue),
            std::move(strAction));
    if (field.nWidth <= 16)
        return std::make_unique<CSetValuesCommand<CFieldSlot<TNode, uint16_t>>>(
            CFieldSlot<TNode, uint16_t>{&field}, nKind, std::move(ids), static_cast<uint16_t>(nValue),
            std::move(strAction));
    return std::make_unique<CSetValuesCommand<CFieldSlot<TNode, uint32_t>>>(
        CFieldSlot<TNode, uint32_t>{&field}, nKind, std::move(ids), nValue, std::move(strAction));
}

} // namespace

std::unique_ptr<CEditCommand> MakeSetFieldCommand(NodeType nKind, const FieldDesc& field,
                                                  std::vector<int32_t> ids, uint32_t nValue,
                                                  const std::string& strLabel)
{
    return MakeFieldActionCommand(nKind, field, std::move(ids), nValue,
                                  "Set " + (strLabel.empty() ? std::string(field.pszName) : strLabel) +
                                      " on ");
}

std::unique_ptr<CEditCommand> MakeFieldActionCommand(NodeType nKind, const FieldDesc& field,
                                                     std::vector<int32_t> ids, uint32_t nValue,
                                                     std::string strAction)
{
    if (!IsFieldOf(nKind, field))
        return nullptr;
    switch (nKind) {
    case NODE_SAT:
        return MakeFieldCommand<CSatNode>(nKind, field, std::move(ids), nValue, std::move(strAction));
    case NODE_TP:
        return MakeFieldCommand<CTpNode>(nKind, field, std::move(ids), nValue, std::move(strAction));
    default:
        return MakeFieldCommand<CProgNode>(nKind, field, std::move(ids), nValue, std::move(strAction));
    }
}

std::unique_ptr<CEditCommand> MakeRenameCommand(NodeType nKind, std::vector<int32_t> ids,
                                                const std::string& strName)
{
    if (nKind == NODE_SAT) {
        using Slot = CNameSlot<CSatNode, SAT_NAME_LEN>;
        return std::make_unique<CSetValuesCommand<Slot>>(Slot{}, nKind, std::move(ids),
                                                         Slot::FromBytes(strName), "Rename ");
    }
    if (nKind == NODE_PROG) {
        using Slot = CNameSlot<CProgNode, PROG_NAME_LEN>;
        return std::make_unique<CSetValuesCommand<Slot>>(Slot{}, nKind, std::move(ids),
                                                         Slot::FromBytes(strName), "Rename ");
    }
    return nullptr;
}

std::unique_ptr<CEditCommand> MakeSetColumnCommand(NodeType nKind, int nColumn, std::vector<int32_t> ids,
                                                   const CCellValue& value)
{
    const CColumn* pCol = GetColumn(nKind, nColumn);
    if (!pCol || pCol->bReadOnly)
        return nullptr;
    if (pCol->nSource == CColumn::SRC_NAME)
        return MakeRenameCommand(nKind, std::move(ids), value.strName);
    return MakeSetFieldCommand(nKind, *pCol->pField, std::move(ids), value.nValue, pCol->pszHeading);
}
