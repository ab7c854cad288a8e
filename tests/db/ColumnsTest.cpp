#include "db/Columns.h"

#include "platform/CodePage.h"

#include <gtest/gtest.h>

// Every rule of typed cell values: numbers within the field's width in decimal or hexadecimal, LNB
// frequencies, the polarisation, names in the current code page within their field, read-only
// columns; each refusal says why.
TEST(Columns, TypedTextIsReadAsTheFieldStoresItOrRefusedWithTheReason)
{
    struct Case
    {
        uint32_t nCodePage;
        NodeType nKind;
        const char* pszHeading;
        std::string strText;
        std::string strError; // empty: accepted
        uint32_t nValue;
        std::string strName;
    };
    const std::string vpidRange = "; enter 0 to 8191 (0x0 to 0x1FFF)";
    const std::string lnbChoice =
        "; enter one of 5150, 5700, 5750, 9750, 10000, 10600, 10700, 10750, 11250, 11300";
    const Case cases[] = {
        {1252, NODE_PROG, "VPID", "8191", "", 8191, ""},
        {1252, NODE_PROG, "VPID", " 0x1fFF\t", "", 8191, ""},
        {1252, NODE_PROG, "VPID", "0X10", "", 16, ""},
        {1252, NODE_PROG, "VPID", "007", "", 7, ""},
        {1252, NODE_PROG, "VPID", "8192", "VPID: 8192 is out of range" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "0x2000", "VPID: 0x2000 is out of range" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "99999999999999999999",
         "VPID: 99999999999999999999 is out of range" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "-1", "VPID: \"-1\" is not a number" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "", "VPID: \"\" is not a number" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "0x", "VPID: \"0x\" is not a number" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "12a", "VPID: \"12a\" is not a number" + vpidRange, 0, ""},
        {1252, NODE_PROG, "VPID", "1 2", "VPID: \"1 2\" is not a number" + vpidRange, 0, ""},
        {1252, NODE_PROG, "Lock", "2", "Lock: 2 is out of range; enter 0 to 1 (0x0 to 0x1)", 0, ""},
        {1252, NODE_PROG, "ServiceId", "65535", "", 65535, ""},
        {1252, NODE_SAT, "Longitude", "2048",
         "Longitude: 2048 is out of range; enter 0 to 2047 (0x0 to 0x7FF)", 0, ""},
        {1252, NODE_SAT, "LnbTpype", "3", "", 3, ""},
        {1252, NODE_TP, "Frequency", "16383", "", 16383, ""},
        {1252, NODE_SAT, "LocalFre1", "10600", "", 5, ""},
        {1252, NODE_SAT, "LocalFre2", " 5150 ", "", 0, ""},
        {1252, NODE_SAT, "LocalFre2", "10601", "LocalFre2: \"10601\" is not an LNB frequency" + lnbChoice, 0,
         ""},
        {1252, NODE_SAT, "LocalFre1", "5", "LocalFre1: \"5\" is not an LNB frequency" + lnbChoice, 0, ""},
        {1252, NODE_TP, "Polar", "V", "", 1, ""},
        {1252, NODE_TP, "Polar", "h", "", 0, ""},
        {1252, NODE_TP, "Polar", "1", "", 1, ""},
        {1252, NODE_TP, "Polar", "2", "Polar: \"2\" is not a polarisation; enter H, V, 0 or 1", 0, ""},
        {1252, NODE_SAT, "Name",
         "Astra 19.2\xC2\xB0"
         "E",
         "", 0,
         "Astra 19.2\xB0"
         "E"},
        {1252, NODE_SAT, "Name", " 16 bytes fit!! ", "", 0, " 16 bytes fit!! "},
        {1252, NODE_SAT, "Name", "17 bytes too many",
         "Name: the name takes 17 bytes in code page 1252; at most 16 fit", 0, ""},
        {1252, NODE_PROG, "ProgName", "Twenty-one bytes fit.", "", 0, "Twenty-one bytes fit."},
        {1252, NODE_PROG, "ProgName", "", "", 0, ""},
        {1252, NODE_PROG, "ProgName", "\xE6\x97\xA5\xE6\x9C\xAC",
         "ProgName: \"\xE6\x97\xA5\" has no byte in code page 1252", 0, ""},
        {1252, NODE_PROG, "ProgName", "A\tB",
         "ProgName: control characters such as tabs and line breaks cannot be "
         "stored in a name",
         0, ""},
        {1252, NODE_PROG, "ProgName", "\xF0\x9F\x93\xBA TV",
         "ProgName: \"\xF0\x9F\x93\xBA\" has no byte in code page 1252", 0, ""},
        {1251, NODE_PROG, "ProgName", "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9", "", 0,
         "\xCF\xE5\xF0\xE2\xFB\xE9"},
        {1251, NODE_PROG, "ProgName", "Caf\xC3\xA9", "ProgName: \"\xC3\xA9\" has no byte in code page 1251",
         0, ""},
        {936, NODE_SAT, "Name", "\xE4\xB8\xAD\xE5\xA4\xAE", "", 0, "\xD6\xD0\xD1\xEB"},
        {936, NODE_SAT, "Name",
         "\xE4\xB8\xAD\xE5\xA4\xAE\xE4\xB8\xAD\xE5\xA4\xAE\xE4\xB8\xAD\xE5\xA4\xAE\xE4\xB8\xAD"
         "\xE5\xA4\xAE\xE4\xB8\xAD",
         "Name: the name takes 18 bytes in code page 936; at most 16 fit", 0, ""},
        {1252, NODE_SAT, "SatID", "1", "SatID is read only", 0, ""},
        {1252, NODE_TP, "TpID", "1", "TpID is read only", 0, ""},
        {1252, NODE_TP, "SatID", "1", "SatID is read only", 0, ""},
        {1252, NODE_PROG, "ProgID", "1", "ProgID is read only", 0, ""},
        {1252, NODE_PROG, "TpID", "1", "TpID is read only", 0, ""},
    };
    const uint32_t nCodePage = CodePage::GetAnsiCodePage();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszHeading) + " <" + c.strText + "> in " + std::to_string(c.nCodePage));
        CodePage::SetAnsiCodePage(c.nCodePage);
        const int nColumn = FindColumn(c.nKind, c.pszHeading);
        ASSERT_GE(nColumn, 0);
        CCellValue value{123, "old"};
        std::string strError;
        const bool bOk = ParseCellText(c.nKind, nColumn, c.strText, value, strError);
        EXPECT_EQ(bOk, c.strError.empty());
        if (bOk) {
            EXPECT_EQ(value.nValue, c.nValue);
            EXPECT_EQ(value.strName, c.strName);
        } else {
            EXPECT_EQ(strError, c.strError);
        }
    }
    CodePage::SetAnsiCodePage(nCodePage);

    std::string strError;
    CCellValue value;
    EXPECT_FALSE(ParseCellText(NODE_PROG, 16, "1", value, strError));
    EXPECT_FALSE(ParseCellText(3, 0, "1", value, strError));
}

