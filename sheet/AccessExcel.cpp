#include "sheet/AccessExcel.h"

#include "access/MessageSink.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"

#include <cstdio>
#include <cstring>
#include <memory>

using namespace SheetLayout;

namespace {

// Stores decoded name bytes (possibly with zero bytes inside) into a fixed-size name field.
void StoreName(uint8_t* pField, size_t nWidth, const std::string& strBytes)
{
    std::memset(pField, 0, nWidth);
    std::memcpy(pField, strBytes.data(), strBytes.size() < nWidth ? strBytes.size() : nWidth);
}

// Transponder identity for the import: satellite id and the tuning bits (bit 0, the flag, is not
// part of it, as IsSameTp does not compare it).
uint64_t TpKey(int32_t nSatId, const TpRecord& rec)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(nSatId)) << 32) | (rec.dwWord[0] & ~1u);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Import

CAccessExcelIn::CAccessExcelIn(IMessageSink& sink) : m_sink(sink) {}

CAccessExcelIn::~CAccessExcelIn() = default;

bool CAccessExcelIn::LoadDb(const std::string& strPath, CProgDb* pDb)
{
    if (!pDb)
        return false;
    bool bOk = m_workbook.OpenWorkbook(strPath);
    if (bOk) {
        m_pDb = pDb;
        m_tpIndex.clear();
        for (const CNode* pTp : pDb->GetTpList())
            m_tpIndex.emplace(TpKey(pTp->GetParentId(), *static_cast<const CTpNode*>(pTp)->GetRecord()),
                              pTp->GetId());
        bOk = ReadSatelliteSheet() && ReadProgramSheets();
    }
    m_workbook.CloseWorkbook();
    if (!bOk)
        pDb->Clear();
    m_pDb = nullptr;
    m_tpIndex.clear();
    return bOk;
}

std::string CAccessExcelIn::SheetOfSat(int32_t nSatId) const
{
    auto it = m_sheetOfSat.find(nSatId);
    return (nSatId == INVALID_ID || it == m_sheetOfSat.end()) ? std::string() : it->second;
}

bool CAccessExcelIn::ReadSatelliteSheet()
{
    if (!m_workbook.OpenSheet(SAT_SHEET))
        return false;
    std::string text;
    for (int32_t nRow = 2; nRow > 0; ++nRow) {
        if (!m_workbook.GetCellText(nRow, SATCOL_SELECT, text))
            return true;
        const int32_t nMark = ReadSelectMark(text);
        if (nMark == SELECT_SKIP)
            continue;
        if (!ReadSatelliteRow(nRow, nMark))
            return false;
    }
    return true;
}

bool CAccessExcelIn::ReadSatelliteRow(int32_t nRow, int32_t nMark)
{
    std::string strSheet;
    if (!m_workbook.GetCellText(nRow, SATCOL_SHEET, strSheet))
        return true;

    auto pSat = std::make_unique<CSatNode>(nMark, INVALID_ID, INVALID_ID);
    SatRecord* pRec = pSat->GetRecord();
    std::string text;
    if (!m_workbook.GetCellText(nRow, SATCOL_NAME, text))
        return false;
    StoreName(pRec->Name, SAT_NAME_LEN, DecodeNameCell(text, SAT_NAME_LEN));
    if (!m_workbook.GetCellText(nRow, SATCOL_LONGITUDE, text))
        return false;
    pRec->Set(SatField::Longitude, ReadNumber(text));

    const struct
    {
        int32_t nColumn;
        const FieldDesc& field;
    } lnb[] = {{SATCOL_LOCALFRE1, SatField::LocalFre1}, {SATCOL_LOCALFRE2, SatField::LocalFre2}};
    for (const auto& l : lnb) {
        if (!m_workbook.GetCellText(nRow, l.nColumn, text))
            return false;
        const int nIndex = ReadLnbFreq(text);
        if (nIndex < 0) {
            ReportCellError(nRow, l.nColumn);
            return false;
        }
        pRec->Set(l.field, static_cast<uint32_t>(nIndex));
    }

    int32_t nColumn = SATCOL_12V;
    for (const FieldDesc* pField : g_satPlainFields) {
        m_workbook.GetCellText(nRow, nColumn++, text); // empty reads 0
        pRec->Set(*pField, ReadNumber(text));
    }

    const int32_t nId = m_pDb->GetSatList().Add(std::move(pSat));
    m_sheetOfSat[nId] = strSheet;
    return true;
}

bool CAccessExcelIn::ReadProgramSheets()
{
    for (const CNode* pNode : m_pDb->GetSatList()) {
        const CSatNode* pSat = static_cast<const CSatNode*>(pNode);
        if (pSat->GetSelect() == 1)
            continue;
        if (!ReadProgramSheet(SheetOfSat(pSat->GetId()), pSat->GetId(), pSat->GetSelect()))
            return false;
    }
    return true;
}

