#include "access/AccessJson.h"

#include "access/AccessDb.h"
#include "access/JsonDump.h"
#include "access/LastError.h"
#include "db/ProgDb.h"
#include "platform/Chars.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

using Json = nlohmann::json;

// Keys of a record beside its fields (which are numbered from 0 in the kind's field table).
enum : int
{
    KEY_ID = -1,      // SatID, TpID, ProgID: the record's id in the file
    KEY_PARENT = -2,  // a transponder's SatID, a program's TpID
    KEY_SELECT = -3,  // a satellite's select
    KEY_NAME = -4,    // Name, ProgName: text
    KEY_NAMEHEX = -5, // NameHex, ProgNameHex: the stored bytes
};

// What the reader knows of one kind of record.
struct KindInfo
{
    const char* pszList;
    const char* pszIdKey;
    const char* pszParentKey; // null for satellites
    const char* pszNameKey;   // null for transponders
    const char* pszHexKey;
    const FieldDesc* const* pFields;
    size_t nFields;
    size_t nNameLen;
    std::unordered_map<std::string, int> keys; // key -> field number or KEY_*

    KindInfo(const char* list, const char* id, const char* parent, const char* name, const char* hex,
             const FieldDesc* const* fields, size_t nCount, size_t nLen)
        : pszList(list), pszIdKey(id), pszParentKey(parent), pszNameKey(name), pszHexKey(hex),
          pFields(fields), nFields(nCount), nNameLen(nLen)
    {
        for (size_t i = 0; i < nFields; ++i)
            keys.emplace(pFields[i]->pszName, static_cast<int>(i));
        keys.emplace(pszIdKey, KEY_ID);
        if (pszParentKey)
            keys.emplace(pszParentKey, KEY_PARENT);
        if (pszNameKey) {
            keys.emplace(pszNameKey, KEY_NAME);
            keys.emplace(pszHexKey, KEY_NAMEHEX);
        }
        if (!pszParentKey)
            keys.emplace("select", KEY_SELECT);
    }
};

const KindInfo& Kind(int nList)
{
    static const KindInfo kinds[3] = {
        {"satellites", "SatID", nullptr, "Name", "NameHex", g_satFields, std::size(g_satFields),
         SAT_NAME_LEN},
        {"transponders", "TpID", "SatID", nullptr, nullptr, g_tpFields, std::size(g_tpFields), 0},
        {"programs", "ProgID", "TpID", "ProgName", "ProgNameHex", g_progFields, std::size(g_progFields),
         PROG_NAME_LEN},
    };
    return kinds[nList];
}

// A value as the parser gave it, for storing and for messages.
struct Value
{
    enum Type
    {
        Null,
        Bool,
        Int, // negative
        Uint,
        Float,
        Str,
        Object,
        Array,
    } nType;
    int64_t nInt = 0;
    uint64_t nUint = 0;
    double dFloat = 0;
    bool bBool = false;
    const std::string* pText = nullptr; // Float: the number as written; Str: the string
};

// The value as a message shows it: as written in the file, strings quoted.
std::string Show(const Value& v)
{
    switch (v.nType) {
    case Value::Null:
        return "null";
    case Value::Bool:
        return v.bBool ? "true" : "false";
    case Value::Int:
        return std::to_string(v.nInt);
    case Value::Uint:
        return std::to_string(v.nUint);
    case Value::Float:
        return *v.pText;
    case Value::Str:
        return Json(*v.pText).dump(-1, ' ', false, Json::error_handler_t::replace);
    case Value::Object:
        return "an object";
    case Value::Array:
        return "a list";
    }
    return std::string();
}

// The value as a whole number, when it is one (a float with no fraction counts).
bool WholeNumber(const Value& v, bool& bNegative, uint64_t& nMagnitude, bool& bNumber)
{
    bNumber = v.nType == Value::Int || v.nType == Value::Uint || v.nType == Value::Float;
    switch (v.nType) {
    case Value::Uint:
        bNegative = false;
        nMagnitude = v.nUint;
        return true;
    case Value::Int:
        bNegative = v.nInt < 0;
        nMagnitude = bNegative ? uint64_t(0) - static_cast<uint64_t>(v.nInt) : static_cast<uint64_t>(v.nInt);
        return true;
    case Value::Float:
        if (!std::isfinite(v.dFloat) || std::floor(v.dFloat) != v.dFloat)
            return false;
        bNegative = v.dFloat < 0;
        // Beyond 2^63 the exact value does not matter: nothing that large fits anywhere.
        nMagnitude = std::fabs(v.dFloat) < 9.2e18 ? static_cast<uint64_t>(std::fabs(v.dFloat))
                                                  : std::numeric_limits<uint64_t>::max();
        return true;
    default:
        return false;
    }
}

