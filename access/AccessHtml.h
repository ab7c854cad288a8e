#pragma once

#include "access/Access.h"

#include <cstdint>
#include <string>

// The channel list as one HTML5 page (*.html) to read in a browser, print or post: no scripts and
// nothing outside the file. One section per satellite holds a table of its programs, with the
// transponders as headings of their rows: No. (the place in the program list, from 1), Name,
// ServiceId, the four PIDs and the flags that are set. Transponders whose satellite does not exist,
// and programs whose transponder does not exist, follow in sections of their own. A style sheet for
// print keeps headings with their rows and repeats a table's column headings on every page. Every
// text is escaped; names are decoded from the code page, and characters that may not stand in an
// HTML document (control characters, noncharacters) are shown as U+FFFD. Written only.
std::string HtmlText(const CProgDb& db, uint32_t nCodePage);

// Text for an HTML element or a quoted attribute value: & < > " ' as character references,
// characters an HTML document may not hold as U+FFFD. strText is UTF-8; invalid sequences become
// U+FFFD as well.
std::string EscapeHtml(const std::string& strText);

class CAccessHtmlOut : public CAccessOut
{
public:
    // Names are decoded from nCodePage; the default is the ANSI code page.
    CAccessHtmlOut();
    explicit CAccessHtmlOut(uint32_t nCodePage);

    // Writes HtmlText through a temporary file renamed over strPath; an existing file stays as it
    // was when anything fails ("Open file failed!", "Write file failed! <reason>"). The database is
    // not changed.
    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;

private:
    uint32_t m_nCodePage;
};
