// Times the XML workbook on a workbook of the large database's shape, written and read cell by cell
// in the order the spreadsheet exporter and importer use, against `xmllint --noout` on the same
// file. Usage: bench_xml [folder] [runs]

#include "access/LastError.h"
#include "bench/BenchTime.h"
#include "sheet/XmlWorkbook.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int SATS = 200;
const int PROGS = 40000;

double Seconds(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string Num(uint32_t& seed, uint32_t mod)
{
    seed = seed * 1103515245u + 12345u;
    return std::to_string((seed >> 8) % mod);
}

bool Export(const std::string& strPath)
{
    CXmlWorkbook book;
    uint32_t seed = 1;
    if (!book.CreateWorkbook(strPath) || !book.OpenSheet("Satellites"))
        return false;
    for (int c = 0; c < 14; ++c)
        book.SetCellText(1, c, "Title" + std::to_string(c));
    for (int s = 0; s < SATS; ++s) {
        const int row = s + 2;
        const std::string sheet = "Sat_" + std::to_string(s);
        book.SetCellText(row, 0, "A");
        book.SetCellText(row, 1, "Sat " + std::to_string(s) + " & more");
        for (int c = 3; c < 14; ++c)
            book.SetCellText(row, c, Num(seed, 2048));
        book.SetCellLink(row, 1, "#" + sheet + "!A1");
        book.SetCellText(row, 2, sheet);
    }
    for (int s = 0; s < SATS; ++s) {
        if (!book.CreateSheet("Sat_" + std::to_string(s)))
            return false;
        for (int c = 0; c < 17; ++c)
            book.SetCellText(1, c, "Head" + std::to_string(c));
        for (int p = 0; p < PROGS / SATS; ++p) {
            const int row = p + 2;
            book.SetCellText(row, 0, "Program " + std::to_string(s * 1000 + p) + " HD");
            book.SetCellText(row, 1, Num(seed, 12000));
            book.SetCellText(row, 2, Num(seed, 30000));
            book.SetCellText(row, 3, p & 1 ? "V" : "H");
            for (int c = 4; c < 17; ++c)
                book.SetCellText(row, c, Num(seed, 8192));
        }
    }
    const bool bOk = book.SaveWorkbook(true);
    book.CloseWorkbook();
    return bOk;
}

// Reads every cell back; returns the number of non-empty cells.
long Import(const std::string& strPath)
{
    CXmlWorkbook book;
    long nCells = 0;
    std::string text;
    if (!book.OpenWorkbook(strPath) || !book.OpenSheet("Satellites"))
        return -1;
    std::vector<std::string> sheets;
    for (int row = 2; book.GetCellText(row, 0, text); ++row) {
        ++nCells;
        if (book.GetCellText(row, 2, text))
            sheets.push_back(text);
        for (int c = 1; c < 14; ++c)
            nCells += c != 2 && book.GetCellText(row, c, text);
    }
    for (const std::string& sheet : sheets) {
        if (!book.OpenSheet(sheet))
            return -1;
        for (int row = 2;; ++row) {
            if (!book.GetCellText(row, 1, text) || !book.GetCellText(row, 2, text) ||
                !book.GetCellText(row, 3, text))
                break;
            nCells += 3;
            for (int c : {0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
                nCells += book.GetCellText(row, c, text);
        }
    }
    book.CloseWorkbook();
    return nCells;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string path = dir + "/bench_xml.xls";
    std::vector<double> exportTimes, importTimes, lintTimes;
    long nCells = 0;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        if (!Export(path)) {
            std::fprintf(stderr, "export failed: %s\n", GetLastErrorMsg().c_str());
            return 1;
        }
        exportTimes.push_back(Seconds(t0));
        t0 = std::chrono::steady_clock::now();
        nCells = Import(path);
        importTimes.push_back(Seconds(t0));
        if (nCells != SATS * 13L + PROGS * 17L) {
            std::fprintf(stderr, "import read %ld cells\n", nCells);
            return 1;
        }
        t0 = std::chrono::steady_clock::now();
        if (std::system(("xmllint --noout '" + path + "'").c_str()) != 0) {
            std::fprintf(stderr, "xmllint failed (is libxml2-utils installed?)\n");
            return 1;
        }
        lintTimes.push_back(Seconds(t0));
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    long nBytes = 0;
    if (f) {
        std::fseek(f, 0, SEEK_END);
        nBytes = std::ftell(f);
        std::fclose(f);
    }
    const double ex = Median(exportTimes), im = Median(importTimes), lint = Median(lintTimes);
    std::printf("workbook: %ld bytes, %ld cells read back; median of %d runs\n", nBytes, nCells, runs);
    std::printf("export (CXmlWorkbook, cell by cell, saved): %.3f s  (%.2fx xmllint)\n", ex, ex / lint);
    std::printf("import (CXmlWorkbook, open and read every cell): %.3f s  (%.2fx xmllint)\n", im, im / lint);
    std::printf("xmllint --noout: %.3f s\n", lint);
    std::remove(path.c_str());
    return 0;
}
