#pragma once

// Contract of the XML Spreadsheet 2003 workbook used by the spreadsheet importer and exporter.
// (Implementation: sheet/XmlWorkbook.cpp, on top of CXmlDoc.)

#include <cstdint>
#include <memory>
#include <string>

class CXmlDoc;

class CXmlWorkbook
{
public:
    CXmlWorkbook();
    ~CXmlWorkbook();
    CXmlWorkbook(const CXmlWorkbook&) = delete;
    CXmlWorkbook& operator=(const CXmlWorkbook&) = delete;

    // Loads a workbook file. False with "Open Excel failed! File = <path>".
    bool OpenWorkbook(const std::string& strPath);
    // Starts a new workbook from the built-in template, to be written to strPath by SaveWorkbook.
    // The file itself is not touched until SaveWorkbook; false with "Create File Failed!" when it
    // could not be created there.
    bool CreateWorkbook(const std::string& strPath);
    // Makes the worksheet of this name current. False with "Open work sheet failed! Sheet=<name>".
    bool OpenSheet(const std::string& strName);
    // Makes the worksheet of this name current, appending it after the last one when missing.
    bool CreateSheet(const std::string& strName);
    // Rows from 1, columns from 0. True when the cell text is not empty.
    bool GetCellText(int32_t nRow, int32_t nColumn, std::string& strText);
    bool SetCellText(int32_t nRow, int32_t nColumn, const std::string& strText);
    bool SetCellLink(int32_t nRow, int32_t nColumn, const std::string& strTarget);
    // With bWrite, writes the document to the remembered path through a temporary file renamed
    // over it; false with a message when that fails (the target then stays as it was).
    bool SaveWorkbook(bool bWrite);
    void CloseWorkbook();

private:
    bool m_bOpened = false;
    std::string m_strPath;
    std::unique_ptr<CXmlDoc> m_pDoc;
};
