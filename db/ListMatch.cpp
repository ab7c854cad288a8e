#include "db/ListMatch.h"

#include "db/IdMap.h"
#include "db/ParentPositions.h"
#include "db/ProgDb.h"
#include "platform/CaseFold.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr uint64_t NO_KEY = ~uint64_t(0);
constexpr uint32_t NO_NAME = ~uint32_t(0);

// Two numbers as one key: a position (or a small key) above, a name id or field values below.
uint64_t PairKey(int32_t nHigh, uint32_t nLow)
{
    return (uint64_t(static_cast<uint32_t>(nHigh)) << 32) | nLow;
}

// A transponder under a satellite: SymbolRate (16 bits), Polar (1), Frequency (14).
uint64_t TpKey(int32_t nSat, uint32_t nSymbolRate, uint32_t nPolar, uint32_t nFreq)
{
    return PairKey(nSat, (nSymbolRate << 15) | (nPolar << 14) | nFreq);
}

// The size of an open hash table for nCount entries: a power of two, at least half as large again.
size_t TableSize(size_t nCount)
{
    size_t nSize = 16;
    while (nSize < nCount + nCount / 2)
        nSize *= 2;
    return nSize;
}

// Fibonacci hashing: the high bits of the key times 2^64 / golden ratio pick the slot.
size_t SlotOf(uint64_t nKey, size_t nMask)
{
    return static_cast<size_t>((nKey * 0x9E3779B97F4A7C15ull) >> 32) & nMask;
}

// A record of a list with the key it is grouped under.
struct SKeyed
{
    int32_t nPos;
    uint64_t nKey; // NO_KEY: in no group
};

// The records of one list grouped by a key, each group in list order, for finding the first record
// with a key that is not matched yet. A group is a chain of records in list order that starts in an
// open hash table; the matched records at its start are unlinked as they are met, so that each is
// passed over once and a whole matching step costs O(n). Only the records given take room.
class CKeyGroups
{
public:
    // nCandidates records, keyAt(k) giving the k-th of them (in ascending positions) as SKeyed.
    template <class TKeyAt>
    CKeyGroups(size_t nCandidates, TKeyAt keyAt)
        : m_slots(TableSize(nCandidates)), m_nMask(m_slots.size() - 1)
    {
        m_entries.reserve(nCandidates);
        for (size_t k = nCandidates; k-- > 0;) {
            const SKeyed keyed = keyAt(k);
            if (keyed.nKey == NO_KEY)
                continue;
            SSlot& slot = m_slots[Find(keyed.nKey)];
            slot.nKey = keyed.nKey;
            m_entries.push_back(SEntry{keyed.nPos, slot.nHead});
            slot.nHead = static_cast<int32_t>(m_entries.size() - 1);
            ++slot.nCount;
        }
    }
    // One key per record of the list.
    explicit CKeyGroups(const std::vector<uint64_t>& keys)
        : CKeyGroups(keys.size(), [&keys](size_t k) {
              return SKeyed{static_cast<int32_t>(k), keys[k]};
          })
    {}

    int32_t Count(uint64_t nKey) const { return m_slots[Find(nKey)].nCount; }

    // The first record with the key whose taken[] entry is below 0, or -1.
    int32_t FirstFree(uint64_t nKey, const std::vector<int32_t>& taken)
    {
        SSlot& slot = m_slots[Find(nKey)];
        while (slot.nHead >= 0) {
            const SEntry& entry = m_entries[static_cast<size_t>(slot.nHead)];
            if (taken[static_cast<size_t>(entry.nPos)] < 0)
                return entry.nPos;
            slot.nHead = entry.nNext;
        }
        return -1;
    }

private:
    struct SSlot
    {
        uint64_t nKey = NO_KEY;
        int32_t nHead = -1; // the first entry of the group not known to be taken
        int32_t nCount = 0; // records with the key; 0 for an empty slot
    };
    struct SEntry
    {
        int32_t nPos;
        int32_t nNext; // the next entry of the group, or -1
    };

    // The slot of the key, or the empty slot where it would go.
    size_t Find(uint64_t nKey) const
    {
        size_t i = SlotOf(nKey, m_nMask);
        while (m_slots[i].nCount != 0 && m_slots[i].nKey != nKey)
            i = (i + 1) & m_nMask;
        return i;
    }

    std::vector<SSlot> m_slots;
    size_t m_nMask;
    std::vector<SEntry> m_entries;
};

