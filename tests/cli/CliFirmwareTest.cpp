#include "access/AccessDb.h"
#include "db/ProgDb.h"
#include "platform/FileIO.h"
#include "tests/TestUtil.h"
#include "tests/access/UserDbImage.h"
#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

using namespace TestImage;

namespace {

bool Contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

// A 0x140000-byte image: a default-database area at 0x1000 (an empty database and 4 KiB of 0xFF),
// a layout 2.0 user database at 0x110000 and, for layout 2.5, one at 0x120000.
std::vector<uint8_t> FirmwareImage()
{
    CImage img(0x140000, 0x00);
    const uint8_t empty[] = {'S', 'g', '8', 'K', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'E', 'g', '8', 'K'};
    img.Bytes(0x1000, std::vector<uint8_t>(empty, empty + sizeof empty));
    img.Bytes(0x1000 + sizeof empty, std::vector<uint8_t>(0x1000, 0xFF));
    UserDb20(img, 0x110000, MakeDb(2, 3, 2));
    UserDb25(img, 0x120000, MakeDb(1, 2, 1));
    return img.Data();
}

class CliFirmware : public ::testing::Test
{
protected:
    void SetUp() override { WriteBytes(m_dir.File("fw.bin"), FirmwareImage()); }
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, m_dir.Path(), "LC_ALL=C"); }
    CTempDir m_dir;
};

} // namespace

