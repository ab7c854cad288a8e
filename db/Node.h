#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Channel records in the receiver's packed layout, and the nodes that carry them in memory.
//
// Every record field except the two names is an unsigned bit field inside a 32-bit word. Fields are
// described once, by a FieldDesc (name, word, bit position, width), and read and written through
// explicit shifts and masks; the in-memory words are in host byte order. The byte images of the
// records (big-endian words) are produced by the program database file code.

constexpr int32_t INVALID_ID = -1;

enum NodeType : int32_t
{
    NODE_SAT = 0,
    NODE_TP = 1,
    NODE_PROG = 2,
};

// The list that holds records of nKind: any kind other than satellites and transponders stands
// for programs.
constexpr NodeType ListKind(NodeType nKind)
{
    return nKind == NODE_SAT || nKind == NODE_TP ? nKind : NODE_PROG;
}

// One packed unsigned field: nWidth bits from bit nPos (0 = least significant) of word nWord.
struct FieldDesc
{
    const char* pszName;
    uint8_t nWord;
    uint8_t nPos;
    uint8_t nWidth;
};

constexpr uint32_t FieldMask(unsigned nWidth)
{
    return nWidth >= 32 ? 0xFFFFFFFFu : ((1u << nWidth) - 1u);
}

constexpr uint32_t GetBits(uint32_t dwWord, unsigned nPos, unsigned nWidth)
{
    return (dwWord >> nPos) & FieldMask(nWidth);
}

// Stores the low nWidth bits of dwValue at nPos; the other bits of the word are kept.
inline void SetBits(uint32_t& dwWord, unsigned nPos, unsigned nWidth, uint32_t dwValue)
{
    const uint32_t mask = FieldMask(nWidth);
    dwWord = (dwWord & ~(mask << nPos)) | ((dwValue & mask) << nPos);
}

// Fields of SatRecord. Words: 0 = A (bytes 16-19), 1 = B (20-23), 2 = C (24-27).
namespace SatField {
inline constexpr FieldDesc ReservedA{"ReservedA", 0, 0, 30};
inline constexpr FieldDesc TunerSel{"TunerSel", 0, 30, 2};
inline constexpr FieldDesc Direction{"Direction", 1, 0, 1};
inline constexpr FieldDesc K22{"22K", 1, 1, 2};
inline constexpr FieldDesc DiSEqC12{"DiSEqC12", 1, 3, 8};
inline constexpr FieldDesc LocalFre2{"LocalFre2", 1, 11, 4};
inline constexpr FieldDesc LocalFre1{"LocalFre1", 1, 15, 4};
inline constexpr FieldDesc LnbType{"LnbType", 1, 19, 2};
inline constexpr FieldDesc Longitude{"Longitude", 1, 21, 11};
inline constexpr FieldDesc DisEqCMotor{"DisEqC Motor", 2, 0, 2};
inline constexpr FieldDesc TpCount{"TpCount", 2, 2, 13};
inline constexpr FieldDesc FirstTpIndex{"FirstTpIndex", 2, 15, 13};
inline constexpr FieldDesc V12{"12V", 2, 28, 1};
inline constexpr FieldDesc DiSEqC{"DiSEqC", 2, 29, 3};
} // namespace SatField

// Fields of TpRecord (one word).
namespace TpField {
inline constexpr FieldDesc Flag{"Flag", 0, 0, 1};
inline constexpr FieldDesc SymbolRate{"SymbolRate", 0, 1, 16};
inline constexpr FieldDesc Polar{"Polar", 0, 17, 1};
inline constexpr FieldDesc Frequency{"Frequency", 0, 18, 14};
} // namespace TpField

