#include "platform/FileIO.h"
#include "tessary/Crc32Mpeg2.h"
#include "tests/TestUtil.h"
#include "tests/cli/CliRun.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

const size_t IMAGE = 0x200000;
const size_t OUTPUT = 0x200200;

// Bit-at-a-time CRC-32/MPEG-2, independent of the converter's table.
uint32_t SlowCrc(const uint8_t* p, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= static_cast<uint32_t>(p[i]) << 24;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        v[i] = static_cast<uint8_t>(seed >> 24);
    }
    return v;
}

class Tessary : public ::testing::Test
{
protected:
    CliResult Run(const std::vector<std::string>& args)
    {
        return RunBinary(TESSARY_PATH, args, m_dir.Path());
    }
    std::string Lines(const std::string& from, const std::string& to)
    {
        return "fun:main,line:103," + from + "\nfun:main,line:104," + to + "\n";
    }
    CTempDir m_dir;
};

} // namespace

TEST(TessaryCrc, CheckValue)
{
    const std::string s = "123456789";
    const uint8_t* p = reinterpret_cast<const uint8_t*>(s.data());
    EXPECT_EQ(tessary::Crc32Mpeg2().Compute(p, s.size()), 0x0376E6E7u);
    EXPECT_EQ(SlowCrc(p, s.size()), 0x0376E6E7u);
    std::vector<uint8_t> v = Pattern(1000, 7);
    EXPECT_EQ(tessary::Crc32Mpeg2().Compute(v.data(), v.size()), SlowCrc(v.data(), v.size()));
}

TEST_F(Tessary, WritesTheUpgradeImage)
{
    std::vector<uint8_t> src = Pattern(IMAGE, 1);
    WriteBytes(m_dir.File("fw.bin"), src);
    CliResult r = Run({"fw.bin", "usb.bin"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, Lines("fw.bin", "usb.bin") + "make USB upgrade bin OK\n");

    std::vector<uint8_t> out = ReadBytes(m_dir.File("usb.bin"));
    ASSERT_EQ(out.size(), OUTPUT);
    EXPECT_TRUE(std::equal(src.begin(), src.end(), out.begin()));
    EXPECT_EQ(std::string(out.begin() + IMAGE, out.begin() + IMAGE + 6), "TR5Hm!");
    const uint32_t crc = SlowCrc(out.data(), IMAGE + 6);
    EXPECT_EQ(out[IMAGE + 6], crc >> 24);
    EXPECT_EQ(out[IMAGE + 7], (crc >> 16) & 0xFF);
    EXPECT_EQ(out[IMAGE + 8], (crc >> 8) & 0xFF);
    EXPECT_EQ(out[IMAGE + 9], crc & 0xFF);
    EXPECT_TRUE(std::all_of(out.begin() + IMAGE + 10, out.end(), [](uint8_t b) { return b == 0; }));

    // A longer source contributes only its first 2 MiB.
    std::vector<uint8_t> longer = src;
    std::vector<uint8_t> tail = Pattern(0x100000, 9);
    longer.insert(longer.end(), tail.begin(), tail.end());
    WriteBytes(m_dir.File("long.bin"), longer);
    ASSERT_EQ(Run({"long.bin", "usb2.bin"}).nExit, 0);
    EXPECT_EQ(ReadBytes(m_dir.File("usb2.bin")), out);

    // Overwriting an existing destination replaces it whole; nothing else is left in the folder.
    WriteText(m_dir.File("usb3.bin"), std::string(OUTPUT * 2, 'x'));
    ASSERT_EQ(Run({"fw.bin", "usb3.bin"}).nExit, 0);
    EXPECT_EQ(ReadBytes(m_dir.File("usb3.bin")), out);
    EXPECT_EQ(std::system(("test $(ls '" + m_dir.Path() + "' | wc -l) -eq 5").c_str()), 0);
}

TEST_F(Tessary, FailuresExitWithOneAndLeaveTheDestinationAlone)
{
    WriteBytes(m_dir.File("short.bin"), Pattern(IMAGE - 1, 3));
    CliResult r = Run({"short.bin", "out.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strOut, Lines("short.bin", "out.bin") + "file read error! fun:main,line:135\n");
    EXPECT_FALSE(FileExists(m_dir.File("out.bin")));

    WriteText(m_dir.File("keep.bin"), "precious");
    r = Run({"short.bin", "keep.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(ReadText(m_dir.File("keep.bin")), "precious");

    r = Run({"missing.bin", "keep.bin"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strOut, Lines("missing.bin", "keep.bin") + "open From file failer! fun:main,line:110\n");
    EXPECT_EQ(ReadText(m_dir.File("keep.bin")), "precious");

    // Destinations that cannot be opened for writing: a missing folder, a folder, a pipe, and a
    // write-protected file (unless run by the superuser, who may write it). Each is left as it was.
    WriteBytes(m_dir.File("fw.bin"), Pattern(IMAGE, 5));
    ::mkdir(m_dir.File("adir").c_str(), 0755);
    WriteText(m_dir.File("adir/x"), "x");
    ::mkfifo(m_dir.File("apipe").c_str(), 0644);
    WriteText(m_dir.File("locked.bin"), "locked");
    ::chmod(m_dir.File("locked.bin").c_str(), 0444);
    std::vector<std::string> dests = {"no/such/dir/out.bin", "adir", "adir/", "apipe"};
    if (::geteuid() != 0)
        dests.push_back("locked.bin");
    for (const std::string& dest : dests) {
        r = Run({"fw.bin", dest});
        EXPECT_EQ(r.nExit, 1) << dest;
        EXPECT_EQ(r.strOut, Lines("fw.bin", dest) + "open To file failer! fun:main,line:116\n");
    }
    EXPECT_EQ(ReadText(m_dir.File("adir/x")), "x");
    EXPECT_EQ(ReadText(m_dir.File("locked.bin")), "locked");
    struct stat st;
    EXPECT_TRUE(::stat(m_dir.File("apipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_EQ(std::system(("test $(ls '" + m_dir.Path() + "' | wc -l) -eq 6").c_str()), 0)
        << "no temporary file may stay behind";
}

TEST_F(Tessary, DefaultNamesUnlessExactlyTwoArguments)
{
    WriteBytes(m_dir.File("download.bin"), Pattern(IMAGE, 11));
    CliResult r = Run({});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, Lines("download.bin", "download_usb.bin") + "make USB upgrade bin OK\n");
    EXPECT_EQ(ReadBytes(m_dir.File("download_usb.bin")).size(), OUTPUT);
    std::remove(m_dir.File("download_usb.bin").c_str());

    r = Run({"one.bin"});
    EXPECT_EQ(r.strOut.substr(0, 60), Lines("download.bin", "download_usb.bin").substr(0, 60));
    EXPECT_TRUE(FileExists(m_dir.File("download_usb.bin")));
    std::remove(m_dir.File("download_usb.bin").c_str());

    r = Run({"a", "b", "c"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_TRUE(FileExists(m_dir.File("download_usb.bin")));
}

TEST_F(Tessary, LongPathsWork)
{
    std::string dir = m_dir.Path();
    for (int i = 0; i < 3; ++i) {
        dir += "/" + std::string(100, 'd');
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    }
    const std::string src = dir + "/source-image.bin", dst = dir + "/upgrade-image.bin";
    ASSERT_GT(src.size(), 255u);
    WriteBytes(src, Pattern(IMAGE, 13));
    CliResult r = Run({src, dst});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, Lines(src, dst) + "make USB upgrade bin OK\n");
    EXPECT_EQ(ReadBytes(dst).size(), OUTPUT);
}
