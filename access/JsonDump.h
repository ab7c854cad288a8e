#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>

class CProgDb;

// The channel database as JSON, shared by the dump of ravelin-cli and the JSON exchange:
//
//   {"satellites": [...], "transponders": [...], "programs": [...]}
//
// each list in the database's order, each record one object with its keys in this order:
//   satellite    SatID, select, Name, NameHex, then every field of the satellite record
//   transponder  TpID, SatID (its parent), then every field of the transponder record
//   program      ProgID, TpID (its parent), ProgName, ProgNameHex, then every field of the program record
// Fields are keyed by their column titles and hold their raw unsigned values. Names are decoded from
// nCodePage to UTF-8 and also given as their stored bytes in lower-case hex, which is exact where
// the decoded text is not (bytes the code page does not define).
nlohmann::ordered_json DbToJson(const CProgDb& db, uint32_t nCodePage);

// The text of DbToJson: one-space indentation, one key per line, a final newline. Names that are not
// UTF-8 after decoding (only possible when the code page is UTF-8 itself) are written with U+FFFD in
// place of each bad sequence, so the text is always valid JSON. Written directly, character for
// character what DbToJson(...).dump(1, ' ', false, replace) gives, at a fraction of its time and
// memory. This is the text of ravelin-cli dump and of a saved .json file. Never fails.
std::string DumpJson(const CProgDb& db, uint32_t nCodePage);
