#include "cli/Formats.h"

#include "access/AccessDb.h"

#include <algorithm>
#include <cctype>

const std::vector<CliFormat>& CliFormats()
{
    static const std::vector<CliFormat> formats = {
        {"db",
         {".db"},
         "program database file",
         [](CliContext&) { return std::unique_ptr<CAccessIn>(new CAccessDbIn); },
         [](CliContext&) { return std::unique_ptr<CAccessOut>(new CAccessDbOut); }},
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
