#include "cli/Formats.h"

#include "access/AccessDb.h"
#include "access/AccessUserDb.h"
#include "access/AccessUserDb25.h"
#include "access/UserDbAddr.h"
#include "sheet/AccessExcel.h"

#include <algorithm>
#include <cctype>

namespace {

// A firmware user-database reader together with the --addr answer it asks for.
template <class TReader> class CCliUserDbIn : public CAccessIn
{
public:
    explicit CCliUserDbIn(uint32_t nAddr) : m_addr(nAddr), m_reader(m_addr) {}
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override { return m_reader.LoadDb(strPath, pDb); }

private:
    CFixedUserDbAddr m_addr;
    TReader m_reader;
};

} // namespace

const std::vector<CliFormat>& CliFormats()
{
    static const std::vector<CliFormat> formats = {
        {"db",
         {".db"},
         "program database file",
         [](CliContext&) { return std::unique_ptr<CAccessIn>(new CAccessDbIn); },
         [](CliContext&) { return std::unique_ptr<CAccessOut>(new CAccessDbOut); }},
        // Firmware images (.bin) hold the user database in one of two layouts that cannot be told
        // apart reliably, so these formats are never taken from the extension.
        {"bin20",
         {},
         "user database of a firmware image, layout 2.0 (read only)",
         [](CliContext& ctx) {
             return std::unique_ptr<CAccessIn>(new CCliUserDbIn<CAccessUserDbIn>(ctx.nAddr));
         },
         nullptr},
        {"bin25",
         {},
         "user database of a firmware image, layout 2.5 (read only; needs --addr)",
         [](CliContext& ctx) {
             return std::unique_ptr<CAccessIn>(new CCliUserDbIn<CAccessUserDb25In>(ctx.nAddr));
         },
         nullptr},
        {"xls",
         {".xls"},
         "spreadsheet workbook (XML Spreadsheet 2003)",
         [](CliContext& ctx) { return std::unique_ptr<CAccessIn>(new CAccessExcelIn(*ctx.pSink)); },
         [](CliContext&) { return std::unique_ptr<CAccessOut>(new CAccessExcelOut); }},
    };
    return formats;
}

const CliFormat* FindFormatByName(const std::string& strName)
{
    for (const CliFormat& f : CliFormats())
        if (f.strName == strName)
            return &f;
    return nullptr;
}

const CliFormat* FindFormatByPath(const std::string& strPath)
{
    size_t dot = strPath.find_last_of('.');
    size_t slash = strPath.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return nullptr;
    std::string ext = strPath.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const CliFormat& f : CliFormats())
        for (const std::string& e : f.extensions)
            if (e == ext)
                return &f;
    return nullptr;
}

bool IsFirmwareImagePath(const std::string& strPath)
{
    const size_t dot = strPath.find_last_of('.');
    const size_t slash = strPath.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string ext = strPath.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".bin";
}
