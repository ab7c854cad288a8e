#pragma once

// The output of ravelin-cli diff: the differences of two lists as lines of text or as one JSON
// document, with each record named by its kind, name and place.

#include <cstdint>
#include <cstdio>

class CProgDb;
struct CListDiff;

// One line per difference, then the counts:
//   - program "ARD" on 11000 H 27500 of "Astra"                  only in A
//   + transponder 11000 H 27500 of "Astra"                       only in B
//   ~ satellite "Astra": Name "Astra" -> "ASTRA", Longitude 192 -> 190    changed
//   > program "ARD" on 11000 H 27500 of "Astra": now after "ZDF"   moved (where it stands in B)
//   1 only in A, 1 only in B, 1 changed, 1 moved
// kind by kind (satellites, transponders, programs), and within a kind in this order, each in its
// list's order. Names are decoded from nCodePage, in double quotes, with quotes, backslashes and
// control characters escaped. Written to pOut in pieces as it is made.
void WriteDiffText(const CListDiff& diff, const CProgDb& a, const CProgDb& b, uint32_t nCodePage,
                   std::FILE* pOut);

// The same differences as one JSON document:
//   {"onlyInA": [record...], "onlyInB": [record...],
//    "changed": [{"a": record, "b": record, "fields": [{"field": "VPID", "a": 101, "b": 201}, ...]}],
//    "moved": [{"a": record, "b": record}],
//    "counts": {"onlyInA": N, "onlyInB": M, "changed": K, "moved": J}}
// a record being {"kind", "index" (its position in its list), "id", "name" (satellites, programs),
// "frequency", "polar", "symbolRate" (transponders), "transponder" (programs: an object of those
// three), "satellite" (its name)}, a missing parent null; one entry of a list per line.
void WriteDiffJson(const CListDiff& diff, const CProgDb& a, const CProgDb& b, uint32_t nCodePage,
                   std::FILE* pOut);