// A record read so far, with the ids the file gave it.
struct Parsed
{
    std::unique_ptr<CNode> pNode;
    int32_t nParent = INVALID_ID; // the parent's id in the file
};

// Reads the document event by event (nlohmann's SAX interface): the records are built as they come,
// with no document tree in between. Any callback may stop the parse with a message.
class CJsonDbReader : public nlohmann::json_sax<Json>
{
public:
    CJsonDbReader(const char* pData, size_t nSize, uint32_t nCodePage)
        : m_pData(pData), m_nSize(nSize), m_nCodePage(nCodePage),
          m_bAsciiCompatible(CodePage::IsAsciiCompatible(nCodePage))
    {}

    // Parses and links everything; false with the message in strError.
    bool Read(std::string& strError)
    {
        if (!Json::sax_parse(m_pData, m_pData + m_nSize, this) || !Link()) {
            strError = "JSON: " + m_strError;
            return false;
        }
        return true;
    }

    // Hands the records to pDb in file order; their ids come from its lists.
    void Fill(CProgDb* pDb)
    {
        std::vector<int32_t> newIds[2];
        for (int nList = 0; nList < 3; ++nList) {
            CNodeList& list = pDb->GetList(static_cast<NodeType>(nList));
            for (Parsed& rec : m_records[nList]) {
                if (nList > 0)
                    rec.pNode->SetParentId(rec.nParent == INVALID_ID ? INVALID_ID
                                                                     : newIds[nList - 1][rec.nParent]);
                const int32_t nId = list.Add(std::move(rec.pNode));
                if (nList < 2)
                    newIds[nList].push_back(nId);
            }
        }
    }

    bool null() override { return Scalar(Value{Value::Null}); }
    bool boolean(bool b) override
    {
        Value v{Value::Bool};
        v.bBool = b;
        return Scalar(v);
    }
    bool number_integer(number_integer_t n) override
    {
        Value v{Value::Int};
        v.nInt = n;
        return Scalar(v);
    }
    bool number_unsigned(number_unsigned_t n) override
    {
        Value v{Value::Uint};
        v.nUint = n;
        return Scalar(v);
    }
    bool number_float(number_float_t d, const string_t& s) override
    {
        Value v{Value::Float};
        v.dFloat = d;
        v.pText = &s;
        return Scalar(v);
    }
    bool string(string_t& s) override
    {
        Value v{Value::Str};
        v.pText = &s;
        return Scalar(v);
    }
    bool binary(binary_t&) override { return Fail("binary data"); } // not produced by the JSON parser

    bool start_object(std::size_t) override
    {
        switch (m_nDepth) {
        case 0:
            m_nDepth = 1;
            return true;
        case 2:
            return StartRecord();
        default:
            return Scalar(Value{Value::Object});
        }
    }
    bool end_object() override
    {
        if (m_nDepth == 3)
            return EndRecord();
        m_nDepth = 0;
        return true;
    }
    bool start_array(std::size_t) override
    {
        if (m_nDepth == 1) {
            m_nDepth = 2;
            m_nIndex = 0;
            return true;
        }
        return Scalar(Value{Value::Array});
    }
    bool end_array() override
    {
        m_nDepth = 1;
        return true;
    }

    bool key(string_t& k) override
    {
        if (m_nDepth == 1) {
            for (m_nList = 0; m_nList < 3; ++m_nList)
                if (k == Kind(m_nList).pszList)
                    break;
            if (m_nList == 3)
                return Fail(k + ": unknown key (the lists are satellites, transponders and programs)");
            if (m_bListSeen[m_nList])
                return Fail(k + ": given twice");
            m_bListSeen[m_nList] = true;
            return true;
        }
        // The parser reuses the key's buffer for the value that follows: keep a copy.
        m_strKey = k;
        const KindInfo& kind = Kind(m_nList);
        auto it = kind.keys.find(k);
        if (it == kind.keys.end())
            return Fail(Where() + ": unknown key");
        m_nSlot = it->second;
        const uint64_t nBit = uint64_t(1) << (m_nSlot + 8); // KEY_* are -1 to -5
        if (m_seen & nBit)
            return Fail(Where() + ": given twice");
        m_seen |= nBit;
        return true;
    }

