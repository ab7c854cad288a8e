#pragma once

// Helpers shared by the tests: temporary folders, whole-file reads and writes, byte builders, the
// ANSI code page of one test.

#include "platform/CodePage.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

// A fresh folder under TMPDIR, removed with everything in it at the end of the test.
class CTempDir
{
public:
    CTempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/ravelin-test-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data()))
            m_strPath = buf.data();
    }
    ~CTempDir()
    {
        if (!m_strPath.empty())
            std::system(("rm -rf '" + m_strPath + "'").c_str());
    }
    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& strName) const { return m_strPath + "/" + strName; }

private:
    std::string m_strPath;
};

inline std::vector<uint8_t> ReadBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& strPath, const std::vector<uint8_t>& data)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline std::string ReadText(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::string& strPath, const std::string& strText)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << strText;
}

// Sets the ANSI code page for one test and puts the previous one back.
class CCodePageScope
{
public:
    explicit CCodePageScope(uint32_t nCodePage) : m_nOld(CodePage::GetAnsiCodePage())
    {
        CodePage::SetAnsiCodePage(nCodePage);
    }
    ~CCodePageScope() { CodePage::SetAnsiCodePage(m_nOld); }
    CCodePageScope(const CCodePageScope&) = delete;
    CCodePageScope& operator=(const CCodePageScope&) = delete;

private:
    uint32_t m_nOld;
};

// Appends big-endian values and raw bytes to a byte vector.
class CBytes
{
public:
    CBytes& Be32(uint32_t v)
    {
        for (int s = 24; s >= 0; s -= 8)
            m_data.push_back(static_cast<uint8_t>(v >> s));
        return *this;
    }
    CBytes& Be16(uint16_t v)
    {
        m_data.push_back(static_cast<uint8_t>(v >> 8));
        m_data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    CBytes& U8(uint8_t v)
    {
        m_data.push_back(v);
        return *this;
    }
    CBytes& Str(const std::string& s)
    {
        m_data.insert(m_data.end(), s.begin(), s.end());
        return *this;
    }
    // s, then zero bytes up to nLen in all.
    CBytes& Padded(const std::string& s, size_t nLen)
    {
        size_t start = m_data.size();
        Str(s.substr(0, nLen));
        m_data.resize(start + nLen, 0);
        return *this;
    }
    CBytes& Fill(size_t n, uint8_t v)
    {
        m_data.insert(m_data.end(), n, v);
        return *this;
    }
    size_t Size() const { return m_data.size(); }
    std::vector<uint8_t>& Data() { return m_data; }
    operator const std::vector<uint8_t>&() const { return m_data; }

private:
    std::vector<uint8_t> m_data;
};
