#include "access/AccessDb.h"

#include "access/LastError.h"
#include "db/ProgDb.h"
#include "platform/ByteOrder.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"

#include <sys/stat.h>

namespace {

class AccessDb : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }
    void TearDown() override { ClearLastError(); }

    bool Load(const std::vector<uint8_t>& bytes, CProgDb& db)
    {
        WriteBytes(m_dir.File("in.db"), bytes);
        CAccessDbIn in;
        return in.LoadDb(m_dir.File("in.db"), &db);
    }

    CTempDir m_dir;
};

// The header of a file with the given counts (records to be appended).
CBytes Header(uint32_t s, uint32_t t, uint32_t p)
{
    CBytes b;
    b.Str("Sg8K").Be32(s).Be32(t).Be32(p);
    return b;
}

} // namespace

TEST_F(AccessDb, EmptyDatabaseIsTwentyBytes)
{
    CProgDb db;
    CAccessDbOut out;
    ASSERT_TRUE(out.SaveDb(m_dir.File("e.db"), &db));
    CBytes expected = Header(0, 0, 0);
    expected.Str("Eg8K");
    EXPECT_EQ(ReadBytes(m_dir.File("e.db")), expected.Data());
    CProgDb back;
    CAccessDbIn in;
    EXPECT_TRUE(in.LoadDb(m_dir.File("e.db"), &back));
    EXPECT_TRUE(back.IsEmpty());
}

// Byte for byte: names, words big-endian, link fields, padding, and transponders grouped by
// satellite in satellite order whatever the order of the transponder list.
TEST_F(AccessDb, WritesExactImageWithGroupedTransponders)
{
    CProgDb db;
    CSatNode* s0 = AddSat(db, "Astra");
    s0->GetRecord()->dwWord[0] = 0x12345678; // reserved bits and TunerSel carried through
    s0->GetRecord()->Set(SatField::Longitude, 192);
    CSatNode* s1 = AddSat(db, std::string(16, 'N'));
    AddTp(db, 1, 100);                                     // tp 0 of satellite 1
    AddTp(db, 0, 200);                                     // tp 1 of satellite 0
    AddTp(db, 0, 300)->GetRecord()->Set(TpField::Flag, 1); // tp 2 of satellite 0
    AddTp(db, 5, 400);                                     // tp 3 of no satellite: not written
    CProgNode* p0 = AddProg(db, 0, "On sat 1");
    CProgNode* p1 = AddProg(db, 2, std::string(21, 'P'));
    CProgNode* p2 = AddProg(db, 3, "Orphan"); // its transponder is not written: links kept
    p2->GetRecord()->Set(ProgField::TpIndex, 77);
    p2->GetRecord()->Set(ProgField::SatIndex, 66);
    p0->GetRecord()->Set(ProgField::ServiceId, 0xBEEF);

    CAccessDbOut out;
    ASSERT_TRUE(out.SaveDb(m_dir.File("x.db"), &db));

    CBytes e = Header(2, 3, 3);
    // satellite 0: FirstTpIndex 0, TpCount 2
    e.Padded("Astra", 16).Be32(0x12345678).Be32(192u << 21).Be32((0u << 15) | (2u << 2));
    // satellite 1: FirstTpIndex 2, TpCount 1
    e.Padded(std::string(16, 'N'), 16).Be32(0).Be32(0).Be32((2u << 15) | (1u << 2));
    e.Be32(200u << 18).Be32((300u << 18) | 1).Be32(100u << 18);
    // program 0 on tp id 0 = record 2 of satellite position 1
    e.Be32((1u << 19) | (2u << 6)).Be32(0xBEEFu << 16).Be32(0).Be32(0).Padded("On sat 1", 21).Fill(3, 0);
    e.Be32((0u << 19) | (1u << 6)).Be32(0).Be32(0).Be32(0).Padded(std::string(21, 'P'), 21).Fill(3, 0);
    e.Be32((66u << 19) | (77u << 6)).Be32(0).Be32(0).Be32(0).Padded("Orphan", 21).Fill(3, 0);
    e.Str("Eg8K");
    EXPECT_EQ(ReadBytes(m_dir.File("x.db")), e.Data());

    // The link fields in memory are those written.
    EXPECT_EQ(s1->GetRecord()->Get(SatField::FirstTpIndex), 2u);
    EXPECT_EQ(s1->GetRecord()->Get(SatField::TpCount), 1u);
    EXPECT_EQ(p0->GetRecord()->Get(ProgField::TpIndex), 2u);
    EXPECT_EQ(p0->GetRecord()->Get(ProgField::SatIndex), 1u);
    EXPECT_EQ(p1->GetRecord()->Get(ProgField::TpIndex), 1u);
    EXPECT_EQ(p2->GetRecord()->Get(ProgField::TpIndex), 77u);
    // List order, ids and parents are untouched.
    EXPECT_EQ(ParentsOf(db.GetTpList()), (std::vector<int32_t>{1, 0, 0, 5}));
}

