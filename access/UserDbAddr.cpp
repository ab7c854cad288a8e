#include "access/UserDbAddr.h"

#include "platform/Chars.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

UserDbAddrParse ParseUserDbAddr(const std::string& strText, uint32_t& nAddr)
{
    if (strText.empty())
        return UserDbAddrParse::Empty;

    size_t i = 0;
    const size_t n = strText.size();
    while (i < n && IsBlank(strText[i]))
        ++i;
    bool bNegative = false;
    if (i < n && (strText[i] == '+' || strText[i] == '-')) {
        bNegative = strText[i] == '-';
        ++i;
    }
    // "0x" counts as a prefix only when a digit follows; otherwise the "0" is the number.
    if (i + 2 < n && strText[i] == '0' && (strText[i + 1] == 'x' || strText[i + 1] == 'X') &&
        HexDigit(strText[i + 2]) >= 0)
        i += 2;

    if (i >= n || HexDigit(strText[i]) < 0)
        return UserDbAddrParse::NotHex;
    uint64_t value = 0;
    bool bOverflow = false;
    for (; i < n; ++i) {
        const int d = HexDigit(strText[i]);
        if (d < 0)
            break;
        value = (value << 4) | static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull) {
            bOverflow = true;
            value = 0xFFFFFFFFull; // keep the shift in range; the remaining digits do not matter
        }
    }
    uint32_t result;
    if (bOverflow)
        result = 0xFFFFFFFFu;
    else if (bNegative)
        result = static_cast<uint32_t>(0u - static_cast<uint32_t>(value));
    else
        result = static_cast<uint32_t>(value);

    if (result == 0)
        return UserDbAddrParse::Zero;
    nAddr = result;
    return UserDbAddrParse::Ok;
}

UserDbAddrParse ParseUserDbAddrChoice(int nSelectedItem, const std::string& strText, uint32_t& nAddr,
                                      bool bAutoAllowed)
{
    if (nSelectedItem == USERDB_ADDR_AUTO_ITEM) {
        if (!bAutoAllowed)
            return UserDbAddrParse::AutoRefused;
        nAddr = 0;
        return UserDbAddrParse::Ok;
    }
    return ParseUserDbAddr(strText, nAddr);
}
