#pragma once

#include <cstdint>
#include <string>

// Where the user database of a firmware image lies: asked before an image is read.
// The editor answers with the "UserDb Config" dialog, ravelin-cli with --addr, tests with fixed
// answers. 0 means "Auto"; a cancelled dialog also answers 0. bAutoAllowed is false for a layout
// that is never searched for (2.5): "Auto" cannot work there, so the dialog refuses it.
class IUserDbAddrSource
{
public:
    virtual ~IUserDbAddrSource() = default;
    virtual uint32_t AskUserDbAddr(bool bAutoAllowed) = 0;
};

// A source that always gives the same address.
class CFixedUserDbAddr : public IUserDbAddrSource
{
public:
    explicit CFixedUserDbAddr(uint32_t nAddr) : m_nAddr(nAddr) {}
    uint32_t AskUserDbAddr(bool /*bAutoAllowed*/) override { return m_nAddr; }

private:
    uint32_t m_nAddr;
};

// The choices of the address combo box, in this order; the first one ("Auto") is selected when
// the dialog opens and stands for the address 0.
inline constexpr const char* USERDB_ADDR_ITEMS[] = {"Auto", "110000", "120000"};
constexpr int USERDB_ADDR_ITEM_COUNT = 3;
constexpr int USERDB_ADDR_AUTO_ITEM = 0;

// Texts of the address dialog. The messages are shown with the exclamation icon and keep the dialog
// open.
inline constexpr const char* USERDB_ADDR_CAPTION = "UserDb Config";
inline constexpr const char* USERDB_ADDR_PROMPT = "Please select the address of UserDb:";
inline constexpr const char* USERDB_ADDR_PREFIX = "0x";
inline constexpr const char* USERDB_ADDR_EMPTY_MSG = "The address can not be empty!";
inline constexpr const char* USERDB_ADDR_EMPTY_CAPTION = "Empty Input";
inline constexpr const char* USERDB_ADDR_ZERO_MSG = "The address can not be 0!";
inline constexpr const char* USERDB_ADDR_NOT_HEX_MSG = "The address must be hexadecimal, e.g. 110000.";
inline constexpr const char* USERDB_ADDR_NEEDED_MSG = "Layout 2.5 needs the address of the user database.";
// Caption of the three messages above.
inline constexpr const char* USERDB_ADDR_ERROR_CAPTION = "Error";

enum class UserDbAddrParse
{
    Ok,          // nAddr holds the address (0 only for the "Auto" item)
    Empty,       // the text is empty: show USERDB_ADDR_EMPTY_MSG
    NotHex,      // no hexadecimal digit where the number starts: show USERDB_ADDR_NOT_HEX_MSG
    Zero,        // the value 0: show USERDB_ADDR_ZERO_MSG
    AutoRefused, // "Auto" chosen where the layout is never searched for: show USERDB_ADDR_NEEDED_MSG
};

// Reads the typed address as an unsigned hexadecimal number the way a base-16 strtoul with a 32-bit
// unsigned long does: leading white space skipped, an optional sign, an optional "0x"/"0X", then
// the longest run of hexadecimal digits; whatever follows is ignored. A value beyond 32 bits
// saturates at 0xFFFFFFFF. Text where no digit follows is NotHex, not zero. nAddr is written only
// when the result is Ok.
UserDbAddrParse ParseUserDbAddr(const std::string& strText, uint32_t& nAddr);

// The dialog's OK: the "Auto" item (nSelectedItem == USERDB_ADDR_AUTO_ITEM) gives 0 and Ok, or
// AutoRefused without bAutoAllowed; any other item, or typed text with no item selected
// (nSelectedItem < 0), is parsed from strText.
UserDbAddrParse ParseUserDbAddrChoice(int nSelectedItem, const std::string& strText, uint32_t& nAddr,
                                      bool bAutoAllowed = true);