// The one table the list, the clipboard text and the editing rules read: headings in list order, the
// read-only columns, and cells as the list shows them.
TEST(Columns, TableHoldsTheListColumnsOfEachKind)
{
    EXPECT_EQ(GetColumnCount(NODE_SAT), 13);
    EXPECT_EQ(GetColumnCount(NODE_TP), 5);
    EXPECT_EQ(GetColumnCount(NODE_PROG), 16);
    EXPECT_EQ(GetColumnCount(-1), 0);
    EXPECT_EQ(GetColumn(NODE_PROG, 16), nullptr);
    EXPECT_EQ(FindColumn(NODE_SAT, "LnbTpype"), 10);
    EXPECT_EQ(FindColumn(NODE_SAT, "LnbType"), -1);
    EXPECT_EQ(FindColumn(NODE_PROG, "TunerSel"), 15);
    for (int32_t nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (int i = 0; i < GetColumnCount(nKind); ++i) {
            const CColumn& col = *GetColumn(nKind, i);
            const bool bLink = col.nSource == CColumn::SRC_ID || col.nSource == CColumn::SRC_PARENT;
            EXPECT_EQ(col.bReadOnly, bLink) << col.pszHeading;
            EXPECT_EQ(col.pField != nullptr,
                      col.nSource == CColumn::SRC_FIELD || col.nSource == CColumn::SRC_LNB_FREQ);
        }
    }

    CSatNode sat;
    sat.GetRecord()->Set(SatField::LocalFre1, 3);
    sat.GetRecord()->Set(SatField::LocalFre2, 12);
    sat.GetRecord()->Set(SatField::Longitude, 2047);
    sat.SetParentId(7);
    EXPECT_EQ(GetCellText(sat, 0), "-1");
    EXPECT_EQ(GetCellText(sat, 2), "2047");
    EXPECT_EQ(GetCellText(sat, 3), "9750");
    EXPECT_EQ(GetCellText(sat, 4), "5150");
    EXPECT_EQ(GetCellText(sat, 13), "");
    CTpNode tp(INVALID_ID, 42);
    tp.GetRecord()->Set(TpField::Polar, 1);
    EXPECT_EQ(GetCellText(tp, 1), "42");
    EXPECT_EQ(GetCellText(tp, 4), "1");
}
