#pragma once

#include "sheet/XmlIndex.h"

#include <cstddef>
#include <string_view>

// Builds the element index of a document text (private to the XML engine). The text is scanned
// for markup: start tags, end tags and empty-element tags make and close element records;
// comments, CDATA sections, processing instructions and a document type declaration are stepped
// over; everything between markup is given to the element that contains it. End tags are matched
// by name to the open start tags; elements still open at a matching end tag, or at the end of the
// text, are marked unended. Malformed markup is left as text and the scan goes on, so that an
// ill-formed document is indexed as far as it can be.
namespace XmlScanner {

// Indexes text into elems (emptied first). True when the text is well-formed: exactly one root
// element, every start tag ended, every end tag matched, no malformed or unclosed markup. The
// records refer to the text by offset; it must stay below 4 GiB.
bool Scan(std::string_view text, XmlIndex::CElemStore& elems);

// An attribute in a start tag: where its value is (between its quotes, quotes included, or the
// unquoted word) and whether it has one (false for a name written without '=').
struct SAttribute
{
    size_t nValueOff = 0;
    size_t nValueLen = 0;
    bool bHasValue = false;
};
// Finds the attribute `name` in the start tag `tag` whose name is nNameLen bytes long.
bool FindAttribute(std::string_view tag, size_t nNameLen, std::string_view name, SAttribute& attr);

} // namespace XmlScanner