// Fields of ProgRecord. Words 0-3 are bytes 0-15.
namespace ProgField {
inline constexpr FieldDesc Track{"Track", 0, 0, 2};
inline constexpr FieldDesc FavType{"FavType", 0, 2, 4};
inline constexpr FieldDesc TpIndex{"TpIndex", 0, 6, 13};
inline constexpr FieldDesc SatIndex{"SatIndex", 0, 19, 13};
inline constexpr FieldDesc Lock{"Lock", 1, 0, 1};
inline constexpr FieldDesc Scramble{"Scramble", 1, 1, 1};
inline constexpr FieldDesc AvType{"AvType", 1, 2, 1};
inline constexpr FieldDesc Reserved1{"Reserved1", 1, 3, 13};
inline constexpr FieldDesc ServiceId{"ServiceId", 1, 16, 16};
inline constexpr FieldDesc Reserved2{"Reserved2", 2, 0, 6};
inline constexpr FieldDesc APID{"APID", 2, 6, 13};
inline constexpr FieldDesc VPID{"VPID", 2, 19, 13};
inline constexpr FieldDesc Reserved3{"Reserved3", 3, 0, 2};
inline constexpr FieldDesc TunerSel{"TunerSel", 3, 2, 2};
inline constexpr FieldDesc Skip{"Skip", 3, 4, 1};
inline constexpr FieldDesc Hide{"Hide", 3, 5, 1};
inline constexpr FieldDesc PCRPID{"PCRPID", 3, 6, 13};
inline constexpr FieldDesc PmtPid{"PmtPid", 3, 19, 13};
} // namespace ProgField

// Every field of each record kind, in the order the dump lists them.
inline constexpr const FieldDesc* g_satFields[] = {
    &SatField::Longitude, &SatField::Direction,    &SatField::LocalFre1, &SatField::LocalFre2,
    &SatField::K22,       &SatField::DiSEqC12,     &SatField::LnbType,   &SatField::DisEqCMotor,
    &SatField::TpCount,   &SatField::FirstTpIndex, &SatField::V12,       &SatField::DiSEqC,
    &SatField::TunerSel,  &SatField::ReservedA,
};
inline constexpr const FieldDesc* g_tpFields[] = {
    &TpField::Flag,
    &TpField::SymbolRate,
    &TpField::Polar,
    &TpField::Frequency,
};
inline constexpr const FieldDesc* g_progFields[] = {
    &ProgField::Track,     &ProgField::FavType,   &ProgField::TpIndex, &ProgField::SatIndex,
    &ProgField::Lock,      &ProgField::Scramble,  &ProgField::AvType,  &ProgField::Reserved1,
    &ProgField::ServiceId, &ProgField::Reserved2, &ProgField::APID,    &ProgField::VPID,
    &ProgField::Reserved3, &ProgField::TunerSel,  &ProgField::Skip,    &ProgField::Hide,
    &ProgField::PCRPID,    &ProgField::PmtPid,
};

constexpr size_t SAT_NAME_LEN = 16;
constexpr size_t PROG_NAME_LEN = 21;

// Reads a fixed-size name field: the bytes up to the first zero byte, at most nLen of them.
std::string GetNameField(const uint8_t* pField, size_t nLen);
// Zero-fills the field, then copies at most nLen bytes of strName.
void SetNameField(uint8_t* pField, size_t nLen, const std::string& strName);
// True when two fields of nLen bytes hold the same name: the same bytes up to the first zero byte.
bool SameNameField(const uint8_t* pA, const uint8_t* pB, size_t nLen);

// Field access shared by the three records (an empty base: it adds no bytes to the layout).
template <class TRecord> struct CPackedFields
{
    uint32_t Get(const FieldDesc& f) const
    {
        return GetBits(static_cast<const TRecord*>(this)->dwWord[f.nWord], f.nPos, f.nWidth);
    }
    void Set(const FieldDesc& f, uint32_t v)
    {
        SetBits(static_cast<TRecord*>(this)->dwWord[f.nWord], f.nPos, f.nWidth, v);
    }
};

struct SatRecord : CPackedFields<SatRecord>
{
    uint8_t Name[SAT_NAME_LEN];
    uint32_t dwWord[3]; // A, B, C

    std::string GetName() const { return GetNameField(Name, SAT_NAME_LEN); }
    void SetName(const std::string& s) { SetNameField(Name, SAT_NAME_LEN, s); }
};

