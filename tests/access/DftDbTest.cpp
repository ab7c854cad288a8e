#include "access/AccessDftDb.h"

#include "access/AccessDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "db/ProgDb.h"
#include "platform/FileIO.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A database of nSats satellites, each with one transponder carrying one program.
void FillDb(CProgDb& db, int nSats)
{
    for (int s = 0; s < nSats; ++s) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
        pSat->GetRecord()->SetName("Sat" + std::to_string(s));
        const int32_t nSatId = db.GetSatList().Add(std::move(pSat));
        auto pTp = std::make_unique<CTpNode>(INVALID_ID, nSatId);
        pTp->GetRecord()->Set(TpField::Frequency, 11000 + s);
        const int32_t nTpId = db.GetTpList().Add(std::move(pTp));
        auto pProg = std::make_unique<CProgNode>(INVALID_ID, nTpId);
        pProg->GetRecord()->SetName("Prog" + std::to_string(s));
        db.GetProgList().Add(std::move(pProg));
    }
}

std::vector<uint8_t> DbImage(int nSats)
{
    CProgDb db;
    FillDb(db, nSats);
    std::vector<uint8_t> image;
    CAccessDbOut out;
    EXPECT_TRUE(out.BuildImage(&db, image));
    return image;
}

// 20 + 28 + 4 + 40 bytes per satellite with its transponder and program.
size_t DbSize(int nSats)
{
    return 20 + 72 * static_cast<size_t>(nSats);
}

// prefix, the old database of nOldSats, nFill bytes 0xFF, then suffix.
std::vector<uint8_t> Firmware(const std::vector<uint8_t>& prefix, int nOldSats, size_t nFill,
                              const std::vector<uint8_t>& suffix)
{
    std::vector<uint8_t> fw = prefix;
    const std::vector<uint8_t> old = DbImage(nOldSats);
    fw.insert(fw.end(), old.begin(), old.end());
    fw.insert(fw.end(), nFill, 0xFF);
    fw.insert(fw.end(), suffix.begin(), suffix.end());
    return fw;
}

class DftDbTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }

    bool Merge(std::vector<uint8_t>& image, int nSats)
    {
        CProgDb db;
        FillDb(db, nSats);
        CAccessDftDbOut out;
        return out.MergeImage(image, &db);
    }
};

const std::vector<uint8_t> PREFIX = {0x12, 0xFF, 0xFF, 'E', 'g', '8', 'K', 0x00, 0x34};
const std::vector<uint8_t> SUFFIX = {0x00, 0xFF, 0x7E};

} // namespace

TEST_F(DftDbTest, SmallerDatabaseLeavesTheRestOfTheAreaFilled)
{
    const std::vector<uint8_t> before = Firmware(PREFIX, 3, 500, SUFFIX);
    std::vector<uint8_t> fw = before;
    ASSERT_TRUE(Merge(fw, 2)) << GetLastErrorMsg();
    ASSERT_EQ(fw.size(), before.size());

    const size_t nStart = PREFIX.size(), nAreaEnd = before.size() - SUFFIX.size();
    const std::vector<uint8_t> expected = DbImage(2);
    EXPECT_TRUE(std::equal(fw.begin(), fw.begin() + nStart, before.begin()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), fw.begin() + nStart));
    for (size_t i = nStart + expected.size(); i < nAreaEnd; ++i)
        ASSERT_EQ(fw[i], 0xFF) << "at " << i;
    EXPECT_TRUE(std::equal(fw.begin() + nAreaEnd, fw.end(), before.begin() + nAreaEnd));

    // The area reads back as a program database.
    CProgDb back;
    CAccessDbIn in;
    ASSERT_TRUE(in.LoadDbFromBuffer(fw.data() + nStart, expected.size(), &back));
    EXPECT_EQ(back.GetSatList().GetCount(), 2);
    EXPECT_EQ(back.GetProgList().GetCount(), 2);
}

