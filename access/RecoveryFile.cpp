#include "access/RecoveryFile.h"

#include "db/ProgDb.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"

#include <array>
#include <cstring>
#include <limits>
#include <memory>

namespace {

const uint8_t MAGIC[4] = {'R', 'v', 'R', 'c'};
constexpr size_t HEADER_SIZE = 20; // magic, version, time, code page
constexpr size_t CRC_SIZE = 4;
constexpr size_t SAT_SIZE = 12 + SAT_NAME_LEN + 12;
constexpr size_t TP_SIZE = 12;
constexpr size_t PROG_SIZE = 8 + 16 + PROG_NAME_LEN + 3;

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

uint32_t RecoveryChecksum(const uint8_t* pData, size_t nSize)
{
    const std::array<uint32_t, 256>& table = CrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < nSize; ++i)
        c = table[(c ^ pData[i]) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

namespace {

void AppendI32(std::vector<uint8_t>& out, int32_t v)
{
    AppendBe32(out, static_cast<uint32_t>(v));
}

void AppendText(std::vector<uint8_t>& out, const std::string& str)
{
    const size_t nLen = str.size() < RECOVERY_MAX_TEXT ? str.size() : RECOVERY_MAX_TEXT;
    AppendBe32(out, static_cast<uint32_t>(nLen));
    out.insert(out.end(), str.begin(), str.begin() + static_cast<std::ptrdiff_t>(nLen));
}

void AppendListHeader(std::vector<uint8_t>& out, const CNodeList& list)
{
    AppendI32(out, list.GetLastId());
    AppendBe32(out, static_cast<uint32_t>(list.GetCount()));
}

// Reads forward through the bytes; every read checks that its bytes are there.
class CReader
{
public:
    CReader(const uint8_t* pData, size_t nSize, size_t nOffset) : m_view(pData, nSize), m_nOffset(nOffset) {}

    size_t Offset() const { return m_nOffset; }
    size_t Left() const { return m_view.Size() - m_nOffset; }
    bool U32(uint32_t& v)
    {
        if (!m_view.Be32(m_nOffset, v))
            return false;
        m_nOffset += 4;
        return true;
    }
    bool I32(int32_t& v)
    {
        uint32_t u = 0;
        if (!U32(u))
            return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool Bytes(void* pOut, size_t nLen)
    {
        if (!m_view.Has(m_nOffset, nLen))
            return false;
        std::memcpy(pOut, m_view.Data() + m_nOffset, nLen);
        m_nOffset += nLen;
        return true;
    }
    bool Text(std::string& str)
    {
        uint32_t nLen = 0;
        if (!U32(nLen) || nLen > RECOVERY_MAX_TEXT || !m_view.Has(m_nOffset, nLen))
            return false;
        str.assign(reinterpret_cast<const char*>(m_view.Data() + m_nOffset), nLen);
        m_nOffset += nLen;
        return true;
    }

private:
    CByteView m_view;
    size_t m_nOffset;
};

class CParser
{
public:
    // Reads the bytes after the fixed header; offsets in messages count from the start of pData.
    CParser(const uint8_t* pData, size_t nSize, std::string& strError)
        : m_reader(pData, nSize, HEADER_SIZE), m_strError(strError)
    {}

    bool Texts(RecoveryInfo& info)
    {
        for (std::string* pText : {&info.strPath, &info.strFormat, &info.strName})
            if (!m_reader.Text(*pText))
                return Fail("a text is cut short or longer than 65536 bytes");
        return true;
    }

    // One list: its counter, its number of records and the records, each read by fnRecord.
    template <class TNode, class TRead>
    bool List(CNodeList& list, size_t nRecordSize, const char* pszWhat, TRead fnRecord)
    {
        int32_t nLastId = 0;
        uint32_t nCount = 0;
        if (!m_reader.I32(nLastId) || !m_reader.U32(nCount))
            return Fail(std::string("cut short before the ") + pszWhat);
        // The next Add must still give an id that fits.
        if (nLastId < INVALID_ID || nLastId == std::numeric_limits<int32_t>::max())
            return Fail(std::string("the id counter of the ") + pszWhat + " is " + std::to_string(nLastId));
        if (nCount > m_reader.Left() / nRecordSize)
            return Fail(std::string("cut short in the ") + pszWhat + " (" + std::to_string(nCount) +
                        " records announced)");
        for (uint32_t i = 0; i < nCount; ++i) {
            int32_t nId = 0;
            int32_t nParent = 0;
            m_reader.I32(nId);
            m_reader.I32(nParent);
            auto pNode = std::make_unique<TNode>();
            pNode->SetParentId(nParent);
            if (!fnRecord(*pNode))
                return Fail(std::string("a damaged record among the ") + pszWhat);
            list.AddWithId(std::move(pNode), nId);
        }
        list.RestoreLastId(nLastId);
        return true;
    }

    // The words of a record, big-endian.
    template <size_t N> void Words(uint32_t (&words)[N])
    {
        for (uint32_t& w : words)
            m_reader.U32(w);
    }
    CReader& Reader() { return m_reader; }

    bool Fail(const std::string& strWhat)
    {
        m_strError = "recovery copy: " + strWhat + " at byte " + std::to_string(m_reader.Offset());
        return false;
    }

private:
    CReader m_reader;
    std::string& m_strError;
};

} // namespace

std::vector<uint8_t> BuildRecoveryImage(const RecoveryInfo& info, const CProgDb& db)
{
    std::vector<uint8_t> out;
    out.reserve(HEADER_SIZE + CRC_SIZE + 3 * 12 + info.strPath.size() + info.strFormat.size() +
                info.strName.size() + SAT_SIZE * static_cast<size_t>(db.GetSatList().GetCount()) +
                TP_SIZE * static_cast<size_t>(db.GetTpList().GetCount()) +
                PROG_SIZE * static_cast<size_t>(db.GetProgList().GetCount()));
    out.insert(out.end(), MAGIC, MAGIC + 4);
    AppendBe32(out, RECOVERY_VERSION);
    const uint64_t nTime = static_cast<uint64_t>(info.nWrittenAt);
    AppendBe32(out, static_cast<uint32_t>(nTime >> 32));
    AppendBe32(out, static_cast<uint32_t>(nTime));
    AppendBe32(out, info.nCodePage);
    AppendText(out, info.strPath);
    AppendText(out, info.strFormat);
    AppendText(out, info.strName);

    AppendListHeader(out, db.GetSatList());
    for (const CNode* pNode : db.GetSatList()) {
        const auto* pSat = static_cast<const CSatNode*>(pNode);
        AppendI32(out, pSat->GetId());
        AppendI32(out, pSat->GetParentId());
        AppendI32(out, pSat->GetSelect());
        const SatRecord& r = *pSat->GetRecord();
        out.insert(out.end(), r.Name, r.Name + SAT_NAME_LEN);
        for (uint32_t w : r.dwWord)
            AppendBe32(out, w);
    }
    AppendListHeader(out, db.GetTpList());
    for (const CNode* pNode : db.GetTpList()) {
        AppendI32(out, pNode->GetId());
        AppendI32(out, pNode->GetParentId());
        AppendBe32(out, static_cast<const CTpNode*>(pNode)->GetRecord()->dwWord[0]);
    }
    AppendListHeader(out, db.GetProgList());
    for (const CNode* pNode : db.GetProgList()) {
        AppendI32(out, pNode->GetId());
        AppendI32(out, pNode->GetParentId());
        const ProgRecord& r = *static_cast<const CProgNode*>(pNode)->GetRecord();
        for (uint32_t w : r.dwWord)
            AppendBe32(out, w);
        out.insert(out.end(), r.ProgName, r.ProgName + PROG_NAME_LEN);
        out.insert(out.end(), 3, 0);
    }
    AppendBe32(out, RecoveryChecksum(out.data(), out.size()));
    return out;
}

RecoveryRead ParseRecoveryImage(const uint8_t* pData, size_t nSize, RecoveryInfo& info, CProgDb* pDb,
                                std::string& strError)
{
    if (nSize < HEADER_SIZE + CRC_SIZE || std::memcmp(pData, MAGIC, 4) != 0) {
        strError = "recovery copy: not a recovery copy (no \"RvRc\" header)";
        return RecoveryRead::Damaged;
    }
    const uint32_t nVersion = ReadBe32(pData + 4);
    if (nVersion != RECOVERY_VERSION) {
        strError = "recovery copy: version " + std::to_string(nVersion) +
                   (nVersion > RECOVERY_VERSION ? " was written by a newer editor" : " is unknown");
        return nVersion > RECOVERY_VERSION ? RecoveryRead::NewerVersion : RecoveryRead::Damaged;
    }
    const size_t nBody = nSize - CRC_SIZE;
    if (RecoveryChecksum(pData, nBody) != ReadBe32(pData + nBody)) {
        strError = "recovery copy: damaged (its checksum does not match)";
        return RecoveryRead::Damaged;
    }

    RecoveryInfo read;
    const uint64_t nTime = (static_cast<uint64_t>(ReadBe32(pData + 8)) << 32) | ReadBe32(pData + 12);
    read.nWrittenAt = static_cast<int64_t>(nTime);
    read.nCodePage = ReadBe32(pData + 16);
    CParser parser(pData, nBody, strError);
    CReader& reader = parser.Reader();
    const bool bOk =
        parser.Texts(read) &&
        parser.List<CSatNode>(pDb->GetSatList(), SAT_SIZE, "satellites",
                              [&](CSatNode& sat) {
                                  int32_t nSelect = 0;
                                  reader.I32(nSelect);
                                  sat.SetSelect(nSelect);
                                  reader.Bytes(sat.GetRecord()->Name, SAT_NAME_LEN);
                                  parser.Words(sat.GetRecord()->dwWord);
                                  return true;
                              }) &&
        parser.List<CTpNode>(pDb->GetTpList(), TP_SIZE, "transponders",
                             [&](CTpNode& tp) {
                                 parser.Words(tp.GetRecord()->dwWord);
                                 return true;
                             }) &&
        parser.List<CProgNode>(pDb->GetProgList(), PROG_SIZE, "programs", [&](CProgNode& prog) {
            parser.Words(prog.GetRecord()->dwWord);
            reader.Bytes(prog.GetRecord()->ProgName, PROG_NAME_LEN);
            uint8_t pad[3] = {1, 1, 1};
            reader.Bytes(pad, sizeof pad);
            return pad[0] == 0 && pad[1] == 0 && pad[2] == 0; // zero in memory, so zero in every copy
        });
    if (bOk && reader.Left() != 0)
        parser.Fail(std::to_string(reader.Left()) + " bytes too many after the programs");
    if (!bOk || reader.Left() != 0) {
        pDb->Clear();
        return RecoveryRead::Damaged;
    }
    info = std::move(read);
    return RecoveryRead::Ok;
}

bool WriteRecoveryFile(const std::string& strPath, const RecoveryInfo& info, const CProgDb& db,
                       std::string& strError)
{
    const std::vector<uint8_t> image = BuildRecoveryImage(info, db);
    return WriteFileAtomic(strPath, image.data(), image.size(), strError) == WriteResult::Ok;
}

RecoveryRead ReadRecoveryFile(const std::string& strPath, RecoveryInfo& info, CProgDb* pDb,
                              std::string& strError)
{
    std::vector<uint8_t> data;
    if (ReadWholeFile(strPath, data) != ReadResult::Ok) {
        strError = "recovery copy: " + strPath + " cannot be read";
        return RecoveryRead::OpenFailed;
    }
    return ParseRecoveryImage(data.data(), data.size(), info, pDb, strError);
}
