#include "db/ListMatch.h"

#include "db/ParentPositions.h"
#include "db/ProgDb.h"
#include "platform/CaseFold.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

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

// The records of one list grouped by a key, each group in list order, for finding the first record
// with a key that is not matched yet. Matched records are skipped once and then jumped over (each
// entry remembers the next entry that may still be free), so a whole matching step costs
// O(n log n) however large the groups are.
class CKeyGroups
{
public:
    // keys: one per record of the list; records with NO_KEY are in no group.
    explicit CKeyGroups(const std::vector<uint64_t>& keys)
    {
        m_entries.reserve(keys.size());
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != NO_KEY)
                m_entries.push_back(SEntry{keys[i], static_cast<int32_t>(i)});
        std::sort(m_entries.begin(), m_entries.end(), [](const SEntry& a, const SEntry& b) {
            return a.nKey < b.nKey || (a.nKey == b.nKey && a.nPos < b.nPos);
        });
        m_next.resize(m_entries.size());
        for (size_t j = 0; j < m_next.size(); ++j)
            m_next[j] = static_cast<int32_t>(j);
    }

    int32_t Count(uint64_t nKey) const
    {
        auto range = std::equal_range(m_entries.begin(), m_entries.end(), SEntry{nKey, 0}, ByKey);
        return static_cast<int32_t>(range.second - range.first);
    }

    // The first record with the key whose taken[] entry is below 0, or -1.
    int32_t FirstFree(uint64_t nKey, const std::vector<int32_t>& taken)
    {
        const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), SEntry{nKey, 0}, ByKey);
        const int32_t j = Skip(static_cast<int32_t>(it - m_entries.begin()), taken);
        if (j < static_cast<int32_t>(m_entries.size()) && m_entries[static_cast<size_t>(j)].nKey == nKey)
            return m_entries[static_cast<size_t>(j)].nPos;
        return -1;
    }

private:
    struct SEntry
    {
        uint64_t nKey;
        int32_t nPos;
    };
    static bool ByKey(const SEntry& a, const SEntry& b) { return a.nKey < b.nKey; }

    // The first entry from j on whose record is free. m_next[j] == j: not known to be taken; else
    // the entry to go on with. A record once taken stays taken, so the links only ever grow.
    int32_t Skip(int32_t j, const std::vector<int32_t>& taken)
    {
        const auto nEnd = static_cast<int32_t>(m_entries.size());
        int32_t nRoot = j;
        while (nRoot < nEnd) {
            int32_t& nNext = m_next[static_cast<size_t>(nRoot)];
            if (nNext == nRoot) {
                if (taken[static_cast<size_t>(m_entries[static_cast<size_t>(nRoot)].nPos)] < 0)
                    break;
                nNext = nRoot + 1;
            }
            nRoot = nNext;
        }
        while (j < nRoot) {
            const int32_t nNext = m_next[static_cast<size_t>(j)];
            m_next[static_cast<size_t>(j)] = nRoot;
            j = nNext;
        }
        return nRoot;
    }

    std::vector<SEntry> m_entries;
    std::vector<int32_t> m_next;
};

// The names of a list as MatchName gives them, one after another in one buffer.
struct SFoldedNames
{
    std::string strText;
    std::vector<uint32_t> offsets; // record i is strText[offsets[i], offsets[i + 1])
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

