#include "db/Node.h"

#include <cstring>

std::string GetNameField(const uint8_t* pField, size_t nLen)
{
    size_t n = 0;
    while (n < nLen && pField[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(pField), n);
}

bool SameNameField(const uint8_t* pA, const uint8_t* pB, size_t nLen)
{
    for (size_t i = 0; i < nLen; ++i) {
        if (pA[i] != pB[i])
            return false;
        if (pA[i] == 0)
            return true;
    }
    return true;
}

void SetNameField(uint8_t* pField, size_t nLen, const std::string& strName)
{
    std::memset(pField, 0, nLen);
    std::memcpy(pField, strName.data(), strName.size() < nLen ? strName.size() : nLen);
}

CNode::CNode(int32_t nType, int32_t nId, int32_t nParentId)
    : m_nId(nId), m_nParentId(nParentId), m_nType(nType)
{}

CNode::~CNode() = default;

int LnbFreqToIndex(uint32_t nFreq)
{
    for (int i = 0; i < LNB_FREQ_COUNT; ++i)
        if (LnbFreqTable[i] == nFreq)
            return i;
    return -1;
}

uint32_t LnbIndexToFreq(uint32_t nIndex)
{
    return nIndex < static_cast<uint32_t>(LNB_FREQ_COUNT) ? LnbFreqTable[nIndex] : LnbFreqTable[0];
}

const char* PolarName(uint32_t nPolar)
{
    return nPolar != 0 ? "V" : "H";
}

bool IsSameTp(const TpRecord& a, const TpRecord& b)
{
    return a.Get(TpField::SymbolRate) == b.Get(TpField::SymbolRate) &&
           a.Get(TpField::Polar) == b.Get(TpField::Polar) &&
           a.Get(TpField::Frequency) == b.Get(TpField::Frequency);
}