// The names of chosen records of a list as MatchName gives them, one after another in one buffer.
struct SFoldedNames
{
    std::string strText;
    std::vector<uint32_t> offsets;  // name i is strText[offsets[i], offsets[i + 1])
    std::vector<int32_t> positions; // name i is the record's at positions[i]

    std::string_view Name(size_t i) const
    {
        return std::string_view(strText.data() + offsets[i], offsets[i + 1] - offsets[i]);
    }
};

class CNameFolder
{
public:
    CNameFolder()
        : m_nCodePage(CodePage::GetAnsiCodePage()), m_bAsciiSafe(CodePage::IsAsciiCompatible(m_nCodePage)),
          m_decoder(m_nCodePage)
    {}

    // Appends the match name of nLen bytes to strOut.
    void Append(const char* pBytes, size_t nLen, std::string& strOut)
    {
        m_strFolded.clear();
        bool bAscii = m_bAsciiSafe;
        for (size_t i = 0; bAscii && i < nLen; ++i)
            bAscii = static_cast<unsigned char>(pBytes[i]) < 0x80;
        if (bAscii) {
            for (size_t i = 0; i < nLen; ++i) {
                const char c = pBytes[i];
                m_strFolded += c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
            }
        } else {
            CodePage::AppendFoldedUtf8(m_decoder.ToUtf8(std::string(pBytes, nLen)), m_strFolded);
        }
        size_t nFirst = 0, nEnd = m_strFolded.size();
        while (nFirst < nEnd && (m_strFolded[nFirst] == ' ' || m_strFolded[nFirst] == '\t'))
            ++nFirst;
        while (nEnd > nFirst && (m_strFolded[nEnd - 1] == ' ' || m_strFolded[nEnd - 1] == '\t'))
            --nEnd;
        strOut.append(m_strFolded, nFirst, nEnd - nFirst);
    }

    // The names of the satellites or programs at the positions.
    SFoldedNames Fold(const std::vector<const CNode*>& nodes, std::vector<int32_t> positions)
    {
        SFoldedNames names;
        names.offsets.reserve(positions.size() + 1);
        names.strText.reserve(positions.size() * 16);
        for (int32_t nPos : positions) {
            const CNode* pNode = nodes[static_cast<size_t>(nPos)];
            names.offsets.push_back(static_cast<uint32_t>(names.strText.size()));
            const char* pName = nullptr;
            size_t nMax = 0;
            if (pNode->GetType() == NODE_SAT) {
                pName = reinterpret_cast<const char*>(static_cast<const CSatNode*>(pNode)->GetRecord()->Name);
                nMax = SAT_NAME_LEN;
            } else {
                pName = reinterpret_cast<const char*>(
                    static_cast<const CProgNode*>(pNode)->GetRecord()->ProgName);
                nMax = PROG_NAME_LEN;
            }
            const void* pZero = std::memchr(pName, 0, nMax);
            Append(pName, pZero ? static_cast<size_t>(static_cast<const char*>(pZero) - pName) : nMax,
                   names.strText);
        }
        names.offsets.push_back(static_cast<uint32_t>(names.strText.size()));
        names.positions = std::move(positions);
        return names;
    }

private:
    uint32_t m_nCodePage;
    bool m_bAsciiSafe;
    CodePage::CUtf8Decoder m_decoder;
    std::string m_strFolded;
};

// Numbers for names: equal names get equal numbers. The names are kept as views into folded text
// that must outlive this object, in an open hash table made for at most nCapacity names.
class CNameIds
{
public:
    explicit CNameIds(size_t nCapacity) : m_slots(TableSize(nCapacity), NO_NAME), m_nMask(m_slots.size() - 1)
    {}

