#include "access/RecoveryFile.h"

#include "db/ProgDb.h"
#include "platform/ByteOrder.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"

#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>

namespace {

// Everything a list holds, as text: the counter, then per record its kind, id, parent, select and
// every byte of its record.
std::string Describe(const CNodeList& list)
{
    std::ostringstream out;
    out << "last " << list.GetLastId() << ":";
    for (const CNode* p : list) {
        out << " [" << p->GetType() << " " << p->GetId() << "/" << p->GetParentId();
        const uint8_t* pBytes = nullptr;
        size_t nSize = 0;
        if (p->GetType() == NODE_SAT) {
            const auto* pSat = static_cast<const CSatNode*>(p);
            out << " sel " << pSat->GetSelect();
            pBytes = reinterpret_cast<const uint8_t*>(pSat->GetRecord());
            nSize = sizeof(SatRecord);
        } else if (p->GetType() == NODE_TP) {
            pBytes = reinterpret_cast<const uint8_t*>(static_cast<const CTpNode*>(p)->GetRecord());
            nSize = sizeof(TpRecord);
        } else {
            pBytes = reinterpret_cast<const uint8_t*>(static_cast<const CProgNode*>(p)->GetRecord());
            nSize = sizeof(ProgRecord);
        }
        for (size_t i = 0; i < nSize; ++i)
            out << " " << static_cast<int>(pBytes[i]);
        out << "]";
    }
    return out.str();
}

std::string Describe(const CProgDb& db)
{
    return Describe(db.GetSatList()) + "\n" + Describe(db.GetTpList()) + "\n" + Describe(db.GetProgList());
}

RecoveryInfo Info(const std::string& strPath = "/home/u/channels.db")
{
    RecoveryInfo info;
    info.strPath = strPath;
    info.strFormat = strPath.empty() ? "" : "db";
    info.strName = "channels.db";
    info.nCodePage = 1251;
    info.nWrittenAt = 1700000000;
    return info;
}

// A database of random records: random ids (duplicates likely), parents that often name nothing,
// every word and name byte random, the counters anywhere from -1 up.
void FillRandom(CProgDb& db, std::mt19937& rng)
{
    auto pick = [&rng](int32_t nLo, int32_t nHi) {
        return std::uniform_int_distribution<int32_t>(nLo, nHi)(rng);
    };
    auto word = [&rng] { return static_cast<uint32_t>(rng()); };
    for (int i = pick(0, 6); i > 0; --i) {
        auto p = std::make_unique<CSatNode>(pick(-2, 3));
        p->SetParentId(pick(-3, 3));
        for (uint8_t& b : p->GetRecord()->Name)
            b = static_cast<uint8_t>(word());
        for (uint32_t& w : p->GetRecord()->dwWord)
            w = word();
        db.GetSatList().AddWithId(std::move(p), pick(-3, 5));
    }
    for (int i = pick(0, 12); i > 0; --i) {
        auto p = std::make_unique<CTpNode>();
        p->SetParentId(pick(-2, 8));
        p->GetRecord()->dwWord[0] = word();
        db.GetTpList().AddWithId(std::move(p), pick(-1, 10));
    }
    for (int i = pick(0, 30); i > 0; --i) {
        auto p = std::make_unique<CProgNode>();
        p->SetParentId(pick(-2, 14));
        for (uint8_t& b : p->GetRecord()->ProgName)
            b = static_cast<uint8_t>(word());
        for (uint32_t& w : p->GetRecord()->dwWord)
            w = word();
        db.GetProgList().AddWithId(std::move(p), pick(-1, 40));
    }
    for (CNodeList* pList : {&db.GetSatList(), &db.GetTpList(), &db.GetProgList()})
        pList->RestoreLastId(pick(-1, 60));
}

// Writes the checksum anew after a test changed the bytes before it.
void Reseal(std::vector<uint8_t>& image)
{
    WriteBe32(image.data() + image.size() - 4, RecoveryChecksum(image.data(), image.size() - 4));
}

RecoveryRead Parse(const std::vector<uint8_t>& image, CProgDb& db, std::string& strError)
{
    RecoveryInfo info;
    return ParseRecoveryImage(image.data(), image.size(), info, &db, strError);
}

} // namespace

