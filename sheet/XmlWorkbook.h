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
    // Cell access on the current worksheet; rows from 1, columns from 0; texts in the ANSI code
    // page. Without a current worksheet each fails with "Error: Not yet opened the WorkSheet!";
    // other false results (no such row or cell, no Table) set no message.
    // GetCellText: true when the cell text is not empty; strText receives it.
    bool GetCellText(int32_t nRow, int32_t nColumn, std::string& strText);
    // Creates the missing rows and cells and raises the table's counts; writing a cell again
    // replaces its text.
    bool SetCellText(int32_t nRow, int32_t nColumn, const std::string& strText);
    // Gives an existing cell the hyperlink target (and the hyperlink style "s21").
    bool SetCellLink(int32_t nRow, int32_t nColumn, const std::string& strTarget);
    // With bWrite, writes the document to the remembered path through a temporary file renamed
    // over it; false with a message when that fails (the target then stays as it was).
    bool SaveWorkbook(bool bWrite);
    void CloseWorkbook();

private:
    // Where the last cell lookups ended, so that walking a sheet row by row and cell by cell does
    // not start from the first row each time. New rows only fill row numbers that are missing and
    // new cells only follow the last cell of their row, so a remembered row keeps its number and a
    // remembered cell its column.
    struct SRowCursor
    {
        int32_t nTable = 0; // element handles; 0 when nothing is remembered
        int32_t nRow = 0;
        int32_t nNumber = 0; // row number of nRow
    };
    struct SCellCursor
    {
        int32_t nRow = 0;
        int32_t nCell = 0;
        int32_t nColumn = 0; // column of nCell
        int32_t nNext = 0;   // column the cell after nCell takes unless it has ss:Index
    };
    struct STableInfo
    {
        int32_t nRows = 0;
        int32_t nColumns = 0;
        bool bRowBound = false; // false: the table gives no row count
        bool bColumnBound = false;
    };

    // The counts of the table read last, valid while the document has not been edited since (or
    // was edited only by SetCellText, which keeps them up to date).
    struct STableCache
    {
        int32_t nTable = 0;
        uint64_t nEdits = 0;
        STableInfo info;
    };

    bool IsSheetCurrent() const;
    bool EnterTable(STableInfo& info);
    bool FindRow(int32_t nRow, bool bAppend);
    bool EnterExistingCell(int32_t nRow, int32_t nColumn);
    bool FindCell(int32_t nColumn, int64_t nColumns, bool bAppend);
    void ForgetCursors();

    bool m_bOpened = false;
    std::string m_strPath;
    std::unique_ptr<CXmlDoc> m_pDoc;
    SRowCursor m_row;
    SCellCursor m_cell;
    STableCache m_table;
};

// The text of a new workbook (XmlWorkbookTemplate.cpp).
extern const char* const g_pszWorkbookTemplate;
