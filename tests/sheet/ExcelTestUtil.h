#pragma once

// Helpers shared by the tests of the spreadsheet importer and exporter.

#include "access/MessageSink.h"
#include "platform/CodePage.h"
#include "tests/TestUtil.h"

#include <cstdint>
#include <string>
#include <vector>

class CRecordingSink : public IMessageSink
{
public:
    struct Message
    {
        std::string strText;
        std::string strCaption;
        Icon nIcon;
    };
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon nIcon) override
    {
        m_messages.push_back({strText, strCaption, nIcon});
    }
    std::vector<Message> m_messages;
};

// Text with '&', '<' and '>' written as references, as in cell text.
inline std::string Escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

using Row = std::vector<std::string>; // "" is a cell without Data

// Row 1 of the "Satellites" sheet and of a program sheet.
inline const Row SAT_HEADER = {"select",    "SateName", "ProgSheet",    "Longitude", "LocalFre1",
                               "LocalFre2", "12V",      "22K",          "DiSEqC",    "DiSEqC12",
                               "Direction", "LnbType",  "DisEqC Motor", "TunerSel"};
inline const Row PROG_HEADER = {"ProgName", "Fre",      "SymbolRate", "Polar",   "VPID",      "APID",
                                "PCRPID",   "Scramble", "Hide",       "Track",   "ServiceId", "PmtPid",
                                "AvType",   "Lock",     "Skip",       "FavType", "TunerSel"};