bool CAccessExcelIn::ReadProgramSheet(const std::string& strSheet, int32_t nSatId, int32_t nMark)
{
    if (!m_workbook.OpenSheet(strSheet))
        return false;
    for (int32_t nRow = 2; nRow > 0 && ReadProgramRow(nRow, nSatId, nMark); ++nRow) {
    }
    return true;
}

bool CAccessExcelIn::ReadProgramRow(int32_t nRow, int32_t nSatId, int32_t nMark)
{
    std::string fre, rate, polar;
    if (!m_workbook.GetCellText(nRow, PROGCOL_FRE, fre) ||
        !m_workbook.GetCellText(nRow, PROGCOL_SYMBOLRATE, rate) ||
        !m_workbook.GetCellText(nRow, PROGCOL_POLAR, polar))
        return false;
    TpRecord tp;
    tp.dwWord[0] = 0;
    tp.Set(TpField::Frequency, ReadNumber(fre));
    tp.Set(TpField::SymbolRate, ReadNumber(rate));
    tp.Set(TpField::Polar, ReadPolar(polar));
    const int32_t nTpId = FindOrAddTransponder(tp, nSatId);

    auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
    ProgRecord* pRec = pProg->GetRecord();
    std::string text;
    if (!m_workbook.GetCellText(nRow, PROGCOL_NAME, text))
        return true;
    StoreName(pRec->ProgName, PROG_NAME_LEN, DecodeNameCell(text, PROG_NAME_LEN));
    if (!m_workbook.GetCellText(nRow, PROGCOL_VPID, text))
        return true;
    pRec->Set(ProgField::VPID, ReadNumber(text));
    if (!m_workbook.GetCellText(nRow, PROGCOL_APID, text))
        return true;
    pRec->Set(ProgField::APID, ReadNumber(text));

    int32_t nColumn = PROGCOL_PCRPID;
    for (const FieldDesc* pField : g_progPlainFields) {
        m_workbook.GetCellText(nRow, nColumn++, text); // empty reads 0
        pRec->Set(*pField, ReadNumber(text));
    }

    pRec->Set(ProgField::SatIndex, static_cast<uint32_t>(nSatId));
    pRec->Set(ProgField::TpIndex, static_cast<uint32_t>(nTpId));
    pProg->SetParentId(nTpId);
    if (nMark != 2)
        m_pDb->GetProgList().Add(std::move(pProg));
    return true;
}

int32_t CAccessExcelIn::FindOrAddTransponder(const TpRecord& rec, int32_t nSatId)
{
    const uint64_t nKey = TpKey(nSatId, rec);
    auto it = m_tpIndex.find(nKey);
    if (it != m_tpIndex.end())
        return it->second;
    auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
    *pTp->GetRecord() = rec;
    pTp->SetParentId(nSatId);
    const int32_t nId = m_pDb->GetTpList().Add(std::move(pTp));
    m_tpIndex.emplace(nKey, nId);
    return nId;
}

void CAccessExcelIn::ReportCellError(int32_t nRow, int32_t nColumn)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "Reading Excel Error!\nRow=%d, Column=%d", static_cast<int>(nRow),
                  static_cast<int>(nColumn));
    m_sink.ShowMessage(buf, "Read Error", IMessageSink::ICON_ERROR);
}

// ---------------------------------------------------------------------------------------------
// Export

CAccessExcelOut::CAccessExcelOut() = default;

CAccessExcelOut::~CAccessExcelOut() = default;

bool CAccessExcelOut::SaveDb(const std::string& strPath, CProgDb* pDb)
{
    if (!pDb)
        return false;
    m_pDb = pDb;
    m_pNameWriter.reset(new CNameCellWriter(CodePage::GetAnsiCodePage()));
    m_sheetsInOrder.clear();
    m_tpsOfSat.clear();
    m_progsOfTp.clear();
    for (const CNode* pTp : pDb->GetTpList())
        m_tpsOfSat[pTp->GetParentId()].push_back(static_cast<const CTpNode*>(pTp));
    for (const CNode* pProg : pDb->GetProgList())
        m_progsOfTp[pProg->GetParentId()].push_back(static_cast<const CProgNode*>(pProg));

    bool bResult = m_workbook.CreateWorkbook(strPath) && WriteSatelliteSheet() && WriteProgramSheets();
    // A failed write of the finished workbook fails the export; the file at the path then stays as
    // it was.
    if (bResult)
        bResult = m_workbook.SaveWorkbook(true);
    m_workbook.CloseWorkbook();
    m_pDb = nullptr;
    m_pNameWriter.reset();
    m_tpsOfSat.clear();
    m_progsOfTp.clear();
    return bResult;
}

bool CAccessExcelOut::WriteSatelliteSheet()
{
    if (!m_workbook.OpenSheet(SAT_SHEET))
        return false;
    // Only the first title counts: when it could be written, so can the others.
    if (!m_workbook.SetCellText(1, 0, g_satTitles[0]))
        return false;
    for (int32_t c = 1; c < SAT_COLUMN_COUNT; ++c)
        m_workbook.SetCellText(1, c, g_satTitles[c]);
    int32_t nRow = 2;
    for (const CNode* pNode : m_pDb->GetSatList())
        if (!WriteSatelliteRow(nRow++, *static_cast<const CSatNode*>(pNode)))
            return false;
    return true;
}

