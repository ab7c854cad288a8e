#pragma once

#include <cstddef>
#include <cstdint>

// Named character references that CXmlDoc decodes, kept as data in XmlEntities.cpp.
struct SXmlEntity
{
    const char* pszName;
    uint16_t nCode; // Unicode character
};

extern const SXmlEntity g_aXmlEntities[];
extern const size_t g_nXmlEntities;
