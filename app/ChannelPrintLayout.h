#pragma once

#include "db/ChannelTable.h"

#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <climits>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// The pages of a printed channel list. Every page has a heading with the file name and the date, a
// rule, and "Page 3 of 12" at its foot. The entries, each a program's number (its place in the
// program list) and name, run down 1 to 4 columns per page; with added columns (transponder,
// ServiceId, PIDs, flags) one column fills the page's width under a row of column headings. A
// grouped table puts a heading line before the programs of each transponder ("A3S · 11747/H/27500")
// and repeats it, marked "(cont.)" where there is room, at the top of every column the group runs
// on into.
//
// Names are drawn in one sans-serif font; characters it lacks (Chinese, Arabic, ...) are taken from
// the fonts installed that have them, so on paper every name appears as the list shows it. A name
// wider than its column is shortened with an ellipsis.
class CChannelPrintLayout
{
public:
    // nEntryColumns: columns of entries per page (1 to 4, taken as 1 when the table has added columns).
    CChannelPrintLayout(CChannelTable table, const QString& strTitle, const QDate& date, int nEntryColumns);

    // Lays the entries out on pages of device: its paint area (device.width() by device.height(),
    // the painter's origin at its top left) at its resolution. Returns the number of pages, at least
    // 1 (an empty table prints a page saying "No programs."). Must be called again for another device.
    int Paginate(const QPaintDevice& device);
    int GetPageCount() const { return m_nPages; }

    // Paints page nPage (from 0) of the last Paginate with painter, which is active on that device or
    // one of the same size and resolution. Changes the painter's font and pen.
    void PaintPage(QPainter& painter, int nPage) const;

    // Paginates for device and paints every page into it, starting each page after the first with
    // device.newPage(). fnProgress, when given, is called after each page with the pages done and the
    // page count; returning false stops (the rest is not painted). Pages from nPaintedPages on are
    // begun but left blank (a preview showing its first pages at once). False when stopped, or when
    // no painter could be opened on the device.
    bool Print(QPagedPaintDevice& device, const std::function<bool(int nDone, int nCount)>& fnProgress = {},
               int nPaintedPages = INT_MAX);

    const CChannelTable& GetTable() const { return m_table; }
    const QString& GetTitle() const { return m_strTitle; }
    const QDate& GetDate() const { return m_date; }
    // The font the entries are drawn in (9 points); headings use it bold.
    const QFont& GetFont() const { return m_font; }

private:
    // A line of a column: an entry, or a group's heading.
    struct SLine
    {
        enum Kind : uint8_t
        {
            ROW,
            HEADING,
            CONTINUED, // the heading again, at the top of a column the group runs on into
        };
        Kind nKind;
        int32_t nGroup;
        int32_t nRow; // ROW only
    };
    // The cells of a line of entries: the number, the name, then the added columns.
    struct SCell
    {
        double dLeft;
        double dWidth;
        bool bRight; // numbers are right-aligned
        int nChars;  // added columns drawn as one text in the fixed-pitch font: the characters of the cell
    };

    void Flow();
    // The heading line of a group, fitted to a column in the font of metrics.
    QString HeadingText(const SLine& line, const QFontMetricsF& metrics) const;
    const SChannelRow& RowOf(const SLine& line) const;
    // Whether strText fits nWidth, measured only where the widest ASCII character does not settle it.
    bool Fits(const QString& strText, double dWidth) const;
    QString Elided(const QString& strText, double dWidth) const;
    // The number and the name of a row, drawn as one text where figure spaces can pad the number.
    void PaintNumberAndName(QPainter& painter, const SChannelRow& row, double dLeft, double dBase) const;
    // The added columns of a row: one text in the fixed-pitch font (painter's font), or cell by cell.
    void PaintAdded(QPainter& painter, const SChannelRow& row, double dLeft, double dBase) const;

    CChannelTable m_table;
    QString m_strTitle;
    QDate m_date;
    int m_nEntryColumns;
    QFont m_font;
    QFont m_boldFont;        // the page heading and the column headings
    QFont m_groupFont;       // the headings of the groups
    QFont m_fixedFont;       // the added columns, when it is of fixed pitch
    QFontMetricsF m_metrics; // of m_font on the device of the last Paginate

    // From Paginate: sizes in device pixels.
    double m_dWidth = 0;
    double m_dHeight = 0;
    double m_dLine = 0;        // the height of a line of entries
    double m_dAscent = 0;      // of the entries' font
    double m_dHeadingLine = 0; // of the page heading and the foot
    double m_dBodyTop = 0;     // where the first line of entries starts
    double m_dColumnWidth = 0;
    double m_dColumnGap = 0;
    int m_nLinesPerColumn = 1;
    double m_dWidestAscii = 0;    // the widest printable ASCII character of m_font
    bool m_bFigureSpaces = false; // digits and U+2007 are equally wide: numbers padded, drawn with names
    bool m_bFixedAdded = false;   // the added columns are drawn as one text in m_fixedFont
    std::vector<SCell> m_cells;
    std::vector<SLine> m_lines; // every column's lines, one column after another
    // Where each column's lines start in m_lines, and one more for the end; page p holds the columns
    // from p times the columns per page.
    std::vector<size_t> m_columnStarts;
    int m_nColumnsPerPage = 1;
    int m_nPages = 1;
};
