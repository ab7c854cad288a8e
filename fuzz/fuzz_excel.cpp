// The spreadsheet importer on arbitrary workbook bytes, and the exporter on whatever it accepted.

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "access/MessageSink.h"
#include "db/ProgDb.h"
#include "fuzz/FuzzCheck.h"
#include "platform/CodePage.h"
#include "sheet/AccessExcel.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class CCountingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, const std::string& strCaption, Icon) override
    {
        FUZZ_CHECK(strCaption == "Read Error");
        ++m_nCount;
    }
    int m_nCount = 0;
};

// The importer reads a path: one scratch folder per process, removed at exit.
char g_szScratch[] = "/tmp/fuzz-excel-XXXXXX";

void RemoveScratch()
{
    std::remove((std::string(g_szScratch) + "/in.xls").c_str());
    std::remove((std::string(g_szScratch) + "/out.xls").c_str());
    ::rmdir(g_szScratch);
}

std::string ScratchDir()
{
    static const bool bMade = [] {
        FUZZ_CHECK(::mkdtemp(g_szScratch) != nullptr);
        std::atexit(RemoveScratch);
        return true;
    }();
    (void)bMade;
    return g_szScratch;
}

bool WriteFile(const std::string& strPath, const uint8_t* pData, size_t nSize)
{
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!f)
        return false;
    const bool bOk = std::fwrite(pData, 1, nSize, f) == nSize;
    return std::fclose(f) == 0 && bOk;
}

bool HasEmptyName(CProgDb& db)
{
    for (const CNode* p : db.GetSatList())
        if (static_cast<const CSatNode*>(p)->GetRecord()->GetName().empty())
            return true;
    for (const CNode* p : db.GetProgList())
        if (static_cast<const CProgNode*>(p)->GetRecord()->GetName().empty())
            return true;
    return false;
}

std::vector<uint8_t> Image(CProgDb& db, std::vector<int32_t>& selects)
{
    selects.clear();
    for (const CNode* p : db.GetSatList())
        selects.push_back(static_cast<const CSatNode*>(p)->GetSelect());
    std::vector<uint8_t> image;
    CAccessDbOut out;
    return out.BuildImage(&db, image) ? image : std::vector<uint8_t>();
}

bool RoundTrip(CProgDb& db, CProgDb& back)
{
    const std::string strPath = ScratchDir() + "/out.xls";
    CAccessExcelOut out;
    CCountingSink sink;
    CAccessExcelIn in(sink);
    return out.SaveDb(strPath, &db) && in.LoadDb(strPath, &back) && sink.m_nCount == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CodePage::SetAnsiCodePage(1252);
    ClearLastError();
    const std::string strIn = ScratchDir() + "/in.xls";
    FUZZ_CHECK(WriteFile(strIn, pData, nSize));

    CCountingSink sink;
    CProgDb db;
    CAccessExcelIn in(sink);
    if (!in.LoadDb(strIn, &db)) {
        // A failed import leaves nothing behind; the read error box comes at most once.
        FUZZ_CHECK(db.IsEmpty());
        FUZZ_CHECK(sink.m_nCount <= 1);
        return 0;
    }
    FUZZ_CHECK(sink.m_nCount == 0);

    // What was imported exports and imports again with the same records, and from then on the
    // database no longer changes. (Empty names are left out: an empty program name means "no
    // program", an unnamed satellite gets no program sheet.) The first round may regroup programs
    // by transponder, so only the second is compared byte for byte.
    if (HasEmptyName(db) || db.GetSatList().GetCount() > 64)
        return 0;
    std::vector<int32_t> selects, selectsAgain;
    if (Image(db, selects).empty())
        return 0; // beyond the 13-bit link fields
    CProgDb again;
    FUZZ_CHECK(RoundTrip(db, again));
    FUZZ_CHECK(again.GetSatList().GetCount() == db.GetSatList().GetCount());
    FUZZ_CHECK(again.GetTpList().GetCount() == db.GetTpList().GetCount());
    FUZZ_CHECK(again.GetProgList().GetCount() == db.GetProgList().GetCount());
    const std::vector<uint8_t> image = Image(again, selects);
    CProgDb third;
    FUZZ_CHECK(RoundTrip(again, third));
    FUZZ_CHECK(Image(third, selectsAgain) == image);
    FUZZ_CHECK(selectsAgain == selects);
    return 0;
}