// Every record comes back exactly, in its place, with its id, its parent and the list's counter,
// however odd the database; the texts and the code page too. The bytes read back are the bytes the
// copy is made of again.
TEST(RecoveryFile, GivesBackEveryRecordOfAwkwardDatabases)
{
    const struct
    {
        const char* pszCase;
        std::function<void(CProgDb&)> fnBuild;
        RecoveryInfo info;
    } cases[] = {
        {"empty, nothing ever added", [](CProgDb&) {}, Info("")},
        {"every record deleted: only the counters are left",
         [](CProgDb& db) {
             for (CNodeList* pList : {&db.GetSatList(), &db.GetTpList(), &db.GetProgList()})
                 pList->RestoreLastId(7);
         },
         Info()},
        {"duplicate ids and parents that name nothing",
         [](CProgDb& db) {
             AddSat(db, "Astra", 3);
             AddSat(db, "Astra copy", 3);
             AddRecord(db, NODE_TP, 3, "", 5);
             AddRecord(db, NODE_TP, 99, "", 5); // no satellite 99
             AddRecord(db, NODE_PROG, 5, "One", 1);
             AddRecord(db, NODE_PROG, INVALID_ID, "Orphan", 1);
             AddRecord(db, NODE_PROG, 42, "Lost", 2);
         },
         Info()},
        {"extreme ids, every bit set, names of full length with bytes after a zero",
         [](CProgDb& db) {
             CSatNode* pSat = AddSat(db, "", std::numeric_limits<int32_t>::min());
             std::memcpy(pSat->GetRecord()->Name, "ABCDEFGHIJKLMNOP", SAT_NAME_LEN);
             pSat->GetRecord()->Name[3] = 0;
             for (uint32_t& w : pSat->GetRecord()->dwWord)
                 w = 0xFFFFFFFFu;
             pSat->SetSelect(-5);
             auto pTp = std::make_unique<CTpNode>();
             pTp->GetRecord()->dwWord[0] = 0xFFFFFFFFu;
             pTp->SetParentId(std::numeric_limits<int32_t>::max());
             db.GetTpList().AddWithId(std::move(pTp), std::numeric_limits<int32_t>::max());
             auto pProg = std::make_unique<CProgNode>();
             std::memset(pProg->GetRecord()->ProgName, 0xFF, PROG_NAME_LEN);
             for (uint32_t& w : pProg->GetRecord()->dwWord)
                 w = 0x80000001u;
             db.GetProgList().AddWithId(std::move(pProg), -7);
             db.GetProgList().RestoreLastId(std::numeric_limits<int32_t>::max() - 1);
         },
         Info()},
        {"a firmware image: counter below the ids, no path, long and odd texts",
         [](CProgDb& db) {
             AddSat(db, "Hot Bird", 40);
             AddRecord(db, NODE_TP, 40, "", 300);
             AddRecord(db, NODE_PROG, 300, "P", 0);
         },
         [] {
             RecoveryInfo info = Info("");
             info.strName = std::string("d\xC3\xA9j\xC3\xA0 vu.bin\0x", 15);
             info.nCodePage = 65001;
             info.nWrittenAt = -1;
             info.strPath.assign(RECOVERY_MAX_TEXT, 'p');
             return info;
         }()},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CProgDb db;
        c.fnBuild(db);
        const std::vector<uint8_t> image = BuildRecoveryImage(c.info, db);
        CProgDb back;
        RecoveryInfo info;
        std::string strError;
        ASSERT_EQ(ParseRecoveryImage(image.data(), image.size(), info, &back, strError), RecoveryRead::Ok)
            << strError;
        EXPECT_EQ(Describe(back), Describe(db));
        EXPECT_EQ(info.strPath, c.info.strPath);
        EXPECT_EQ(info.strFormat, c.info.strFormat);
        EXPECT_EQ(info.strName, c.info.strName);
        EXPECT_EQ(info.nCodePage, c.info.nCodePage);
        EXPECT_EQ(info.nWrittenAt, c.info.nWrittenAt);
        EXPECT_EQ(BuildRecoveryImage(info, back), image);

        // The same through a file.
        ASSERT_TRUE(WriteRecoveryFile(dir.File("copy"), c.info, db, strError)) << strError;
        CProgDb fromFile;
        ASSERT_EQ(ReadRecoveryFile(dir.File("copy"), info, &fromFile, strError), RecoveryRead::Ok);
        EXPECT_EQ(Describe(fromFile), Describe(db));
    }

    // A record added after the recovery gets the id the edited database would have given it.
    CProgDb db;
    AddSat(db, "A");
    AddSat(db, "B");
    db.GetSatList().Remove(1);
    const std::vector<uint8_t> image = BuildRecoveryImage(Info(), db);
    CProgDb back;
    std::string strError;
    ASSERT_EQ(Parse(image, back, strError), RecoveryRead::Ok);
    EXPECT_EQ(AddSat(back, "C")->GetId(), AddSat(db, "C")->GetId());
}

// The same for random databases.
TEST(RecoveryFile, RoundTripHoldsForRandomDatabases)
{
    for (unsigned nSeed = 1; nSeed <= 300; ++nSeed) {
        SCOPED_TRACE(nSeed);
        std::mt19937 rng(nSeed);
        CProgDb db;
        FillRandom(db, rng);
        const std::vector<uint8_t> image = BuildRecoveryImage(Info(), db);
        CProgDb back;
        std::string strError;
        ASSERT_EQ(Parse(image, back, strError), RecoveryRead::Ok) << strError;
        ASSERT_EQ(Describe(back), Describe(db));
    }
}