    bool parse_error(std::size_t nPosition, const std::string&,
                     const nlohmann::detail::exception& ex) override
    {
        // The parser's own text after its prefixes ("[json.exception.parse_error.101] parse error at
        // line 1, column 2: "), with the line and column counted here from the byte position, so that
        // every kind of error (also a number out of range) gets them.
        std::string strWhat = ex.what();
        size_t nAt = strWhat.find("] ");
        if (nAt != std::string::npos)
            strWhat.erase(0, nAt + 2);
        if (strWhat.compare(0, 11, "parse error") == 0 && (nAt = strWhat.find(": ")) != std::string::npos)
            strWhat.erase(0, nAt + 2);
        nPosition = std::min(nPosition, m_nSize);
        size_t nLine = 1, nLineStart = 0;
        for (size_t i = 0; i < nPosition; ++i) {
            if (m_pData[i] == '\n') {
                ++nLine;
                nLineStart = i + 1;
            }
        }
        m_strError = "line " + std::to_string(nLine) + ", column " +
                     std::to_string(std::max<size_t>(1, nPosition - nLineStart)) + ": " + strWhat;
        return false;
    }

private:
    bool Fail(const std::string& strMessage)
    {
        m_strError = strMessage;
        return false;
    }

    // "programs[12]" or, inside a record's value, "programs[12].VPID".
    std::string Where(bool bWithKey = true) const
    {
        std::string s = std::string(Kind(m_nList).pszList) + "[" + std::to_string(m_nIndex) + "]";
        if (bWithKey && !m_strKey.empty())
            s += "." + m_strKey;
        return s;
    }

    bool Scalar(const Value& v)
    {
        switch (m_nDepth) {
        case 0:
            return Fail("the top level is " + Show(v) +
                        ", not an object with the lists satellites, transponders and programs");
        case 1:
            return Fail(std::string(Kind(m_nList).pszList) + ": " + Show(v) + " is not a list");
        case 2:
            return Fail(Where(false) + ": " + Show(v) + " is not an object");
        default:
            return Store(v);
        }
    }

    bool StartRecord()
    {
        m_nDepth = 3;
        m_seen = 0;
        m_strKey.clear();
        m_bHasId = false;
        m_bHasName = m_bHasHex = false;
        m_nParent = INVALID_ID;
        m_nSelect = 0;
        m_nId = INVALID_ID;
        for (uint32_t& w : m_words)
            w = 0;
        return true;
    }

    bool Store(const Value& v)
    {
        bool bNegative = false, bNumber = false;
        uint64_t n = 0;
        const bool bWhole = WholeNumber(v, bNegative, n, bNumber);
        auto notNumber = [&]() {
            return Fail(Where() + ": " + Show(v) + (bNumber ? " is not a whole number" : " is not a number"));
        };
        switch (m_nSlot) {
        case KEY_ID:
        case KEY_PARENT: {
            if (!bWhole)
                return notNumber();
            if (bNegative ? n > uint64_t(1) << 31 : n > uint64_t(std::numeric_limits<int32_t>::max()))
                return Fail(Where() + ": " + Show(v) + " does not fit in a 32-bit id");
            const int32_t nId =
                bNegative ? static_cast<int32_t>(-static_cast<int64_t>(n)) : static_cast<int32_t>(n);
            if (m_nSlot == KEY_ID) {
                m_nId = nId;
                m_bHasId = nId != INVALID_ID;
            } else {
                m_nParent = nId;
            }
            return true;
        }
        case KEY_SELECT:
            if (!bWhole)
                return notNumber();
            if (bNegative || n > 2)
                return Fail(Where() + ": " + Show(v) + " is not 0, 1 or 2");
            m_nSelect = static_cast<int32_t>(n);
            return true;
        case KEY_NAME:
        case KEY_NAMEHEX:
            if (v.nType != Value::Str)
                return Fail(Where() + ": " + Show(v) + " is not a string");
            if (m_nSlot == KEY_NAME) {
                m_strName = *v.pText;
                m_bHasName = true;
            } else {
                m_strHex = *v.pText;
                m_bHasHex = true;
            }
            return true;
        default: {
            const FieldDesc& f = *Kind(m_nList).pFields[m_nSlot];
            if (!bWhole)
                return notNumber();
            if (bNegative || n > FieldMask(f.nWidth))
                return Fail(Where() + ": " + Show(v) + " does not fit in " + std::to_string(f.nWidth) +
                            " bits");
            SetBits(m_words[f.nWord], f.nPos, f.nWidth, static_cast<uint32_t>(n));
            return true;
        }
        }
    }

