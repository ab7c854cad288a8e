// Writes the seed inputs of the fuzz harnesses: OUT/<harness>/<name>, small well-formed images and
// a few that exercise the less common paths (superseded blocks, strides, follow flags, stray magics).
// Usage: fuzz_make_seeds OUT

#include "tests/access/UserDbImage.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace TestImage;

namespace {

bool g_bFailed = false;

void Write(const std::string& strDir, const std::string& strName, const std::vector<uint8_t>& data)
{
    ::mkdir(strDir.c_str(), 0755);
    const std::string strPath = strDir + "/" + strName;
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", strPath.c_str());
        g_bFailed = true;
    }
}

// A program database file: nSats satellites, each with nTps transponders carrying one program each.
std::vector<uint8_t> DbFile(uint32_t nSats, uint32_t nTps)
{
    CImage img;
    const uint32_t nT = nSats * nTps;
    img.Bytes(0, {'S', 'g', '8', 'K'}).Be32(4, nSats).Be32(8, nT).Be32(12, nT);
    size_t p = 16;
    for (uint32_t s = 0; s < nSats; ++s, p += 28) {
        img.Bytes(p, {'S', 'a', 't', static_cast<uint8_t>('0' + s % 10)});
        img.Be32(p + 16, 0)
            .Be32(p + 20, (s << 21) | (3u << 15))
            .Be32(p + 24, (nTps << 2) | ((s * nTps) << 15));
    }
    for (uint32_t t = 0; t < nT; ++t, p += 4)
        img.Be32(p, ((10700u + t) << 18) | (27500u << 1));
    for (uint32_t i = 0; i < nT; ++i, p += 40) {
        img.Be32(p, (i << 6) | ((i / (nTps ? nTps : 1)) << 19))
            .Be32(p + 4, 0x00010004)
            .Be32(p + 8, 0x08004000);
        img.Be32(p + 12, 0x01004010).Bytes(p + 16, {'P', static_cast<uint8_t>('0' + i % 10)});
    }
    img.Bytes(p, {'E', 'g', '8', 'K'});
    return img.Data();
}

std::vector<uint8_t> WithAddr(uint16_t nAddr, const CImage& img)
{
    std::vector<uint8_t> out = {static_cast<uint8_t>(nAddr >> 8), static_cast<uint8_t>(nAddr)};
    out.insert(out.end(), img.Data().begin(), img.Data().end());
    return out;
}