    // Per record of a list of nCount, the number of its name among names (NO_NAME for records
    // without a name there and for the empty name). With bAdd unknown names get new numbers, without
    // it NO_NAME.
    std::vector<uint32_t> Of(const SFoldedNames& names, size_t nCount, bool bAdd)
    {
        std::vector<uint32_t> ids(nCount, NO_NAME);
        for (size_t i = 0; i < names.positions.size(); ++i) {
            const std::string_view name = names.Name(i);
            if (name.empty())
                continue;
            uint64_t nHash = 14695981039346656037ull; // FNV-1a
            for (char c : name)
                nHash = (nHash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            size_t nSlot = SlotOf(nHash, m_nMask);
            while (m_slots[nSlot] != NO_NAME && m_names[m_slots[nSlot]] != name)
                nSlot = (nSlot + 1) & m_nMask;
            if (m_slots[nSlot] == NO_NAME && bAdd) {
                m_slots[nSlot] = static_cast<uint32_t>(m_names.size());
                m_names.push_back(name);
            }
            ids[static_cast<size_t>(names.positions[i])] = m_slots[nSlot];
        }
        return ids;
    }
    uint32_t GetCount() const { return static_cast<uint32_t>(m_names.size()); }

private:
    std::vector<uint32_t> m_slots; // name numbers, NO_NAME for an empty slot
    size_t m_nMask;
    std::vector<std::string_view> m_names;
};

std::vector<const CNode*> NodesOf(const CNodeList& list)
{
    return std::vector<const CNode*>(list.begin(), list.end());
}

std::vector<int32_t> AllPositions(size_t nCount)
{
    std::vector<int32_t> positions(nCount);
    for (size_t i = 0; i < nCount; ++i)
        positions[i] = static_cast<int32_t>(i);
    return positions;
}

// The positions whose entry in matched is still -1.
std::vector<int32_t> Unmatched(const std::vector<int32_t>& matched)
{
    std::vector<int32_t> positions;
    for (size_t i = 0; i < matched.size(); ++i)
        if (matched[i] < 0)
            positions.push_back(static_cast<int32_t>(i));
    return positions;
}

void Take(CKindMatch& match, int32_t nList, int32_t nRef, MatchHow nHow)
{
    match.refOf[static_cast<size_t>(nList)] = nRef;
    match.listOf[static_cast<size_t>(nRef)] = nList;
    match.how[static_cast<size_t>(nList)] = nHow;
    ++match.nMatched;
    ++match.nHow[nHow];
}

bool IsFree(const CKindMatch& match, size_t nList)
{
    return match.refOf[nList] < 0;
}

// The match of a position of L in the kind above, or -1 for none.
int32_t MatchOf(const CKindMatch& above, int32_t nPos)
{
    return nPos < 0 ? -1 : above.refOf[static_cast<size_t>(nPos)];
}

std::vector<uint64_t> SatPlaces(const CNodeList& list)
{
    std::vector<uint64_t> keys;
    keys.reserve(static_cast<size_t>(list.GetCount()));
    for (const CNode* pNode : list) {
        const SatRecord& r = *static_cast<const CSatNode*>(pNode)->GetRecord();
        keys.push_back((uint64_t(r.Get(SatField::Longitude)) << 1) | r.Get(SatField::Direction));
    }
    return keys;
}

void MatchSats(const CNodeList& list, const CNodeList& ref, CNameFolder& folder, CKindMatch& match)
{
    const std::vector<const CNode*> listNodes = NodesOf(list), refNodes = NodesOf(ref);
    const SFoldedNames listText = folder.Fold(listNodes, AllPositions(listNodes.size()));
    const SFoldedNames refText = folder.Fold(refNodes, AllPositions(refNodes.size()));
    CNameIds nameIds(listNodes.size() + refNodes.size());
    const std::vector<uint32_t> listNames = nameIds.Of(listText, listNodes.size(), true);
    const std::vector<uint32_t> refNames = nameIds.Of(refText, refNodes.size(), true);

    const std::vector<uint64_t> listPlaces = SatPlaces(list), refPlaces = SatPlaces(ref);
    const CKeyGroups listByPlace(listPlaces);
    CKeyGroups refByPlace(refPlaces);
    for (size_t i = 0; i < listPlaces.size(); ++i) {
        const uint64_t nPlace = listPlaces[i];
        if (listByPlace.Count(nPlace) == 1 && refByPlace.Count(nPlace) == 1) {
            const int32_t j = refByPlace.FirstFree(nPlace, match.listOf);
            if (j >= 0)
                Take(match, static_cast<int32_t>(i), j, MATCH_SAT_POSITION);
        }
    }

    std::vector<uint64_t> refNameKeys(refNames.size(), NO_KEY), refPlaceNameKeys(refNames.size(), NO_KEY);
    for (size_t j = 0; j < refNames.size(); ++j) {
        if (refNames[j] == NO_NAME)
            continue;
        refNameKeys[j] = refNames[j];
        refPlaceNameKeys[j] = PairKey(static_cast<int32_t>(refPlaces[j]), refNames[j]);
    }
    CKeyGroups refByName(refNameKeys), refByPlaceName(refPlaceNameKeys);
    for (size_t i = 0; i < listPlaces.size(); ++i) {
        if (!IsFree(match, i) || listNames[i] == NO_NAME)
            continue;
        int32_t j = refByPlaceName.FirstFree(PairKey(static_cast<int32_t>(listPlaces[i]), listNames[i]),
                                             match.listOf);
        if (j < 0)
            j = refByName.FirstFree(listNames[i], match.listOf);
        if (j >= 0)
            Take(match, static_cast<int32_t>(i), j, MATCH_SAT_NAME);
    }
}

std::vector<uint32_t> TpWords(const CNodeList& list)
{
    std::vector<uint32_t> words;
    words.reserve(static_cast<size_t>(list.GetCount()));
    for (const CNode* pNode : list)
        words.push_back(static_cast<const CTpNode*>(pNode)->GetRecord()->dwWord[0]);
    return words;
}

void MatchTps(const CNodeList& list, const CNodeList& ref, const std::vector<int32_t>& listSats,
              const std::vector<int32_t>& refSats, const CKindMatch& sats, CKindMatch& match)
{
    const std::vector<uint32_t> listWords = TpWords(list), refWords = TpWords(ref);
    auto field = [](uint32_t dwWord, const FieldDesc& f) { return GetBits(dwWord, f.nPos, f.nWidth); };
    auto keyOf = [&field](int32_t nSat, uint32_t dwWord, uint32_t nFreq) {
        return TpKey(nSat, field(dwWord, TpField::SymbolRate), field(dwWord, TpField::Polar), nFreq);
    };
    std::vector<uint64_t> refKeys(refWords.size(), NO_KEY);
    for (size_t j = 0; j < refWords.size(); ++j)
        if (refSats[j] >= 0)
            refKeys[j] = keyOf(refSats[j], refWords[j], field(refWords[j], TpField::Frequency));
    CKeyGroups refGroups(refKeys);

    for (size_t i = 0; i < listWords.size(); ++i) {
        const int32_t nSat = MatchOf(sats, listSats[i]);
        if (nSat < 0)
            continue;
        const int32_t j = refGroups.FirstFree(
            keyOf(nSat, listWords[i], field(listWords[i], TpField::Frequency)), match.listOf);
        if (j >= 0)
            Take(match, static_cast<int32_t>(i), j, MATCH_TP_EXACT);
    }

    const uint32_t nMaxFreq = FieldMask(TpField::Frequency.nWidth);
    for (size_t i = 0; i < listWords.size(); ++i) {
        const int32_t nSat = MatchOf(sats, listSats[i]);
        if (!IsFree(match, i) || nSat < 0)
            continue;
        const uint32_t nFreq = field(listWords[i], TpField::Frequency);
        for (uint32_t nDelta = 1; nDelta <= 2; ++nDelta) {
            const int32_t nBelow =
                nFreq >= nDelta ? refGroups.FirstFree(keyOf(nSat, listWords[i], nFreq - nDelta), match.listOf)
                                : -1;
            const int32_t nAbove =
                nFreq + nDelta <= nMaxFreq
                    ? refGroups.FirstFree(keyOf(nSat, listWords[i], nFreq + nDelta), match.listOf)
                    : -1;
            const int32_t j = nBelow < 0 ? nAbove : nAbove < 0 ? nBelow : std::min(nBelow, nAbove);
            if (j >= 0) {
                Take(match, static_cast<int32_t>(i), j, MATCH_TP_NEAR);
                break;
            }
        }
    }
}

struct SProgSide
{
    std::vector<const CNode*> nodes;
    std::vector<int32_t> tps;   // position of each program's transponder, or -1
    std::vector<int32_t> sats;  // position of that transponder's satellite, or -1
    std::vector<uint32_t> sids; // ServiceId
};

// One walk over the programs: each one's node, transponder, satellite and ServiceId.
SProgSide ProgSide(const CProgDb& db, const std::vector<int32_t>& satOfTp)
{
    const CNodeList& tps = db.GetTpList();
    CIdMap tpAt(int64_t(tps.GetLastId()) + 1); // the first transponder with each id
    int32_t nIndex = 0;
    for (const CNode* pNode : tps) {
        int32_t& nFirst = tpAt.At(pNode->GetId());
        if (nFirst < 0)
            nFirst = nIndex;
        ++nIndex;
    }
    SProgSide side;
    const auto nCount = static_cast<size_t>(db.GetProgList().GetCount());
    side.nodes.reserve(nCount);
    side.tps.reserve(nCount);
    side.sats.reserve(nCount);
    side.sids.reserve(nCount);
    for (const CNode* pNode : db.GetProgList()) {
        const int32_t nTp = tpAt.Get(pNode->GetParentId());
        side.nodes.push_back(pNode);
        side.tps.push_back(nTp);
        side.sats.push_back(nTp < 0 ? -1 : satOfTp[static_cast<size_t>(nTp)]);
        side.sids.push_back(static_cast<const CProgNode*>(pNode)->GetRecord()->Get(ProgField::ServiceId));
    }
    return side;
}

// The programs of a list by transponder, each transponder's in the order of their ServiceIds: the
// programs of a transponder lie together, so a look-up reads a few neighbouring entries.
class CTpServices
{
public:
    explicit CTpServices(const SProgSide& side)
    {
        int32_t nTps = 0;
        for (int32_t nTp : side.tps)
            nTps = std::max(nTps, nTp + 1);
        m_begin.assign(static_cast<size_t>(nTps) + 1, 0);
        for (int32_t nTp : side.tps)
            if (nTp >= 0)
                ++m_begin[static_cast<size_t>(nTp) + 1];
        for (size_t t = 1; t < m_begin.size(); ++t)
            m_begin[t] += m_begin[t - 1];
        m_entries.resize(static_cast<size_t>(m_begin.back()));
        std::vector<int32_t> next(m_begin.begin(), m_begin.end() - 1);
        for (size_t i = 0; i < side.tps.size(); ++i)
            if (side.tps[i] >= 0)
                m_entries[static_cast<size_t>(next[static_cast<size_t>(side.tps[i])]++)] =
                    (uint64_t(side.sids[i]) << 32) | static_cast<uint32_t>(i);
        for (size_t t = 0; t + 1 < m_begin.size(); ++t)
            std::sort(m_entries.begin() + m_begin[t], m_entries.begin() + m_begin[t + 1]);
    }