    // The bytes of the record's name, from its hex form or its text; false after a message.
    bool NameBytes(std::string& bytes)
    {
        const KindInfo& kind = Kind(m_nList);
        const std::string strWhere = Where(false) + ".";
        const size_t nMax = kind.nNameLen;
        if (m_bHasHex) {
            const std::string strHexWhere = strWhere + kind.pszHexKey + ": ";
            const std::string strNotHex =
                strHexWhere + Json(m_strHex).dump(-1, ' ', false, Json::error_handler_t::replace) +
                " is not pairs of hex digits";
            if (m_strHex.size() % 2 != 0)
                return Fail(strNotHex);
            bytes.clear();
            for (size_t i = 0; i < m_strHex.size(); i += 2) {
                const int nHi = HexDigit(m_strHex[i]), nLo = HexDigit(m_strHex[i + 1]);
                if (nHi < 0 || nLo < 0)
                    return Fail(strNotHex);
                bytes += static_cast<char>(nHi * 16 + nLo);
            }
            if (bytes.find('\0') != std::string::npos)
                return Fail(strHexWhere + "a zero byte cannot stand in a name");
            if (bytes.size() > nMax)
                return Fail(strHexWhere + std::to_string(bytes.size()) + " bytes, at most " +
                            std::to_string(nMax) + " fit");
            return true;
        }
        bytes.clear();
        if (!m_bHasName)
            return true;
        const std::string strNameWhere = strWhere + kind.pszNameKey + ": ";
        auto shown = [this]() {
            return Json(m_strName).dump(-1, ' ', false, Json::error_handler_t::replace);
        };
        if (m_strName.find('\0') != std::string::npos)
            return Fail(strNameWhere + "a zero character cannot stand in a name");
        bool bAscii = true;
        for (unsigned char c : m_strName)
            bAscii = bAscii && c < 0x80;
        if (bAscii && m_bAsciiCompatible) {
            bytes = m_strName;
        } else {
            if (!m_pToCodePage)
                m_pToCodePage = std::make_unique<CodePage::CStrictConverter>(CodePage::CP_UTF8, m_nCodePage);
            if (!m_pToCodePage->Convert(m_strName, bytes))
                return Fail(strNameWhere + shown() + " is not in code page " + std::to_string(m_nCodePage));
            if (bytes.find('\0') != std::string::npos)
                return Fail(strNameWhere + shown() + " holds a zero byte in code page " +
                            std::to_string(m_nCodePage));
        }
        if (bytes.size() > nMax)
            return Fail(strNameWhere + shown() + " is " + std::to_string(bytes.size()) +
                        " bytes in code page " + std::to_string(m_nCodePage) + ", at most " +
                        std::to_string(nMax) + " fit");
        return true;
    }

    bool EndRecord()
    {
        m_strKey.clear();
        Parsed rec;
        std::string name;
        if (!NameBytes(name))
            return false;
        switch (m_nList) {
        case 0: {
            auto pSat = std::make_unique<CSatNode>(m_nSelect);
            SatRecord* pRec = pSat->GetRecord();
            pRec->SetName(name);
            for (int w = 0; w < 3; ++w)
                pRec->dwWord[w] = m_words[w];
            rec.pNode = std::move(pSat);
            break;
        }
        case 1: {
            auto pTp = std::make_unique<CTpNode>();
            pTp->GetRecord()->dwWord[0] = m_words[0];
            rec.pNode = std::move(pTp);
            break;
        }
        default: {
            auto pProg = std::make_unique<CProgNode>();
            ProgRecord* pRec = pProg->GetRecord();
            for (int w = 0; w < 4; ++w)
                pRec->dwWord[w] = m_words[w];
            pRec->SetName(name);
            rec.pNode = std::move(pProg);
            break;
        }
        }
        rec.nParent = m_nParent;
        if (m_bHasId) {
            auto res = m_idIndex[m_nList].emplace(m_nId, m_nIndex);
            if (!res.second)
                return Fail(Where(false) + "." + Kind(m_nList).pszIdKey + ": " + std::to_string(m_nId) +
                            " is also the id of " + Kind(m_nList).pszList + "[" +
                            std::to_string(res.first->second) + "]");
        }
        m_records[m_nList].push_back(std::move(rec));
        ++m_nIndex;
        m_nDepth = 2;
        return true;
    }

