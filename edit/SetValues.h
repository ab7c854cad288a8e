#pragma once

#include "db/Columns.h"
#include "db/ProgDb.h"
#include "edit/EditCommand.h"
#include "edit/IndexSet.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <vector>

// Setting one value (a packed field or a name) on many records of one kind.
//
// The command keeps the positions of its records and one value per record: before the first Apply
// the value to set, afterwards the values the records do not hold at the moment. Applying and
// reverting are the same exchange of the kept values with the records' values, so a redo needs
// nothing that an undo does not.
//
// TSlot reads and writes the value of a node: `using Value`, `Value Get(const CNode&) const`,
// `void Set(CNode&, const Value&) const`. Values are kept in the narrowest type that holds them.
template <class TSlot> class CSetValuesCommand : public CEditCommand
{
public:
    using Value = typename TSlot::Value;

    // The records are the first records with each id in the list of nKind (as the list rows
    // show them); the text is strAction followed by the count: "Set VPID on " gives "Set VPID on 40
    // programs".
    CSetValuesCommand(TSlot slot, NodeType nKind, std::vector<int32_t> ids, Value value,
                      std::string strAction)
        : m_slot(std::move(slot)), m_nKind(nKind), m_ids(std::move(ids)), m_value(std::move(value)),
          m_strAction(std::move(strAction))
    {}

    bool Apply(CProgDb& db) override
    {
        if (m_bResolved) {
            Swap(db);
            return true;
        }
        return FirstApply(db);
    }
    void Revert(CProgDb& db) override { Swap(db); }
    unsigned GetTouched() const override { return TouchValues(m_nKind); }

private:
    bool FirstApply(CProgDb& db)
    {
        const CNodeList& list = db.GetList(m_nKind);
        std::unordered_set<const CNode*> targets;
        targets.reserve(m_ids.size());
        for (int32_t nId : m_ids)
            if (const CNode* pNode = list.Find(nId))
                targets.insert(pNode);
        std::vector<int32_t> positions;
        std::vector<CNode*> nodes;
        positions.reserve(targets.size());
        nodes.reserve(targets.size());
        int32_t nIndex = 0;
        for (auto it = list.begin(); it != list.end() && nodes.size() < targets.size(); ++it, ++nIndex) {
            if (targets.count(*it) != 0) {
                positions.push_back(nIndex);
                nodes.push_back(*it);
            }
        }
        bool bChanges = false;
        for (const CNode* pNode : nodes)
            bChanges = bChanges || !(m_slot.Get(*pNode) == m_value);
        if (!bChanges)
            return false; // nothing to set: the command is not kept

        m_positions = CIndexSet(positions);
        m_values.reserve(nodes.size());
        for (CNode* pNode : nodes) {
            m_values.push_back(m_slot.Get(*pNode));
            m_slot.Set(*pNode, m_value);
        }
        SetText(m_strAction + CountText(nodes.size(), m_nKind));
        m_bResolved = true;
        m_ids = std::vector<int32_t>();
        m_strAction = std::string();
        return true;
    }

    void Swap(CProgDb& db)
    {
        auto it = m_values.begin();
        m_positions.ForEachNode(db.GetList(m_nKind), [this, &it](CNode& node) {
            Value current = m_slot.Get(node);
            m_slot.Set(node, *it);
            *it++ = std::move(current);
        });
    }

    TSlot m_slot;
    NodeType m_nKind;
    std::vector<int32_t> m_ids; // the request, until the first Apply
    Value m_value;
    std::string m_strAction;
    bool m_bResolved = false;
    CIndexSet m_positions;
    std::vector<Value> m_values; // in list order of the records
};

// A packed field of records of class TNode, kept as TStore.
template <class TNode, class TStore> struct CFieldSlot
{
    using Value = TStore;
    const FieldDesc* pField;

    Value Get(const CNode& node) const
    {
        return static_cast<Value>(static_cast<const TNode&>(node).GetRecord()->Get(*pField));
    }
    void Set(CNode& node, const Value& value) const
    {
        static_cast<TNode&>(node).GetRecord()->Set(*pField, value);
    }
};

// The whole name field of satellites or programs, zero padding included.
template <class TNode, size_t nLen> struct CNameSlot
{
    using Value = std::array<uint8_t, nLen>;

    static Value FromBytes(const std::string& strName)
    {
        Value value{};
        std::memcpy(value.data(), strName.data(), strName.size() < nLen ? strName.size() : nLen);
        return value;
    }
    Value Get(const CNode& node) const
    {
        const auto* pRecord = static_cast<const TNode&>(node).GetRecord();
        Value value;
        if constexpr (std::is_same_v<TNode, CSatNode>)
            std::memcpy(value.data(), pRecord->Name, nLen);
        else
            std::memcpy(value.data(), pRecord->ProgName, nLen);
        return value;
    }
    void Set(CNode& node, const Value& value) const
    {
        auto* pRecord = static_cast<TNode&>(node).GetRecord();
        if constexpr (std::is_same_v<TNode, CSatNode>)
            std::memcpy(pRecord->Name, value.data(), nLen);
        else
            std::memcpy(pRecord->ProgName, value.data(), nLen);
    }
};

// Sets a packed field of the record kind nKind (one of g_satFields, g_tpFields, g_progFields for
// that kind, link fields and reserved bits included) to nValue (its low bits) on the first record
// with each id. The text is "Set <label> on N programs", the label being the field's name when
// strLabel is empty. Null when the field is not one of the kind.
std::unique_ptr<CEditCommand> MakeSetFieldCommand(NodeType nKind, const FieldDesc& field,
                                                  std::vector<int32_t> ids, uint32_t nValue,
                                                  const std::string& strLabel = std::string());

// The same with the whole text before the count given: "Lock " gives "Lock 3 programs".
std::unique_ptr<CEditCommand> MakeFieldActionCommand(NodeType nKind, const FieldDesc& field,
                                                     std::vector<int32_t> ids, uint32_t nValue,
                                                     std::string strAction);

// Sets the name of satellites or programs to strName (bytes in the ANSI code page, at most 16 or 21
// of them are kept): "Rename N programs". Null for any other kind.
std::unique_ptr<CEditCommand> MakeRenameCommand(NodeType nKind, std::vector<int32_t> ids,
                                                const std::string& strName);

// Sets a column of the list (db/Columns.h) to a value from ParseCellText: a field, an LNB index or a
// name, labelled with the column's heading. Null for a read-only column or one outside the table.
std::unique_ptr<CEditCommand> MakeSetColumnCommand(NodeType nKind, int nColumn, std::vector<int32_t> ids,
                                                   const CCellValue& value);