    // Programs of transponder nTp with the ServiceId.
    int32_t Count(int32_t nTp, uint32_t nSid) const
    {
        const auto range = Range(nTp, nSid);
        return static_cast<int32_t>(range.second - range.first);
    }
    // The program of transponder nTp with the ServiceId when it is the only one, else -1.
    int32_t Only(int32_t nTp, uint32_t nSid) const
    {
        const auto range = Range(nTp, nSid);
        return range.second - range.first == 1 ? static_cast<int32_t>(*range.first & 0xFFFFFFFFu) : -1;
    }

private:
    using Iter = std::vector<uint64_t>::const_iterator;

    std::pair<Iter, Iter> Range(int32_t nTp, uint32_t nSid) const
    {
        if (nTp < 0 || static_cast<size_t>(nTp) + 1 >= m_begin.size())
            return {m_entries.end(), m_entries.end()};
        const Iter first = m_entries.begin() + m_begin[static_cast<size_t>(nTp)];
        const Iter last = m_entries.begin() + m_begin[static_cast<size_t>(nTp) + 1];
        const uint64_t nLow = uint64_t(nSid) << 32;
        const Iter lo = std::lower_bound(first, last, nLow);
        return {lo, std::lower_bound(lo, last, nLow + (uint64_t(1) << 32))};
    }

