#pragma once

#include "access/Access.h"
#include "sheet/SheetLayout.h"
#include "sheet/XmlWorkbook.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CProgDb;
class IMessageSink;
struct TpRecord;

// Importer of the spreadsheet workbook (sheet and column layout in SheetLayout.h).
//
// Reads the "Satellites" sheet row by row, then the program sheet of every satellite whose select
// mark asks for it, rebuilding transponders from the tuning values of the program rows. Any
// failure leaves the database empty. A LocalFre value outside the LNB table is reported through
// the message sink ("Read Error") and sets no last-error message; a missing required satellite
// cell fails without any message.
class CAccessExcelIn : public CAccessIn
{
public:
    explicit CAccessExcelIn(IMessageSink& sink);
    ~CAccessExcelIn() override;

    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;

private:
    bool ReadSatelliteSheet();
    bool ReadSatelliteRow(int32_t nRow, int32_t nMark);
    bool ReadProgramSheets();
    bool ReadProgramSheet(const std::string& strSheet, int32_t nSatId, int32_t nMark);
    bool ReadProgramRow(int32_t nRow, int32_t nSatId, int32_t nMark);
    int32_t FindOrAddTransponder(const TpRecord& rec, int32_t nSatId);
    void ReportCellError(int32_t nRow, int32_t nColumn);
    std::string SheetOfSat(int32_t nSatId) const;

    CXmlWorkbook m_workbook;
    CProgDb* m_pDb = nullptr;
    std::map<int32_t, std::string> m_sheetOfSat;
    IMessageSink& m_sink;
    // First transponder in list order per (satellite id, Frequency, SymbolRate, Polar), so that
    // FindOrAddTransponder need not walk the transponder list for every program row.
    std::unordered_map<uint64_t, int32_t> m_tpIndex;
};

// Exporter to the spreadsheet workbook. The workbook is built in memory and written in one piece
// through a temporary file renamed over the target, so a failed export leaves an existing file at
// the path as it was.
class CAccessExcelOut : public CAccessOut
{
public:
    CAccessExcelOut();
    ~CAccessExcelOut() override;

    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;

private:
    bool WriteSatelliteSheet();
    bool WriteSatelliteRow(int32_t nRow, const CSatNode& sat);
    bool WriteProgramSheets();
    bool WriteProgramSheet(const std::string& strSheet, int32_t nSatId);
    bool WriteTransponderRows(const CTpNode& tp, int32_t& nRow);
    bool WriteProgramRow(int32_t nRow, const CProgNode& prog, const CTpNode& tp);
    bool WriteTransponderRow(int32_t nRow, const CTpNode& tp);
    bool WriteTpColumns(int32_t nRow, const CTpNode& tp);

    CXmlWorkbook m_workbook;
    CProgDb* m_pDb = nullptr;
    SheetLayout::CSheetNamer m_usedSheetNames;
    std::vector<std::string> m_sheetsInOrder; // program sheet of each satellite, in list order
    // Transponders per satellite id and programs per transponder id, each in list order, built once
    // per export instead of walking the whole list for every satellite and transponder.
    std::unordered_map<int32_t, std::vector<const CTpNode*>> m_tpsOfSat;
    std::unordered_map<int32_t, std::vector<const CProgNode*>> m_progsOfTp;
    std::unique_ptr<SheetLayout::CNameCellWriter> m_pNameWriter; // for the length of one SaveDb
};