std::vector<uint8_t> WithByte(uint8_t n, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out = {n};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUT\n");
        return 2;
    }
    const std::string strOut = argv[1];
    ::mkdir(strOut.c_str(), 0755);

    const std::string strDb = strOut + "/fuzz_db";
    Write(strDb, "empty", DbFile(0, 0));
    Write(strDb, "small", DbFile(2, 2));
    Write(strDb, "no-transponders", DbFile(3, 0));
    std::vector<uint8_t> bad = DbFile(2, 1);
    bad[16 + 27] |= 0x80; // FirstTpIndex beyond the transponders
    Write(strDb, "link-out-of-range", bad);

    const std::string str20 = strOut + "/fuzz_userdb20";
    {
        CImage img;
        UserDb20(img, 0, MakeDb(2, 2, 2));
        Write(str20, "plain", WithAddr(0, img));
        CImage shifted(0x40, 0x00);
        UserDb20(shifted, 0x40, MakeDb(1, 1, 3));
        Write(str20, "at-address", WithAddr(0x40, shifted));
        // Passed-over state, an empty block with end marker, a short record length.
        CImage look;
        look.Bytes(0x200, Sat20(Sat{1, 10, 0, 9750, 10600, 0, 0, 0, 0, 0, 0, "old"}));
        look.Bytes(0x220, Sat20(Sat{2, 20, 1, 5150, 11300, 1, 2, 3, 1, 1, 1, "new"}));
        look.Bytes(0x240, Prog20(Prog{}));
        Block20(look, 0, 0x80, 0, 0xFFFF, 0, {});
        Block20(look, 0x80, 0xC0, 1, 0x0000, 32, {0x200});
        Block20(look, 0xC0, 0x100, 2, 0xFFFF, 12, {});
        Block20(look, 0x100, 0x140, 1, 0xFFFF, 32, {0x220});
        Block20(look, 0x140, LAST, 3, 0xFFFF, 20, {0x240});
        Write(str20, "lookup", WithAddr(0, look));
    }

    const std::string str25 = strOut + "/fuzz_userdb25";
    {
        CImage img(0x20, 0x5A);
        UserDb25(img, 0x20, MakeDb(2, 2, 2));
        Write(str25, "plain", WithAddr(0x20, img));
        CImage wide(0x20, 0x00);
        UserDb25(wide, 0x20, MakeDb(2, 1, 1), 8);
        Write(str25, "stride8", WithAddr(0x20, wide));
        // Superseded twice, then a follow flag and a 224-byte step to the transponders.
        CImage chain(0x10, 0x00);
        const size_t a = 0x10;
        chain.Bytes(a + 0x600, Sat25(Sat{1, 1, 0, 9750, 9750, 0, 0, 0, 0, 0, 0, "v1"}));
        chain.Bytes(a + 0x620, Sat25(Sat{1, 2, 0, 9750, 9750, 0, 0, 0, 0, 0, 0, "v2"}));
        chain.Bytes(a + 0x640, Sat25(Sat{1, 3, 0, 9750, 9750, 0, 0, 0, 0, 0, 0, "v3"}));
        chain.Bytes(a + 0x660, Tp25(Tp{5, 1, 11000, 27500, 1, 0}));
        Block25(chain, a + 0, 0x300, 0, 28, 0, 4, {0x600});
        Block25(chain, a + 0x300, 0x100, 0, 28, 0, 4, {0x620});
        Block25(chain, a + 0x100, LAST, 0, 28, 1, 4, {0x640});
        Block25(chain, a + 0x100 + 224, LAST, 1, 16, 0, 4, {0x660});
        Write(str25, "superseded", WithAddr(0x10, chain));
    }

    const std::string strMerge = strOut + "/fuzz_merge";
    {
        const std::vector<uint8_t> old = DbFile(1, 1);
        auto fw = [&](const std::vector<uint8_t>& prefix, size_t nFill, const std::vector<uint8_t>& suffix) {
            std::vector<uint8_t> out = prefix;
            out.insert(out.end(), old.begin(), old.end());
            out.insert(out.end(), nFill, 0xFF);
            out.insert(out.end(), suffix.begin(), suffix.end());
            return out;
        };
        Write(strMerge, "filler", WithByte(2, fw({0x00, 0x01}, 200, {0x00})));
        Write(strMerge, "exact", WithByte(2, fw({0x00}, 72, {0x12})));
        Write(strMerge, "end-at-eof", WithByte(1, fw({}, 0, {})));
        Write(strMerge, "stray-start", WithByte(3, fw({'S', 'g', '8', 'K', 0x00}, 16, {0x00, 0xFF})));
    }
    // A recovery copy without its checksum (the harness appends it): the texts, a satellite, a
    // transponder whose satellite is missing and two programs with the same id.
    const std::string strRecovery = strOut + "/fuzz_recovery";
    {
        CImage rec;
        rec.Bytes(0, {'R', 'v', 'R', 'c'}).Be32(4, 1).Be32(8, 0).Be32(12, 1700000000).Be32(16, 1252);
        rec.Be32(20, 4).Bytes(24, {'/', 'a', '.', 'b'}).Be32(28, 2).Bytes(32, {'d', 'b'});
        rec.Be32(34, 3).Bytes(38, {'a', '.', 'b'});
        size_t p = 41;
        rec.Be32(p, 0).Be32(p + 4, 1).Be32(p + 8, 0).Be32(p + 12, 0xFFFFFFFF).Be32(p + 16, 2);
        rec.Bytes(p + 20, {'S', 'a', 't'}).Be32(p + 36, 0x12345678).Be32(p + 40, 3u << 15).Be32(p + 44, 0);
        p += 8 + 40;
        rec.Be32(p, 3).Be32(p + 4, 1).Be32(p + 8, 3).Be32(p + 12, 7).Be32(p + 16, (11000u << 18) | 2);
        p += 8 + 12;
        rec.Be32(p, 5).Be32(p + 4, 2);
        for (size_t i = 0; i < 2; ++i) {
            const size_t r = p + 8 + 48 * i;
            rec.Be32(r, 1).Be32(r + 4, 3).Be32(r + 8, 0x00010004).Be32(r + 16, 0x01004010);
            rec.Bytes(r + 24, {'P', static_cast<uint8_t>('0' + i)}).Bytes(r + 45, {0, 0, 0});
        }
        Write(strRecovery, "small", rec.Data());
    }
    return g_bFailed ? 1 : 0;
}
