#pragma once

#include <cstdint>
#include <string>

class CProgDb;

// The database as one JSON object: {"satellites":[...],"transponders":[...],"programs":[...]},
// each record with every field as its raw unsigned value, names decoded from nCodePage to UTF-8
// and also given as lower-case hex bytes. One-space indentation, one key per line.
std::string DumpJson(const CProgDb& db, uint32_t nCodePage);