    std::vector<int32_t> m_begin;    // per transponder the first entry; one more at the end
    std::vector<uint64_t> m_entries; // ServiceId above, position below
};

void MatchProgs(const SProgSide& l, const SProgSide& r, CNameFolder& folder, const CKindMatch& sats,
                const CKindMatch& tps, CKindMatch& match)
{
    const size_t nList = l.tps.size(), nRef = r.tps.size();
    {
        const CTpServices listServices(l), refServices(r);
        for (size_t i = 0; i < nList; ++i) {
            const int32_t nTp = MatchOf(tps, l.tps[i]);
            if (nTp < 0 || listServices.Count(l.tps[i], l.sids[i]) != 1)
                continue;
            const int32_t j = refServices.Only(nTp, l.sids[i]);
            if (j >= 0 && match.listOf[static_cast<size_t>(j)] < 0)
                Take(match, static_cast<int32_t>(i), j, MATCH_PROG_SERVICE);
        }
    }

    // The names only of the records still unmatched on either side: after a rescan few are left.
    const SFoldedNames listText = folder.Fold(l.nodes, Unmatched(match.refOf));
    if (listText.positions.empty())
        return;
    const SFoldedNames refText = folder.Fold(r.nodes, Unmatched(match.listOf));
    CNameIds nameIds(listText.positions.size());
    const std::vector<uint32_t> listNames = nameIds.Of(listText, nList, true);
    const std::vector<uint32_t> refNames = nameIds.Of(refText, nRef, false);
    // Unmatched reference programs of each name, for the last step.
    std::vector<int32_t> freeOfName(nameIds.GetCount(), 0);
    for (uint32_t nName : refNames)
        if (nName != NO_NAME)
            ++freeOfName[nName];
    auto take = [&](size_t i, int32_t j, MatchHow nHow) {
        Take(match, static_cast<int32_t>(i), j, nHow);
        --freeOfName[refNames[static_cast<size_t>(j)]];
    };

    // The reference's unmatched programs by name on their transponder, on their satellite, anywhere.
    const std::vector<int32_t>& refOpen = refText.positions;
    auto keyed = [&](const std::vector<int32_t>& sides, size_t k) {
        const auto j = static_cast<size_t>(refOpen[k]);
        const bool bKeyed = refNames[j] != NO_NAME && (sides.empty() || sides[j] >= 0);
        return SKeyed{refOpen[k], !bKeyed         ? NO_KEY
                                  : sides.empty() ? refNames[j]
                                                  : PairKey(sides[j], refNames[j])};
    };
    const std::vector<int32_t> none;
    CKeyGroups refByTp(refOpen.size(), [&](size_t k) { return keyed(r.tps, k); });
    CKeyGroups refBySat(refOpen.size(), [&](size_t k) { return keyed(r.sats, k); });
    CKeyGroups refByName(refOpen.size(), [&](size_t k) { return keyed(none, k); });
    for (int32_t nPos : listText.positions) {
        const auto i = static_cast<size_t>(nPos);
        const int32_t nSat = MatchOf(sats, l.sats[i]);
        if (listNames[i] == NO_NAME || nSat < 0)
            continue;
        const int32_t nTp = MatchOf(tps, l.tps[i]);
        int32_t j = nTp >= 0 ? refByTp.FirstFree(PairKey(nTp, listNames[i]), match.listOf) : -1;
        if (j < 0)
            j = refBySat.FirstFree(PairKey(nSat, listNames[i]), match.listOf);
        if (j >= 0)
            take(i, j, MATCH_PROG_NAME_SAT);
    }
    for (int32_t nPos : listText.positions) {
        const auto i = static_cast<size_t>(nPos);
        if (!IsFree(match, i) || listNames[i] == NO_NAME || freeOfName[listNames[i]] != 1)
            continue;
        const int32_t j = refByName.FirstFree(listNames[i], match.listOf);
        if (j >= 0)
            take(i, j, MATCH_PROG_NAME_ANY);
    }
}

} // namespace

