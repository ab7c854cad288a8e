#pragma once

#include "sheet/XmlIndex.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Builds the element index of a document text (private to the XML engine). The text is scanned
// for markup: start tags, end tags and empty-element tags make and close element records;
// comments, CDATA sections, processing instructions and a document type declaration are stepped
// over; everything between markup is given to the element that contains it. End tags are matched
// by name to the open start tags; elements still open at a matching end tag, or at the end of the
// text, are marked unended. Malformed markup is left as text and the scan goes on, so that an
// ill-formed document is indexed as far as it can be.
class CXmlScanner
{
public:
    // Indexes text into elems (emptied first). True when the text is well-formed: exactly one
    // root element, every start tag ended, every end tag matched, no malformed or unclosed markup.
    // The records refer to the text by offset; it must stay below 4 GiB.
    static bool Scan(std::string_view text, XmlIndex::CElemStore& elems);

    // An attribute in a start tag: where its value is (between its quotes, quotes included, or
    // the unquoted word) and whether it has one (false for a name written without '=').
    struct SAttribute
    {
        size_t nValueOff = 0;
        size_t nValueLen = 0;
        bool bHasValue = false;
    };
    // Finds the attribute `name` in the start tag `tag` whose name is nNameLen bytes long.
    static bool FindAttribute(std::string_view tag, size_t nNameLen, std::string_view name, SAttribute& attr);

private:
    CXmlScanner(std::string_view text, XmlIndex::CElemStore& elems) : m_text(text), m_elems(elems) {}

    bool Run();
    // Each scans the markup starting with the '<' at lt and says whether the scan goes on.
    bool ScanMarkup(size_t lt);
    bool ScanEndTag(size_t lt);
    bool ScanCommentCdataOrDoctype(size_t lt);
    bool ScanProcessingInstruction(size_t lt);
    bool ScanStartTag(size_t lt);

    // Where a tag name starting at nFrom ends.
    size_t NameEnd(size_t nFrom) const;
    // The '>' that closes a start tag, or a '<' that breaks it, outside quoted attribute values.
    size_t StartTagEnd(size_t nFrom) const;
    // The '>' that closes a document type declaration, outside quotes and the internal subset.
    size_t DoctypeEnd(size_t nFrom) const;
    // How many elements of the open stack stay open when an end tag of this name comes: the
    // depth of the innermost open element of that name, 0 for none.
    size_t MatchingDepth(std::string_view name) const;

    void OpenElement(size_t lt, size_t nNameEnd, size_t gt);
    // Ends the open elements above nDepth without end tag, at nAt.
    void EndUnended(size_t nDepth, size_t nAt);
    // Gives the text from the mark up to nTo to the element that contains it.
    void GiveText(size_t nTo);
    // Malformed markup: left as text, the scan goes on at nResume.
    bool Malformed(size_t nResume);
    // Markup that runs to the end of the text: the scan stops.
    bool Unclosed();

    std::string_view Name(int32_t nElem) const;

    std::string_view m_text;
    XmlIndex::CElemStore& m_elems;
    std::vector<int32_t> m_aOpen; // the open elements, innermost last
    size_t m_nPos = 0;            // where the search for the next markup starts
    size_t m_nMark = 0;           // start of the text not yet given to a piece
    int m_nRoots = 0;
    bool m_bOk = true;
};