// A copy that is cut short, has any byte changed, or holds what no writer makes is refused with a
// message, and nothing of it is left in the database; a copy of a newer version is told apart.
TEST(RecoveryFile, RefusesDamagedCopies)
{
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(RecoveryChecksum(digits, sizeof digits), 0xCBF43926u);

    CProgDb db;
    AddSat(db, "Astra");
    AddRecord(db, NODE_TP, 0, "");
    AddRecord(db, NODE_PROG, 0, "One");
    AddRecord(db, NODE_PROG, 0, "Two");
    const std::vector<uint8_t> image = BuildRecoveryImage(Info(), db);
    // Offsets in this image: the texts from 20 ("/home/u/channels.db", "db", "channels.db"), then
    // the satellites' counter and count.
    const size_t nSats = 20 + 4 + 19 + 4 + 2 + 4 + 11;
    const size_t nTps = nSats + 8 + 40;
    const size_t nProgs = nTps + 8 + 12;
    ASSERT_EQ(image.size(), nProgs + 8 + 2 * 48 + 4);

    // Every cut and every changed byte.
    for (size_t nLen = 0; nLen < image.size(); ++nLen) {
        SCOPED_TRACE(nLen);
        std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(nLen));
        CProgDb back;
        std::string strError;
        EXPECT_EQ(Parse(cut, back, strError), RecoveryRead::Damaged);
        EXPECT_TRUE(back.IsEmpty());
        EXPECT_NE(strError.find("recovery copy: "), std::string::npos);
    }
    for (size_t nAt = 0; nAt < image.size(); ++nAt) {
        SCOPED_TRACE(nAt);
        std::vector<uint8_t> bad = image;
        bad[nAt] ^= 0x10;
        CProgDb back;
        std::string strError;
        EXPECT_NE(Parse(bad, back, strError), RecoveryRead::Ok);
        EXPECT_TRUE(back.IsEmpty());
        EXPECT_FALSE(strError.empty());
    }

    // With a right checksum: what no writer makes.
    const struct
    {
        const char* pszCase;
        std::function<void(std::vector<uint8_t>&)> fnSpoil;
        RecoveryRead nResult;
        const char* pszError;
    } cases[] = {
        {"a newer version", [](std::vector<uint8_t>& b) { WriteBe32(&b[4], 2); }, RecoveryRead::NewerVersion,
         "recovery copy: version 2 was written by a newer editor"},
        {"version 0", [](std::vector<uint8_t>& b) { WriteBe32(&b[4], 0); }, RecoveryRead::Damaged,
         "recovery copy: version 0 is unknown"},
        {"another magic", [](std::vector<uint8_t>& b) { b[0] = 'S'; }, RecoveryRead::Damaged,
         "recovery copy: not a recovery copy (no \"RvRc\" header)"},
        {"a text beyond the end", [](std::vector<uint8_t>& b) { WriteBe32(&b[20], 0x10000); },
         RecoveryRead::Damaged, "recovery copy: a text is cut short or longer than 65536 bytes at byte 24"},
        {"more satellites than bytes", [nSats](std::vector<uint8_t>& b) { WriteBe32(&b[nSats + 4], 5); },
         RecoveryRead::Damaged,
         "recovery copy: cut short in the satellites (5 records announced) at byte 72"},
        {"a huge number of programs",
         [nProgs](std::vector<uint8_t>& b) { WriteBe32(&b[nProgs + 4], 0xFFFFFFFFu); }, RecoveryRead::Damaged,
         "recovery copy: cut short in the programs (4294967295 records announced) at byte 140"},
        {"a counter below -1", [nTps](std::vector<uint8_t>& b) { WriteBe32(&b[nTps], 0xFFFFFFFEu); },
         RecoveryRead::Damaged, "recovery copy: the id counter of the transponders is -2 at byte 120"},
        {"a counter at the largest id", [nTps](std::vector<uint8_t>& b) { WriteBe32(&b[nTps], 0x7FFFFFFFu); },
         RecoveryRead::Damaged,
         "recovery copy: the id counter of the transponders is 2147483647 at byte 120"},
        {"padding that is not zero", [nProgs](std::vector<uint8_t>& b) { b[nProgs + 8 + 48 + 47] = 1; },
         RecoveryRead::Damaged, "recovery copy: a damaged record among the programs at byte 236"},
        {"bytes after the programs", [](std::vector<uint8_t>& b) { b.insert(b.end() - 4, 3, 0); },
         RecoveryRead::Damaged, "recovery copy: 3 bytes too many after the programs at byte 236"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        std::vector<uint8_t> bad = image;
        c.fnSpoil(bad);
        Reseal(bad);
        CProgDb back;
        std::string strError;
        EXPECT_EQ(Parse(bad, back, strError), c.nResult);
        EXPECT_EQ(strError, c.pszError);
        EXPECT_TRUE(back.IsEmpty());
    }

    CTempDir dir;
    RecoveryInfo info;
    CProgDb back;
    std::string strError;
    EXPECT_EQ(ReadRecoveryFile(dir.File("missing"), info, &back, strError), RecoveryRead::OpenFailed);
    EXPECT_FALSE(WriteRecoveryFile(dir.File("no/such/folder/copy"), Info(), db, strError));
    EXPECT_FALSE(strError.empty());
}