    // Turns every parent id of the file into the parent's position in its list.
    bool Link()
    {
        for (int nList = 1; nList < 3; ++nList) {
            const std::unordered_map<int32_t, size_t>& parents = m_idIndex[nList - 1];
            for (size_t i = 0; i < m_records[nList].size(); ++i) {
                Parsed& rec = m_records[nList][i];
                if (rec.nParent == INVALID_ID)
                    continue;
                auto it = parents.find(rec.nParent);
                if (it == parents.end()) {
                    const KindInfo& kind = Kind(nList);
                    return Fail(std::string(kind.pszList) + "[" + std::to_string(i) + "]." +
                                kind.pszParentKey + ": no " + (nList == 1 ? "satellite" : "transponder") +
                                " has the id " + std::to_string(rec.nParent));
                }
                rec.nParent = static_cast<int32_t>(it->second);
            }
        }
        return true;
    }

    const char* m_pData;
    size_t m_nSize;
    uint32_t m_nCodePage;
    bool m_bAsciiCompatible;
    std::unique_ptr<CodePage::CStrictConverter> m_pToCodePage; // opened for the first name that needs it
    std::string m_strError;

    int m_nDepth = 0; // 0 outside, 1 in the top object, 2 in a list, 3 in a record
    int m_nList = 0;  // the list being read: 0 satellites, 1 transponders, 2 programs
    bool m_bListSeen[3] = {false, false, false};
    size_t m_nIndex = 0; // position of the record being read in its list

    // The record being read.
    std::string m_strKey; // the key whose value comes next
    int m_nSlot = 0;
    uint64_t m_seen = 0; // keys given so far, one bit each
    uint32_t m_words[4] = {0, 0, 0, 0};
    int32_t m_nId = INVALID_ID;
    bool m_bHasId = false;
    int32_t m_nParent = INVALID_ID;
    int32_t m_nSelect = 0;
    std::string m_strName, m_strHex;
    bool m_bHasName = false, m_bHasHex = false;

    std::vector<Parsed> m_records[3];
    std::unordered_map<int32_t, size_t> m_idIndex[3]; // id in the file -> position, of referable records
};

} // namespace

CAccessJsonIn::CAccessJsonIn() : m_nCodePage(CodePage::GetAnsiCodePage()) {}

CAccessJsonIn::CAccessJsonIn(uint32_t nCodePage) : m_nCodePage(nCodePage) {}

bool CAccessJsonIn::LoadDb(const std::string& strPath, CProgDb* pDb)
{
    std::vector<uint8_t> data;
    if (ReadWholeFile(strPath, data) != ReadResult::Ok) {
        SetLastErrorMsg("Open file failed!");
        return false;
    }
    return LoadDbFromBuffer(reinterpret_cast<const char*>(data.data()), data.size(), pDb);
}

bool CAccessJsonIn::LoadDbFromBuffer(const char* pData, size_t nSize, CProgDb* pDb)
{
    CJsonDbReader reader(pData, nSize, m_nCodePage);
    std::string strError;
    if (!reader.Read(strError)) {
        SetLastErrorMsg(strError);
        return false;
    }
    reader.Fill(pDb);
    return true;
}

CAccessJsonOut::CAccessJsonOut() : m_nCodePage(CodePage::GetAnsiCodePage()) {}

CAccessJsonOut::CAccessJsonOut(uint32_t nCodePage) : m_nCodePage(nCodePage) {}

bool CAccessJsonOut::SaveDb(const std::string& strPath, CProgDb* pDb)
{
    const std::string text = DumpJson(*pDb, m_nCodePage);
    return WriteImageFile(strPath, text.data(), text.size());
}