TEST_F(AccessDb, RoundTripRenumbersAndRelinks)
{
    CProgDb db;
    AddSat(db, "A");
    AddSat(db, "B");
    AddTp(db, 1, 10);
    AddTp(db, 0, 20);
    AddTp(db, 1, 30);
    AddProg(db, 2, "x");
    AddProg(db, 0, "y");
    AddProg(db, 1, "z");
    db.GetSatList().Remove(0); // ids need not start at 0
    AddSat(db, "C");           // id 2, no transponders
    CAccessDbOut out;
    ASSERT_TRUE(out.SaveDb(m_dir.File("r.db"), &db));

    CProgDb back;
    CAccessDbIn in;
    ASSERT_TRUE(in.LoadDb(m_dir.File("r.db"), &back));
    ASSERT_EQ(back.GetSatList().GetCount(), 2);
    ASSERT_EQ(back.GetTpList().GetCount(), 2); // the transponder of the removed satellite is gone
    ASSERT_EQ(back.GetProgList().GetCount(), 3);
    std::vector<std::string> names;
    for (const CNode* p : back.GetSatList())
        names.push_back(static_cast<const CSatNode*>(p)->GetRecord()->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(ParentsOf(back.GetTpList()), (std::vector<int32_t>{0, 0}));
    std::vector<uint32_t> freqs;
    for (const CNode* p : back.GetTpList())
        freqs.push_back(static_cast<const CTpNode*>(p)->GetRecord()->Get(TpField::Frequency));
    EXPECT_EQ(freqs, (std::vector<uint32_t>{10, 30}));
    // x was on tp id 2 (now record 1), y on tp 0 (now record 0); z's transponder was not written,
    // so it keeps its old TpIndex (0, never set) and points at record 0.
    EXPECT_EQ(ParentsOf(back.GetProgList()), (std::vector<int32_t>{1, 0, 0}));
    const CSatNode* c = static_cast<const CSatNode*>(back.GetSatList().Find(1));
    EXPECT_EQ(c->GetRecord()->Get(SatField::TpCount), 0u);
    EXPECT_EQ(c->GetRecord()->Get(SatField::FirstTpIndex), 2u);

    // Writing the loaded database again gives the same bytes.
    ASSERT_TRUE(out.SaveDb(m_dir.File("r2.db"), &back));
    EXPECT_EQ(ReadBytes(m_dir.File("r.db")), ReadBytes(m_dir.File("r2.db")));
}

TEST_F(AccessDb, LoadLinksByStoredPositions)
{
    CBytes b = Header(2, 3, 2);
    b.Padded("S0", 16).Be32(0).Be32(0).Be32((1u << 15) | (2u << 2)); // tps 1, 2
    b.Padded("S1", 16).Be32(0).Be32(0).Be32((2u << 15) | (1u << 2)); // tp 2 again: last one wins
    b.Be32(1).Be32(2).Be32(3);
    b.Be32(2u << 6).Be32(0).Be32(0).Be32(0).Padded("P0", 21).Fill(3, 0xAA); // padding ignored
    b.Be32(7u << 6).Be32(0).Be32(0).Be32(0).Padded(std::string(21, 'Q'), 21).Fill(3, 0);
    b.Str("XXXX"); // the end magic is not examined
    CProgDb db;
    ASSERT_TRUE(Load(b, db));
    EXPECT_EQ(ParentsOf(db.GetTpList()), (std::vector<int32_t>{-1, 0, 1}));
    EXPECT_EQ(ParentsOf(db.GetProgList()), (std::vector<int32_t>{2, 7}));
    const CProgNode* p1 = static_cast<const CProgNode*>(db.GetProgList().Find(1));
    EXPECT_EQ(p1->GetRecord()->GetName(), std::string(21, 'Q'));
    const CProgNode* p0 = static_cast<const CProgNode*>(db.GetProgList().Find(0));
    EXPECT_EQ(p0->GetRecord()->Pad[0], 0);
    EXPECT_EQ(static_cast<const CTpNode*>(db.GetTpList().Find(2))->GetRecord()->dwWord[0], 3u);
}

TEST_F(AccessDb, TranspondersWithoutSatellitesLoad)
{
    CBytes b = Header(0, 2, 0);
    b.Be32(5).Be32(6).Str("Eg8K");
    CProgDb db;
    ASSERT_TRUE(Load(b, db));
    EXPECT_EQ(ParentsOf(db.GetTpList()), (std::vector<int32_t>{-1, -1}));
}

TEST_F(AccessDb, SizeAndFormatErrorsLeaveAnEmptyDatabase)
{
    CBytes good = Header(1, 1, 0);
    good.Padded("S", 16).Be32(0).Be32(0).Be32(1u << 2).Be32(9).Str("Eg8K");

    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<uint8_t> longer = good.Data();
    longer.push_back(0);
    std::vector<uint8_t> shorter = good.Data();
    shorter.pop_back();
    std::vector<uint8_t> badMagic = good.Data();
    badMagic[0] = 's';
    CBytes overrun = Header(1, 1, 0); // FirstTpIndex 1 + TpCount 1 > 1 transponder
    overrun.Padded("S", 16).Be32(0).Be32(0).Be32((1u << 15) | (1u << 2)).Be32(9).Str("Eg8K");
    CBytes huge = Header(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF); // counts whose size overflows 32 bits
    huge.Str("Eg8K");
    std::vector<Case> cases = {
        {"one byte more", longer, "File size error!"},
        {"one byte less", shorter, "File size error!"},
        {"19 bytes", std::vector<uint8_t>(19, 'S'), "File size error!"},
        {"19 bytes of a good header", std::vector<uint8_t>(good.Data().begin(), good.Data().begin() + 19),
         "File size error!"},
        {"bad magic", badMagic, "File format error!"},
        {"transponder range past T", overrun, "File format error!"},
        {"overflowing counts", huge, "File size error!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CProgDb db;
        db.GetSatList().Add(
            std::make_unique<CSatNode>()); // left over from a caller that did not clear: still emptied
        ClearLastError();
        EXPECT_FALSE(Load(c.bytes, db));
        EXPECT_EQ(HasLastError(), 1);
        EXPECT_EQ(GetLastErrorMsg(), c.message);
        EXPECT_TRUE(db.IsEmpty());
    }
}

TEST_F(AccessDb, MissingFileAndUnwritableTarget)
{
    CProgDb db;
    CAccessDbIn in;
    EXPECT_FALSE(in.LoadDb(m_dir.File("missing.db"), &db));
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");
    ClearLastError();
    EXPECT_FALSE(in.LoadDb(m_dir.Path(), &db)); // a folder is no database file
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");

    // Every target that cannot be opened for writing is the exporter's own "Open file failed!",
    // and nothing is written anywhere.
    db.GetSatList().Add(std::make_unique<CSatNode>());
    ::mkdir(m_dir.File("folder.db").c_str(), 0755);
    ::mkfifo(m_dir.File("pipe.db").c_str(), 0644);
    WriteText(m_dir.File("locked.db"), "locked");
    ::chmod(m_dir.File("locked.db").c_str(), 0444);
    std::vector<std::string> targets = {"no/such/folder/x.db", "folder.db", "pipe.db", "folder.db/"};
    if (::geteuid() != 0) // the superuser may write any file
        targets.push_back("locked.db");
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        CAccessDbOut out;
        ClearLastError();
        EXPECT_FALSE(out.SaveDb(m_dir.File(target), &db));
        EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");
    }
    EXPECT_EQ(ReadText(m_dir.File("locked.db")), "locked");
    EXPECT_EQ(std::system(("test $(ls -A '" + m_dir.Path() + "' | wc -l) -eq 3").c_str()), 0);
}

// A failed save leaves an existing file as it was and no temporary file behind.
TEST_F(AccessDb, FailedSaveKeepsTheExistingFile)
{
    const std::string target = m_dir.File("keep.db");
    WriteText(target, "old contents");
    CProgDb db;
    for (int i = 0; i < 8192; ++i) // one satellite too many for the 13-bit links
        db.GetSatList().Add(std::make_unique<CSatNode>());
    CAccessDbOut out;
    EXPECT_FALSE(out.SaveDb(target, &db));
    EXPECT_NE(GetLastErrorMsg().find("8191"), std::string::npos);
    EXPECT_EQ(ReadText(target), "old contents");
    EXPECT_EQ(static_cast<const CSatNode*>(db.GetSatList().Find(0))->GetRecord()->Get(SatField::TpCount), 0u);

    // Saving over a target that is a folder fails and leaves nothing behind.
    const std::string folder = m_dir.File("folder.db");
    ::mkdir(folder.c_str(), 0755);
    WriteText(folder + "/inside", "x");
    CProgDb small;
    small.GetSatList().Add(std::make_unique<CSatNode>());
    ClearLastError();
    EXPECT_FALSE(out.SaveDb(folder, &small));
    EXPECT_EQ(HasLastError(), 1);
    EXPECT_EQ(ReadText(folder + "/inside"), "x");
    EXPECT_EQ(std::system(("test $(ls -A '" + m_dir.Path() + "' | wc -l) -eq 2").c_str()), 0);
}

TEST_F(AccessDb, LinkLimits)
{
    // 8191 transponders of one satellite fit; one more does not.
    CProgDb db;
    AddSat(db, "S");
    for (int i = 0; i < 8191; ++i)
        AddTp(db, 0, static_cast<uint32_t>(i));
    CAccessDbOut out;
    std::vector<uint8_t> image;
    ASSERT_TRUE(out.BuildImage(&db, image));
    EXPECT_EQ(image.size(), 20u + 28u + 4u * 8191u);
    AddTp(db, 0, 1);
    EXPECT_FALSE(out.BuildImage(&db, image));

    // A satellite id that occurs twice writes its transponders twice, so T counts them twice.
    CProgDb twice;
    AddSat(twice, "A");
    AddSat(twice, "B", 0);
    AddTp(twice, 0, 5);
    ASSERT_TRUE(out.BuildImage(&twice, image));
    EXPECT_EQ(ReadBe32(image.data() + 8), 2u);
    EXPECT_EQ(image.size(), 20u + 2 * 28u + 2 * 4u);
}

TEST_F(AccessDb, ExistingFilePermissionsAreKept)
{
    const std::string target = m_dir.File("perm.db");
    WriteText(target, "x");
    ::chmod(target.c_str(), 0600);
    CProgDb db;
    AddSat(db, "S");
    CAccessDbOut out;
    ASSERT_TRUE(out.SaveDb(target, &db));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadBytes(target).size(), 20u + 28u);
}