    SFoldedNames FoldList(const CNodeList& list)
    {
        SFoldedNames names;
        names.offsets.reserve(static_cast<size_t>(list.GetCount()) + 1);
        names.strText.reserve(static_cast<size_t>(list.GetCount()) * 16);
        for (const CNode* pNode : list) {
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
        return names;
    }

private:
    uint32_t m_nCodePage;
    bool m_bAsciiSafe;
    CodePage::CUtf8Decoder m_decoder;
    std::string m_strFolded;
};

// Numbers for the names of both lists: equal names get equal numbers, the empty name NO_NAME.
class CNameIds
{
public:
    // The number of each record's name; names must outlive this object.
    std::vector<uint32_t> Of(const SFoldedNames& names)
    {
        const size_t nCount = names.offsets.empty() ? 0 : names.offsets.size() - 1;
        std::vector<uint32_t> ids(nCount, NO_NAME);
        m_ids.reserve(m_ids.size() + nCount);
        for (size_t i = 0; i < nCount; ++i) {
            const std::string_view name(names.strText.data() + names.offsets[i],
                                        names.offsets[i + 1] - names.offsets[i]);
            if (!name.empty())
                ids[i] = m_ids.emplace(name, static_cast<uint32_t>(m_ids.size())).first->second;
        }
        return ids;
    }
    uint32_t GetCount() const { return static_cast<uint32_t>(m_ids.size()); }

private:
    std::unordered_map<std::string_view, uint32_t> m_ids;
};

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

void MatchSats(const CNodeList& list, const CNodeList& ref, const std::vector<uint32_t>& listNames,
               const std::vector<uint32_t>& refNames, CKindMatch& match)
{
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

std::vector<uint32_t> ServiceIds(const CNodeList& list)
{
    std::vector<uint32_t> ids;
    ids.reserve(static_cast<size_t>(list.GetCount()));
    for (const CNode* pNode : list)
        ids.push_back(static_cast<const CProgNode*>(pNode)->GetRecord()->Get(ProgField::ServiceId));
    return ids;
}

struct SProgSide
{
    std::vector<int32_t> tps;   // position of each program's transponder, or -1
    std::vector<int32_t> sats;  // position of that transponder's satellite, or -1
    std::vector<uint32_t> sids; // ServiceId
    const std::vector<uint32_t>* pNames;
};

SProgSide ProgSide(const CProgDb& db, const std::vector<int32_t>& satOfTp, const std::vector<uint32_t>& names)
{
    SProgSide side;
    side.tps = ParentPositions(db, NODE_PROG);
    side.sats.reserve(side.tps.size());
    for (int32_t nTp : side.tps)
        side.sats.push_back(nTp < 0 ? -1 : satOfTp[static_cast<size_t>(nTp)]);
    side.sids = ServiceIds(db.GetProgList());
    side.pNames = &names;
    return side;
}

void MatchProgs(const SProgSide& l, const SProgSide& r, uint32_t nNames, const CKindMatch& sats,
                const CKindMatch& tps, CKindMatch& match)
{
    const std::vector<uint32_t>& listNames = *l.pNames;
    const std::vector<uint32_t>& refNames = *r.pNames;
    const size_t nList = l.tps.size(), nRef = r.tps.size();
    // Unmatched reference programs of each name, for the last step.
    std::vector<int32_t> freeOfName(nNames, 0);
    for (uint32_t nName : refNames)
        if (nName != NO_NAME)
            ++freeOfName[nName];
    auto take = [&](size_t i, int32_t j, MatchHow nHow) {
        Take(match, static_cast<int32_t>(i), j, nHow);
        if (refNames[static_cast<size_t>(j)] != NO_NAME)
            --freeOfName[refNames[static_cast<size_t>(j)]];
    };

    {
        std::vector<uint64_t> listKeys(nList, NO_KEY), refKeys(nRef, NO_KEY);
        for (size_t i = 0; i < nList; ++i)
            if (l.tps[i] >= 0)
                listKeys[i] = PairKey(l.tps[i], l.sids[i]);
        for (size_t j = 0; j < nRef; ++j)
            if (r.tps[j] >= 0)
                refKeys[j] = PairKey(r.tps[j], r.sids[j]);
        const CKeyGroups listGroups(listKeys);
        CKeyGroups refGroups(refKeys);
        for (size_t i = 0; i < nList; ++i) {
            const int32_t nTp = MatchOf(tps, l.tps[i]);
            if (nTp < 0 || listGroups.Count(listKeys[i]) != 1)
                continue;
            const uint64_t nKey = PairKey(nTp, l.sids[i]);
            if (refGroups.Count(nKey) != 1)
                continue;
            const int32_t j = refGroups.FirstFree(nKey, match.listOf);
            if (j >= 0)
                take(i, j, MATCH_PROG_SERVICE);
        }
    }

    std::vector<uint64_t> byTp(nRef, NO_KEY), bySat(nRef, NO_KEY), byName(nRef, NO_KEY);
    for (size_t j = 0; j < nRef; ++j) {
        if (refNames[j] == NO_NAME)
            continue;
        byName[j] = refNames[j];
        if (r.tps[j] >= 0)
            byTp[j] = PairKey(r.tps[j], refNames[j]);
        if (r.sats[j] >= 0)
            bySat[j] = PairKey(r.sats[j], refNames[j]);
    }
    CKeyGroups refByTp(byTp), refBySat(bySat), refByName(byName);
    for (size_t i = 0; i < nList; ++i) {
        if (!IsFree(match, i) || listNames[i] == NO_NAME)
            continue;
        const int32_t nSat = MatchOf(sats, l.sats[i]);
        if (nSat < 0)
            continue;
        const int32_t nTp = MatchOf(tps, l.tps[i]);
        int32_t j = nTp >= 0 ? refByTp.FirstFree(PairKey(nTp, listNames[i]), match.listOf) : -1;
        if (j < 0)
            j = refBySat.FirstFree(PairKey(nSat, listNames[i]), match.listOf);
        if (j >= 0)
            take(i, j, MATCH_PROG_NAME_SAT);
    }
    for (size_t i = 0; i < nList; ++i) {
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

    // The folded names stay alive while the name ids are in use: the ids' table points into them.
    CNameFolder folder;
    const SFoldedNames listSatText = folder.FoldList(list.GetSatList());
    const SFoldedNames refSatText = folder.FoldList(ref.GetSatList());
    const SFoldedNames listProgText = folder.FoldList(list.GetProgList());
    const SFoldedNames refProgText = folder.FoldList(ref.GetProgList());
    CNameIds nameIds;
    const std::vector<uint32_t> listSatNames = nameIds.Of(listSatText);
    const std::vector<uint32_t> refSatNames = nameIds.Of(refSatText);
    const std::vector<uint32_t> listProgNames = nameIds.Of(listProgText);
    const std::vector<uint32_t> refProgNames = nameIds.Of(refProgText);

    MatchSats(list.GetSatList(), ref.GetSatList(), listSatNames, refSatNames, match.kinds[NODE_SAT]);

    const std::vector<int32_t> listSatOfTp = ParentPositions(list, NODE_TP);
    const std::vector<int32_t> refSatOfTp = ParentPositions(ref, NODE_TP);
    MatchTps(list.GetTpList(), ref.GetTpList(), listSatOfTp, refSatOfTp, match.kinds[NODE_SAT],
             match.kinds[NODE_TP]);

    MatchProgs(ProgSide(list, listSatOfTp, listProgNames), ProgSide(ref, refSatOfTp, refProgNames),
               nameIds.GetCount(), match.kinds[NODE_SAT], match.kinds[NODE_TP], match.kinds[NODE_PROG]);
    return match;
}

std::string MatchName(const std::string& strBytes)
{
    CNameFolder folder;
    std::string strName;
    folder.Append(strBytes.data(), strBytes.size(), strName);
    return strName;
}