CListMatch MatchLists(const CProgDb& list, const CProgDb& ref)
{
    CListMatch match;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        CKindMatch& m = match.kinds[nKind];
        m.refOf.assign(static_cast<size_t>(list.GetList(nKind).GetCount()), -1);
        m.listOf.assign(static_cast<size_t>(ref.GetList(nKind).GetCount()), -1);
        m.how.assign(m.refOf.size(), MATCH_NONE);
    }

    CNameFolder folder;
    MatchSats(list.GetSatList(), ref.GetSatList(), folder, match.kinds[NODE_SAT]);

    const std::vector<int32_t> listSatOfTp = ParentPositions(list, NODE_TP);
    const std::vector<int32_t> refSatOfTp = ParentPositions(ref, NODE_TP);
    MatchTps(list.GetTpList(), ref.GetTpList(), listSatOfTp, refSatOfTp, match.kinds[NODE_SAT],
             match.kinds[NODE_TP]);

    MatchProgs(ProgSide(list, listSatOfTp), ProgSide(ref, refSatOfTp), folder, match.kinds[NODE_SAT],
               match.kinds[NODE_TP], match.kinds[NODE_PROG]);
    return match;
}

bool MatchFits(const CListMatch& match, const CProgDb& list, const CProgDb& ref)
{
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CKindMatch& m = match.kinds[nKind];
        if (m.refOf.size() != static_cast<size_t>(list.GetList(nKind).GetCount()) ||
            m.how.size() != m.refOf.size() ||
            m.listOf.size() != static_cast<size_t>(ref.GetList(nKind).GetCount()))
            return false;
    }
    return true;
}

std::string MatchName(const std::string& strBytes)
{
    CNameFolder folder;
    std::string strName;
    folder.Append(strBytes.data(), strBytes.size(), strName);
    return strName;
}
