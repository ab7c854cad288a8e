#pragma once

#include "access/Access.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IMessageSink;

// What an importer or exporter may need from the command line.
struct CliContext
{
    IMessageSink* pSink = nullptr;
    uint32_t nAddr = 0; // user-database address of a firmware image, 0 = auto
};

// One external form the command-line tool can read or write.
struct CliFormat
{
    std::string strName;                 // value of --from / --to
    std::vector<std::string> extensions; // lower case, with the dot; used to infer the format
    std::string strDescription;
    std::function<std::unique_ptr<CAccessIn>(CliContext&)> makeIn;   // empty: cannot be read
    std::function<std::unique_ptr<CAccessOut>(CliContext&)> makeOut; // empty: cannot be written
};

const std::vector<CliFormat>& CliFormats();
const CliFormat* FindFormatByName(const std::string& strName);
// True for a firmware image's extension (.bin, any case), whose layout must be named.
bool IsFirmwareImagePath(const std::string& strPath);
// The format a file's extension names (case-insensitive), or null.
const CliFormat* FindFormatByPath(const std::string& strPath);