TEST_F(DftDbTest, CapacityIsTheOldDatabaseAndItsFiller)
{
    // Exactly as long as the capacity: written with no 0xFF left.
    const size_t nFill = DbSize(3) - DbSize(2); // old 2 + filler = new 3
    std::vector<uint8_t> fw = Firmware(PREFIX, 2, nFill, SUFFIX);
    ASSERT_TRUE(Merge(fw, 3)) << GetLastErrorMsg();
    const std::vector<uint8_t> expected = DbImage(3);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), fw.begin() + PREFIX.size()));
    EXPECT_EQ(fw.size(), PREFIX.size() + expected.size() + SUFFIX.size());

    // One byte short: refused, image unchanged.
    const std::vector<uint8_t> tight = Firmware(PREFIX, 2, nFill - 1, SUFFIX);
    fw = tight;
    EXPECT_FALSE(Merge(fw, 3));
    EXPECT_EQ(GetLastErrorMsg(), "The size defaultDb is not large enough for your default data!");
    EXPECT_EQ(fw, tight);

    // "Eg8K" directly followed by another byte: the capacity is the old database alone.
    const std::vector<uint8_t> noFill = Firmware(PREFIX, 2, 0, {0x00, 0xFF});
    fw = noFill;
    EXPECT_FALSE(Merge(fw, 3));
    fw = noFill;
    ASSERT_TRUE(Merge(fw, 2));
    fw = noFill;
    ASSERT_TRUE(Merge(fw, 1));
    EXPECT_EQ(fw[PREFIX.size() + DbSize(1)], 0xFF);
    EXPECT_EQ(fw[PREFIX.size() + DbSize(2) - 1], 0xFF);
    EXPECT_EQ(fw[PREFIX.size() + DbSize(2)], 0x00);

    // "Eg8K" in the last four bytes of the image is found; the area ends with it.
    const std::vector<uint8_t> atEnd = Firmware(PREFIX, 2, 0, {});
    fw = atEnd;
    ASSERT_TRUE(Merge(fw, 1)) << GetLastErrorMsg();
    EXPECT_EQ(fw.size(), atEnd.size());
    EXPECT_EQ(fw.back(), 0xFF);
    fw = atEnd;
    EXPECT_FALSE(Merge(fw, 3));
}

TEST_F(DftDbTest, FirstStartMagicAndFirstEndMagicAfterItWin)
{
    // A stray "Sg8K" in front of the real area: the area starts there and takes in the bytes
    // between. The "Eg8K" of the prefix lies before it and does not count.
    std::vector<uint8_t> prefix = PREFIX;
    const size_t nStray = prefix.size();
    prefix.insert(prefix.end(), {'S', 'g', '8', 'K', 0x01, 0x02});
    std::vector<uint8_t> fw = Firmware(prefix, 1, 8, SUFFIX);
    const std::vector<uint8_t> before = fw;
    ASSERT_TRUE(Merge(fw, 1)) << GetLastErrorMsg();
    const std::vector<uint8_t> expected = DbImage(1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), fw.begin() + nStray));
    // Capacity: the stray 6 bytes, the old database and 8 bytes of filler.
    for (size_t i = nStray + expected.size(); i < nStray + 6 + DbSize(1) + 8; ++i)
        ASSERT_EQ(fw[i], 0xFF) << "at " << i;
    EXPECT_TRUE(std::equal(fw.end() - SUFFIX.size(), fw.end(), before.end() - SUFFIX.size()));
    // The stray start takes 6 bytes more, so two satellites (72 more) do not fit in 6 + 8.
    fw = before;
    EXPECT_FALSE(Merge(fw, 2));
}

TEST_F(DftDbTest, ImagesWithoutAnAreaAreRefused)
{
    const std::vector<std::vector<uint8_t>> images = {
        {0x00, 0x01, 0x02, 0x03, 0x04},
        {'E', 'g', '8', 'K', 'S', 'g', '8', 'K', 0xFF}, // the only "Eg8K" lies before the start
        {'S', 'g', '8', 'K', 'E', 'g', '8'},            // cut off
        {'S', 'g', '8'},
    };
    for (const std::vector<uint8_t>& image : images) {
        std::vector<uint8_t> fw = image;
        ClearLastError();
        EXPECT_FALSE(Merge(fw, 1));
        EXPECT_EQ(GetLastErrorMsg(), "Invalid file format!");
        EXPECT_EQ(fw, image);
    }
    std::vector<uint8_t> empty;
    EXPECT_FALSE(Merge(empty, 1));
    EXPECT_EQ(GetLastErrorMsg(), "Empty file!");
    // The end magic right behind the start magic is found (the search starts 4 bytes on).
    std::vector<uint8_t> bare = {'S', 'g', '8', 'K', 'E', 'g', '8', 'K'};
    bare.insert(bare.end(), DbSize(1), 0xFF);
    EXPECT_TRUE(Merge(bare, 1)) << GetLastErrorMsg();
}

