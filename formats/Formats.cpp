#include "formats/Formats.h"

#include "access/AccessCsv.h"
#include "access/AccessDb.h"
#include "access/AccessHtml.h"
#include "access/AccessJson.h"
#include "access/AccessUserDb.h"
#include "access/AccessUserDb25.h"
#include "sheet/AccessExcel.h"

#include <algorithm>
#include <cctype>

namespace {

// The extension of the last path component, lower case with the dot; empty when it has none.
std::string LowerExtension(const std::string& strPath)
{
    const size_t nDot = strPath.find_last_of('.');
    const size_t nSlash = strPath.find_last_of('/');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash))
        return std::string();
    std::string strExt = strPath.substr(nDot);
    std::transform(strExt.begin(), strExt.end(), strExt.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return strExt;
}

std::string NameList(bool bReadable)
{
    std::string strNames;
    for (const FileFormat& format : GetFormats()) {
        if (bReadable ? !format.fnMakeIn : !format.fnMakeOut)
            continue;
        if (!strNames.empty())
            strNames += ", ";
        strNames += format.strName;
    }
    return strNames;
}

} // namespace

const std::vector<FileFormat>& GetFormats()
{
    static const std::vector<FileFormat> formats = {
        {"db",
         {".db"},
         "Program Db File(*.db);;All Files (*.*)",
         [](const ImportContext&) -> std::unique_ptr<CAccessIn> { return std::make_unique<CAccessDbIn>(); },
         []() -> std::unique_ptr<CAccessOut> { return std::make_unique<CAccessDbOut>(); }},
        {"bin20",
         {},
         FIRMWARE_IMAGE_FILTER,
         [](const ImportContext& ctx) -> std::unique_ptr<CAccessIn> {
             return std::make_unique<CAccessUserDbIn>(ctx.addr);
         },
         nullptr},
        {"bin25",
         {},
         FIRMWARE_IMAGE_FILTER,
         [](const ImportContext& ctx) -> std::unique_ptr<CAccessIn> {
             return std::make_unique<CAccessUserDb25In>(ctx.addr);
         },
         nullptr},
        {"xls",
         {".xls"},
         "Excel File(*.xls);;All Files (*.*)",
         [](const ImportContext& ctx) -> std::unique_ptr<CAccessIn> {
             return std::make_unique<CAccessExcelIn>(ctx.sink);
         },
         []() -> std::unique_ptr<CAccessOut> { return std::make_unique<CAccessExcelOut>(); }},
        {"json",
         {".json"},
         "JSON File(*.json);;All Files (*.*)",
         [](const ImportContext&) -> std::unique_ptr<CAccessIn> { return std::make_unique<CAccessJsonIn>(); },
         []() -> std::unique_ptr<CAccessOut> { return std::make_unique<CAccessJsonOut>(); }},
        // For other tools and for reading: written, never read back.
        {"csv",
         {".csv"},
         "CSV File(*.csv);;All Files (*.*)",
         nullptr,
         []() -> std::unique_ptr<CAccessOut> { return std::make_unique<CAccessCsvOut>(); }},
        {"html",
         {".html", ".htm"},
         "HTML Page(*.html *.htm);;All Files (*.*)",
         nullptr,
         []() -> std::unique_ptr<CAccessOut> { return std::make_unique<CAccessHtmlOut>(); }},
    };
    return formats;
}

const FileFormat* FindFormatByName(const std::string& strName)
{
    for (const FileFormat& format : GetFormats())
        if (format.strName == strName)
            return &format;
    return nullptr;
}

const FileFormat* FindFormatByPath(const std::string& strPath)
{
    const std::string strExt = LowerExtension(strPath);
    if (strExt.empty())
        return nullptr;
    for (const FileFormat& format : GetFormats())
        for (const std::string& strFormatExt : format.extensions)
            if (strFormatExt == strExt)
                return &format;
    return nullptr;
}

bool IsFirmwareImagePath(const std::string& strPath)
{
    return LowerExtension(strPath) == ".bin";
}

std::string ReadableFormatNames()
{
    return NameList(true);
}

std::string WritableFormatNames()
{
    return NameList(false);
}

bool IsExportOnly(const FileFormat& format)
{
    return format.fnMakeOut && !format.fnMakeIn;
}

std::string DefaultExtension(const FileFormat& format)
{
    return format.extensions.empty() ? std::string() : format.extensions.front().substr(1);
}