bool CAccessExcelOut::WriteSatelliteRow(int32_t nRow, const CSatNode& sat)
{
    if (!m_workbook.SetCellText(nRow, SATCOL_SELECT, FormatSelectMark(sat.GetSelect())))
        return false;
    const SatRecord* pRec = sat.GetRecord();
    const std::string strName = pRec->GetName();
    m_workbook.SetCellText(nRow, SATCOL_NAME, m_pNameWriter->Encode(strName));
    m_workbook.SetCellText(nRow, SATCOL_LONGITUDE, FormatNumber(pRec->Get(SatField::Longitude)));
    m_workbook.SetCellText(nRow, SATCOL_LOCALFRE1, FormatLnbFreq(pRec->Get(SatField::LocalFre1)));
    m_workbook.SetCellText(nRow, SATCOL_LOCALFRE2, FormatLnbFreq(pRec->Get(SatField::LocalFre2)));
    int32_t nColumn = SATCOL_12V;
    for (const FieldDesc* pField : g_satPlainFields)
        m_workbook.SetCellText(nRow, nColumn++, FormatNumber(pRec->Get(*pField)));

    const std::string strSheet = m_usedSheetNames.MakeSheetName(strName);
    m_sheetsInOrder.push_back(strSheet);
    m_workbook.SetCellLink(nRow, SATCOL_NAME, "#" + strSheet + "!A1");
    m_workbook.SetCellText(nRow, SATCOL_SHEET, strSheet);
    return true;
}

bool CAccessExcelOut::WriteProgramSheets()
{
    // By position rather than by satellite id: satellites read from a firmware image may share an
    // id, and each of them must still get the sheet its ProgSheet cell names.
    size_t i = 0;
    for (const CNode* pSat : m_pDb->GetSatList())
        if (i >= m_sheetsInOrder.size() || !WriteProgramSheet(m_sheetsInOrder[i++], pSat->GetId()))
            return false;
    return true;
}

bool CAccessExcelOut::WriteProgramSheet(const std::string& strSheet, int32_t nSatId)
{
    if (!m_workbook.CreateSheet(strSheet))
        return false;
    if (!m_workbook.SetCellText(1, 0, g_progTitles[0]))
        return false;
    for (int32_t c = 1; c < PROG_COLUMN_COUNT; ++c)
        m_workbook.SetCellText(1, c, g_progTitles[c]);
    int32_t nRow = 2;
    auto it = m_tpsOfSat.find(nSatId);
    if (it == m_tpsOfSat.end())
        return true;
    for (const CTpNode* pTp : it->second)
        if (!WriteTransponderRows(*pTp, nRow))
            return false;
    return true;
}

bool CAccessExcelOut::WriteTransponderRows(const CTpNode& tp, int32_t& nRow)
{
    auto it = m_progsOfTp.find(tp.GetId());
    if (it == m_progsOfTp.end() || it->second.empty())
        return WriteTransponderRow(nRow++, tp);
    for (const CProgNode* pProg : it->second)
        if (!WriteProgramRow(nRow++, *pProg, tp))
            return false;
    return true;
}

bool CAccessExcelOut::WriteTpColumns(int32_t nRow, const CTpNode& tp)
{
    const TpRecord* pRec = tp.GetRecord();
    m_workbook.SetCellText(nRow, PROGCOL_FRE, FormatNumber(pRec->Get(TpField::Frequency)));
    m_workbook.SetCellText(nRow, PROGCOL_SYMBOLRATE, FormatNumber(pRec->Get(TpField::SymbolRate)));
    m_workbook.SetCellText(nRow, PROGCOL_POLAR, FormatPolar(pRec->Get(TpField::Polar)));
    return true;
}

bool CAccessExcelOut::WriteProgramRow(int32_t nRow, const CProgNode& prog, const CTpNode& tp)
{
    const ProgRecord* pRec = prog.GetRecord();
    if (!m_workbook.SetCellText(nRow, PROGCOL_NAME, m_pNameWriter->Encode(pRec->GetName())))
        return false;
    WriteTpColumns(nRow, tp);
    m_workbook.SetCellText(nRow, PROGCOL_VPID, FormatNumber(pRec->Get(ProgField::VPID)));
    m_workbook.SetCellText(nRow, PROGCOL_APID, FormatNumber(pRec->Get(ProgField::APID)));
    int32_t nColumn = PROGCOL_PCRPID;
    for (const FieldDesc* pField : g_progPlainFields)
        m_workbook.SetCellText(nRow, nColumn++, FormatNumber(pRec->Get(*pField)));
    return true;
}

bool CAccessExcelOut::WriteTransponderRow(int32_t nRow, const CTpNode& tp)
{
    return WriteTpColumns(nRow, tp);
}