TEST_F(DftDbTest, FileMergeReplacesTheImageWholeAndLeavesNoOtherFile)
{
    CTempDir dir;
    const std::string strFw = dir.File("fw.bin");
    const std::vector<uint8_t> before = Firmware(PREFIX, 2, 300, SUFFIX);
    WriteBytes(strFw, before);
    // A file of the user's that happens to carry the name of the old temporary file.
    WriteText(strFw + ".tmp", "keep me");

    CProgDb db;
    CAccessDummyIn sample;
    sample.LoadDb("", &db);
    CAccessDftDbOut out;
    ASSERT_TRUE(out.SaveDb(strFw, &db)) << GetLastErrorMsg();

    const std::vector<uint8_t> after = ReadBytes(strFw);
    ASSERT_EQ(after.size(), before.size());
    std::vector<uint8_t> expected;
    CAccessDbOut dbOut;
    ASSERT_TRUE(dbOut.BuildImage(&db, expected));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), after.begin() + PREFIX.size()));
    EXPECT_EQ(ReadText(strFw + ".tmp"), "keep me");

    // The link fields of the database were recomputed for the image written.
    const CProgNode* pSecond = static_cast<const CProgNode*>(*std::next(db.GetProgList().begin()));
    EXPECT_EQ(pSecond->GetRecord()->Get(ProgField::TpIndex), 0u);
    EXPECT_EQ(static_cast<const CSatNode*>(*db.GetSatList().begin())->GetRecord()->Get(SatField::TpCount),
              2u);

    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.Path().c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"fw.bin", "fw.bin.tmp"}));
}

TEST_F(DftDbTest, MergeThroughASymbolicLinkRewritesTheLinkedImage)
{
    CTempDir dir;
    ::mkdir(dir.File("real").c_str(), 0755);
    const std::vector<uint8_t> before = Firmware(PREFIX, 1, 100, SUFFIX);
    WriteBytes(dir.File("real/fw.bin"), before);
    ASSERT_EQ(::symlink("real/fw.bin", dir.File("link.bin").c_str()), 0);

    CProgDb db;
    FillDb(db, 2);
    CAccessDftDbOut out;
    ASSERT_TRUE(out.SaveDb(dir.File("link.bin"), &db)) << GetLastErrorMsg();
    struct stat st;
    ASSERT_EQ(::lstat(dir.File("link.bin").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    const std::vector<uint8_t> after = ReadBytes(dir.File("real/fw.bin"));
    const std::vector<uint8_t> expected = DbImage(2);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), after.begin() + PREFIX.size()));
}

TEST_F(DftDbTest, FileFailuresLeaveEverythingAsItWas)
{
    CTempDir dir;
    CProgDb db;
    FillDb(db, 1);
    CAccessDftDbOut out;

    EXPECT_FALSE(out.SaveDb(dir.File("missing.bin"), &db));
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");
    EXPECT_FALSE(FileExists(dir.File("missing.bin")));
    EXPECT_FALSE(out.SaveDb(dir.Path(), &db)); // a folder
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");

    WriteBytes(dir.File("empty.bin"), {});
    ClearLastError();
    EXPECT_FALSE(out.SaveDb(dir.File("empty.bin"), &db));
    EXPECT_EQ(GetLastErrorMsg(), "Empty file!");

    const std::vector<uint8_t> tight = Firmware(PREFIX, 1, 0, SUFFIX);
    WriteBytes(dir.File("tight.bin"), tight);
    CProgDb big;
    FillDb(big, 2);
    EXPECT_FALSE(out.SaveDb(dir.File("tight.bin"), &big));
    EXPECT_EQ(GetLastErrorMsg(), "The size defaultDb is not large enough for your default data!");
    EXPECT_EQ(ReadBytes(dir.File("tight.bin")), tight);
    EXPECT_FALSE(FileExists(dir.File("tight.bin.tmp")));
}
