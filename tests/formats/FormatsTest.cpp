// The table of formats: which format a name or a path picks, and the importers and exporters it
// makes, with what they were given.

#include "access/AccessDummy.h"
#include "access/MessageSink.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "formats/Formats.h"
#include "tests/TestUtil.h"

#include <string>
#include <vector>

namespace {

class CCountingAddr : public IUserDbAddrSource
{
public:
    int nAsked = 0;
    uint32_t AskUserDbAddr(bool) override
    {
        ++nAsked;
        return 0x110000;
    }
};

class CRecordingSink : public IMessageSink
{
public:
    std::vector<std::string> captions;
    void ShowMessage(const std::string&, const std::string& strCaption, Icon) override
    {
        captions.push_back(strCaption);
    }
};

std::vector<std::string> Names(const CNodeList& list)
{
    std::vector<std::string> names;
    for (const CNode* pNode : list)
        names.push_back(pNode->GetType() == NODE_SAT
                            ? static_cast<const CSatNode*>(pNode)->GetRecord()->GetName()
                            : static_cast<const CProgNode*>(pNode)->GetRecord()->GetName());
    return names;
}

} // namespace

TEST(FormatsTest, NamesAndPathsPickTheirFormat)
{
    struct Case
    {
        const char* pszPath;
        const char* pszFormat; // null: the extension names no format
    };
    const Case cases[] = {
        {"a.db", "db"},         {"dir/A.DB", "db"},     {"book.Xls", "xls"},    {"x.y/book.xls", "xls"},
        {"fw.bin", nullptr},    {"db", nullptr},        {"a.db/file", nullptr}, {"a.dbx", nullptr},
        {"channels.", nullptr}, {"a.xls.txt", nullptr}, {"list.JSON", "json"},  {"a.json.bak", nullptr},
        {"list.csv", "csv"},    {"page.HTML", "html"},  {"page.htm", "html"},   {"a.csv.txt", nullptr},
    };
    for (const Case& c : cases) {
        const FileFormat* pFormat = FindFormatByPath(c.pszPath);
        EXPECT_EQ(pFormat ? pFormat->strName : "-", c.pszFormat ? c.pszFormat : "-") << c.pszPath;
    }
    EXPECT_TRUE(IsFirmwareImagePath("dir/FW.Bin"));
    EXPECT_FALSE(IsFirmwareImagePath("bin"));
    EXPECT_FALSE(IsFirmwareImagePath("a.bin/x"));

    for (const FileFormat& format : GetFormats())
        EXPECT_EQ(FindFormatByName(format.strName), &format);
    EXPECT_EQ(FindFormatByName("DB"), nullptr);
    // The lists the command line's messages name.
    EXPECT_EQ(ReadableFormatNames(), "db, bin20, bin25, xls, json");
    EXPECT_EQ(WritableFormatNames(), "db, xls, json, csv, html");
    // Only the exports for other tools are written without being read back.
    std::vector<std::string> exportOnly;
    for (const FileFormat& format : GetFormats())
        if (IsExportOnly(format))
            exportOnly.push_back(format.strName);
    EXPECT_EQ(exportOnly, std::vector<std::string>({"csv", "html"}));
    EXPECT_EQ(DefaultExtension(*FindFormatByName("html")), "html");
    EXPECT_EQ(FindFormatByName("json")->strFilter, "JSON File(*.json);;All Files (*.*)");
}

// Every format that can be written, other than the exports for other tools, reads back the
// satellites and programs it wrote.
TEST(FormatsTest, EveryWritableFormatReadsBackWhatItWrote)
{
    CTempDir dir;
    CProgDb sample;
    ASSERT_TRUE(CAccessDummyIn().LoadDb("", &sample));
    CCountingAddr addr;
    CRecordingSink sink;
    int nWritable = 0;
    for (const FileFormat& format : GetFormats()) {
        if (!format.fnMakeOut || IsExportOnly(format))
            continue;
        ++nWritable;
        ASSERT_TRUE(format.fnMakeIn) << format.strName;
        const std::string strPath = dir.File("sample." + format.strName);
        ASSERT_TRUE(format.fnMakeOut()->SaveDb(strPath, &sample)) << format.strName;
        CProgDb back;
        ASSERT_TRUE(format.fnMakeIn({addr, sink})->LoadDb(strPath, &back)) << format.strName;
        EXPECT_EQ(Names(back.GetSatList()), Names(sample.GetSatList())) << format.strName;
        EXPECT_EQ(Names(back.GetProgList()), Names(sample.GetProgList())) << format.strName;
    }
    EXPECT_EQ(nWritable, 3);
    EXPECT_TRUE(sink.captions.empty());
}

// The firmware readers ask the context's address source, the workbook reader reports through its sink.
TEST(FormatsTest, ImportersUseWhatTheContextGives)
{
    CTempDir dir;
    CCountingAddr addr;
    CRecordingSink sink;
    for (const char* pszFormat : {"bin20", "bin25"}) {
        CProgDb db;
        const int nBefore = addr.nAsked;
        EXPECT_FALSE(FindFormatByName(pszFormat)->fnMakeIn({addr, sink})->LoadDb(dir.File("none.bin"), &db));
        EXPECT_EQ(addr.nAsked, nBefore + 1) << pszFormat;
    }

    // A workbook whose LNB frequency is not in the table stops the import with a "Read Error" box.
    CProgDb sample;
    ASSERT_TRUE(CAccessDummyIn().LoadDb("", &sample));
    const std::string strPath = dir.File("bad.xls");
    ASSERT_TRUE(FindFormatByName("xls")->fnMakeOut()->SaveDb(strPath, &sample));
    std::string strBook = ReadText(strPath);
    const size_t nAt = strBook.find(">5150<");
    ASSERT_NE(nAt, std::string::npos);
    strBook.replace(nAt, 6, ">1234<");
    WriteText(strPath, strBook);
    CProgDb db;
    EXPECT_FALSE(FindFormatByName("xls")->fnMakeIn({addr, sink})->LoadDb(strPath, &db));
    EXPECT_EQ(sink.captions, std::vector<std::string>({"Read Error"}));
}