struct TpRecord : CPackedFields<TpRecord>
{
    uint32_t dwWord[1];
};

struct ProgRecord : CPackedFields<ProgRecord>
{
    uint32_t dwWord[4];
    uint8_t ProgName[PROG_NAME_LEN];
    uint8_t Pad[3]; // not part of the name; zero in memory

    std::string GetName() const { return GetNameField(ProgName, PROG_NAME_LEN); }
    void SetName(const std::string& s) { SetNameField(ProgName, PROG_NAME_LEN, s); }
};

static_assert(sizeof(SatRecord) == 28, "SatRecord is 28 bytes");
static_assert(sizeof(TpRecord) == 4, "TpRecord is 4 bytes");
static_assert(sizeof(ProgRecord) == 40, "ProgRecord is 40 bytes");

class CNodeList;

// Node header shared by the three kinds: own id, parent id and kind. A node in a database is owned
// by its CNodeList and destroyed through a CNode pointer. Only the list sets the id: it hands out
// ids on Add, and takes a firmware record's own id on AddWithId.
class CNode
{
public:
    virtual ~CNode();

    int32_t GetId() const { return m_nId; }
    int32_t GetParentId() const { return m_nParentId; }
    void SetParentId(int32_t nParentId) { m_nParentId = nParentId; }
    int32_t GetType() const { return m_nType; }

protected:
    CNode(int32_t nType, int32_t nId, int32_t nParentId);
    CNode(const CNode&) = delete;
    CNode& operator=(const CNode&) = delete;

private:
    friend class CNodeList;

    int32_t m_nId;
    int32_t m_nParentId;
    int32_t m_nType;
};

// A node of one kind carrying its record, zero-filled at construction.
template <class TRecord, int32_t nType> class CRecordNode : public CNode
{
public:
    TRecord* GetRecord() { return &m_record; }
    const TRecord* GetRecord() const { return &m_record; }

protected:
    CRecordNode(int32_t nId, int32_t nParentId) : CNode(nType, nId, nParentId), m_record() {}

private:
    TRecord m_record;
};

class CSatNode : public CRecordNode<SatRecord, NODE_SAT>
{
public:
    explicit CSatNode(int32_t nSelect = 0, int32_t nId = INVALID_ID, int32_t nParentId = INVALID_ID)
        : CRecordNode(nId, nParentId), m_nSelect(nSelect)
    {}

    // Spreadsheet import scope: 0 satellite, transponders and programs; 1 satellite only;
    // 2 satellite and transponders.
    int32_t GetSelect() const { return m_nSelect; }
    void SetSelect(int32_t nSelect) { m_nSelect = nSelect; }

private:
    int32_t m_nSelect;
};

class CTpNode : public CRecordNode<TpRecord, NODE_TP>
{
public:
    explicit CTpNode(int32_t nId = INVALID_ID, int32_t nParentId = INVALID_ID) : CRecordNode(nId, nParentId)
    {}
};

class CProgNode : public CRecordNode<ProgRecord, NODE_PROG>
{
public:
    explicit CProgNode(int32_t nId = INVALID_ID, int32_t nParentId = INVALID_ID) : CRecordNode(nId, nParentId)
    {}
};

// The ten LNB local-oscillator frequencies in MHz, indexed by LocalFre1/LocalFre2.
inline constexpr uint32_t LnbFreqTable[10] = {5150,  5700,  5750,  9750,  10000,
                                              10600, 10700, 10750, 11250, 11300};
constexpr int LNB_FREQ_COUNT = 10;

// Index 0-9 of the first table entry equal to nFreq, or -1 (stored as 15 in a 4-bit field).
int LnbFreqToIndex(uint32_t nFreq);
// Table entry at nIndex; 5150 (the first entry) for any index outside 0-9.
uint32_t LnbIndexToFreq(uint32_t nIndex);
// "V" for a non-zero polarisation bit, "H" for 0.
const char* PolarName(uint32_t nPolar);
// Same SymbolRate, Polar and Frequency; the flag bit is not compared.
bool IsSameTp(const TpRecord& a, const TpRecord& b);