TEST_F(CliFirmware, ReadsBothLayoutsWithTheAddressGiven)
{
    const std::string counts20 = "satellites: 2\ntransponders: 6\nprograms: 12\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", "fw.bin", "--from", "bin20"},
             {"info", "fw.bin", "--from", "bin20", "--addr", "auto"},
             {"info", "fw.bin", "--from", "bin20", "--addr", "AUTO"},
             {"info", "fw.bin", "--from", "bin20", "--addr", "110000"},
             {"info", "fw.bin", "--from=bin20", "--addr=0x110000"},
         }) {
        CliResult r = Run(args);
        EXPECT_EQ(r.nExit, 0) << r.strErr;
        EXPECT_EQ(r.strOut, counts20);
    }
    CliResult r = Run({"info", "fw.bin", "--from", "bin25", "--addr", "120000"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "satellites: 1\ntransponders: 2\nprograms: 2\n");

    r = Run({"dump", "fw.bin", "--from", "bin20"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_TRUE(Contains(r.strOut, "   \"TpID\": 6,\n   \"SatID\": 2,\n"));
    EXPECT_TRUE(Contains(r.strOut, "   \"ProgName\": \"Prog 6/1\",\n"));

    // Past the layout 2.0 database there is none: the search from 0x120000 meets no region start.
    r = Run({"info", "fw.bin", "--from", "bin20", "--addr", "120001"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Load Error: File format error!\n");
    r = Run({"info", "fw.bin", "--from", "bin20", "--addr", "200000"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Load Error: File size error!\n");
}

TEST_F(CliFirmware, ConvertsAUserDatabaseToADbFile)
{
    CliResult r = Run({"convert", "fw.bin", "out.db", "--from", "bin20"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    CProgDb db;
    CAccessDbIn in;
    ASSERT_TRUE(in.LoadDb(m_dir.File("out.db"), &db));
    EXPECT_EQ(db.GetSatList().GetCount(), 2);
    EXPECT_EQ(db.GetTpList().GetCount(), 6);
    EXPECT_EQ(db.GetProgList().GetCount(), 12);
}

TEST_F(CliFirmware, UsageErrorsForLayoutAndAddress)
{
    CliResult r = Run({"info", "fw.bin"});
    EXPECT_EQ(r.nExit, 2);
    EXPECT_TRUE(Contains(r.strErr, "bin20")) << r.strErr;
    EXPECT_TRUE(Contains(r.strErr, "bin25")) << r.strErr;
    r = Run({"info", "FW.BIN"});
    EXPECT_EQ(r.nExit, 2);

    r = Run({"info", "fw.bin", "--from", "bin20", "--addr", "0"});
    EXPECT_EQ(r.nExit, 2);
    EXPECT_TRUE(Contains(r.strErr, "The address can not be 0!")) << r.strErr;
    r = Run({"info", "fw.bin", "--from", "bin20", "--addr", "xyz"});
    EXPECT_EQ(r.nExit, 2);
    EXPECT_TRUE(Contains(r.strErr, "The address must be hexadecimal, e.g. 110000.")) << r.strErr;
    r = Run({"info", "fw.bin", "--from", "bin20", "--addr="});
    EXPECT_EQ(r.nExit, 2);
    EXPECT_TRUE(Contains(r.strErr, "The address can not be empty!")) << r.strErr;

    // Layout 2.5 is never searched for: without an address nothing is read and no message stored.
    r = Run({"info", "fw.bin", "--from", "bin25"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(Contains(r.strErr, "Load Error: Unknown Error!\n")) << r.strErr;
    EXPECT_TRUE(Contains(r.strErr, "--addr")) << r.strErr;
    EXPECT_EQ(r.strOut, "");

    // The readers write nothing.
    r = Run({"convert", "in.db", "x.bin", "--to", "bin20"});
    EXPECT_EQ(r.nExit, 2);
}

TEST_F(CliFirmware, MergeWritesTheDefaultDatabaseArea)
{
    const std::vector<uint8_t> before = ReadBytes(m_dir.File("fw.bin"));
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    CliResult r = Run({"merge", "s.db", "fw.bin"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    std::vector<uint8_t> after = ReadBytes(m_dir.File("fw.bin"));
    ASSERT_EQ(after.size(), before.size());
    const std::vector<uint8_t> sample = ReadBytes(m_dir.File("s.db"));
    EXPECT_TRUE(std::equal(sample.begin(), sample.end(), after.begin() + 0x1000));
    EXPECT_EQ(after[0x1000 + sample.size()], 0xFF);
    EXPECT_TRUE(
        std::equal(after.begin() + 0x1000 + 20 + 0x1000, after.end(), before.begin() + 0x1000 + 20 + 0x1000));
    EXPECT_FALSE(FileExists(m_dir.File("fw.bin.tmp")));

    // The image's own user database as its new default list.
    r = Run({"merge", "fw.bin", "fw.bin", "--from", "bin20", "--addr", "110000"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    after = ReadBytes(m_dir.File("fw.bin"));
    CProgDb db;
    CAccessDbIn in;
    ASSERT_TRUE(in.LoadDbFromBuffer(after.data() + 0x1000, 20 + 2 * 28 + 6 * 4 + 12 * 40, &db));
    EXPECT_EQ(db.GetTpList().GetCount(), 6);
}

TEST_F(CliFirmware, MergeFailures)
{
    WriteBytes(m_dir.File("empty.db"), CBytes().Str("Sg8K").Be32(0).Be32(0).Be32(0).Str("Eg8K"));
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    const std::vector<uint8_t> before = ReadBytes(m_dir.File("fw.bin"));

    CliResult r = Run({"merge", "empty.db", "fw.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Empty: No data to merge!\n");

    WriteBytes(m_dir.File("plain.bin"), std::vector<uint8_t>(64, 0xFF));
    r = Run({"merge", "s.db", "plain.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Merge Error: Invalid file format!\n");

    r = Run({"merge", "s.db", "missing.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Merge Error: Open file failed!\n");
    EXPECT_FALSE(FileExists(m_dir.File("missing.bin")));

    WriteBytes(m_dir.File("zero.bin"), {});
    r = Run({"merge", "s.db", "zero.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Merge Error: Empty file!\n");

    // The user database is much larger than the 4 KiB area.
    CImage bigDb;
    UserDb20(bigDb, 0, MakeDb(40, 4, 4));
    WriteBytes(m_dir.File("big.bin"), bigDb.Data());
    r = Run({"merge", "big.bin", "fw.bin", "--from", "bin20"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Merge Error: The size defaultDb is not large enough for your default data!\n");
    EXPECT_EQ(ReadBytes(m_dir.File("fw.bin")), before);

    r = Run({"merge", "s.db"});
    EXPECT_EQ(r.nExit, 2);
}

// --backup on the two commands that overwrite a file: the first original is kept as FILE.bak, an
// existing FILE.bak is never replaced, a backup that cannot be made stops the command before the
// file is touched; without --backup no FILE.bak appears.
TEST_F(CliFirmware, BackupKeepsTheOverwrittenFileWhenAsked)
{
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    const std::vector<uint8_t> image = ReadBytes(m_dir.File("fw.bin"));
    WriteText(m_dir.File("out.db"), "old output");

    CliResult r = Run({"convert", "s.db", "out.db"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_FALSE(FileExists(m_dir.File("out.db.bak")));
    r = Run({"merge", "s.db", "fw.bin"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_FALSE(FileExists(m_dir.File("fw.bin.bak")));

    WriteBytes(m_dir.File("fw.bin"), image);
    WriteText(m_dir.File("out.db"), "old output");
    r = Run({"convert", "s.db", "out.db", "--backup"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadText(m_dir.File("out.db.bak")), "old output");
    EXPECT_EQ(ReadBytes(m_dir.File("out.db")), ReadBytes(m_dir.File("s.db")));
    r = Run({"merge", "s.db", "fw.bin", "--backup"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(m_dir.File("fw.bin.bak")), image);
    EXPECT_NE(ReadBytes(m_dir.File("fw.bin")), image);

    // A second run keeps the first backups.
    r = Run({"convert", "fw.bin", "out.db", "--from", "bin20", "--backup"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadText(m_dir.File("out.db.bak")), "old output");
    r = Run({"merge", "out.db", "fw.bin", "--backup"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(m_dir.File("fw.bin.bak")), image);
    // A new file has nothing to keep.
    r = Run({"convert", "s.db", "new.db", "--backup"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_FALSE(FileExists(m_dir.File("new.db.bak")));

    // No room for ".bak" behind the name: nothing is written.
    const std::string strLong(250, 'f');
    WriteBytes(m_dir.File(strLong + ".db"), {1, 2, 3});
    r = Run({"convert", "s.db", strLong + ".db", "--backup"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(Contains(r.strErr, "Save Error: no backup of")) << r.strErr;
    EXPECT_EQ(ReadBytes(m_dir.File(strLong + ".db")), (std::vector<uint8_t>{1, 2, 3}));
    WriteBytes(m_dir.File(strLong + ".bin"), image);
    r = Run({"merge", "s.db", strLong + ".bin", "--backup"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(Contains(r.strErr, "Merge Error: no backup of")) << r.strErr;
    EXPECT_EQ(ReadBytes(m_dir.File(strLong + ".bin")), image);
}
