#include "app/ChannelPrintLayout.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

constexpr double FONT_POINTS = 9.0;
constexpr double COLUMN_GAP_MM = 5.0;

// Widest texts of the added columns, beside their headings: the largest values their fields hold.
const char* SampleText(const std::string& strHeading)
{
    if (strHeading == "Transponder")
        return "16383/H/65535";
    if (strHeading == "Flags")
        return "Scr Lock Skip Hide Fav 15";
    return "65535";
}

QFont EntryFont()
{
    // A font with Latin, Greek, Cyrillic and Arabic; Qt takes the glyphs it lacks (Chinese, say)
    // from the installed fonts that have them.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(FONT_POINTS);
    return font;
}

QFont FixedFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // One point smaller than the entries: its wider characters then look the same size.
    font.setPointSizeF(FONT_POINTS - 1);
    return font;
}

const QChar FIGURE_SPACE(0x2007);
const QString NUMBER_GAP = QStringLiteral("  ");

} // namespace

CChannelPrintLayout::CChannelPrintLayout(CChannelTable table, const QString& strTitle, const QDate& date,
                                         int nEntryColumns)
    : m_table(std::move(table)), m_strTitle(strTitle), m_date(date), m_nEntryColumns(nEntryColumns),
      m_font(EntryFont()), m_boldFont(m_font), m_groupFont(m_font), m_fixedFont(FixedFont()),
      m_metrics(m_font)
{
    m_boldFont.setBold(true);
    m_groupFont.setBold(true);
    m_groupFont.setPointSizeF(FONT_POINTS - 1);
}

int CChannelPrintLayout::Paginate(const QPaintDevice& device)
{
    const double dMm = device.logicalDpiX() / 25.4;
    m_metrics = QFontMetricsF(m_font, &device);
    const QFontMetricsF bold(m_boldFont, &device);
    const QFontMetricsF fixed(m_fixedFont, &device);
    m_dWidth = device.width();
    m_dHeight = device.height();
    m_dLine = std::ceil(m_metrics.lineSpacing() * 1.15);
    m_dAscent = m_metrics.ascent() + (m_dLine - m_metrics.lineSpacing()) / 2;
    m_dHeadingLine = bold.lineSpacing();
    m_dWidestAscii = 0;
    for (char c = ' '; c < 0x7F; ++c)
        m_dWidestAscii = std::max(m_dWidestAscii, m_metrics.horizontalAdvance(QLatin1Char(c)));

    const bool bTable = m_table.GetColumns().Any();
    m_dBodyTop = m_dHeadingLine * 1.8 + (bTable ? m_dLine : 0);
    const double dFoot = m_dHeadingLine * 1.6;
    m_nLinesPerColumn = std::max(1, static_cast<int>((m_dHeight - m_dBodyTop - dFoot) / m_dLine));
    m_nColumnsPerPage = bTable ? 1 : std::clamp(m_nEntryColumns, 1, 4);
    m_dColumnGap = COLUMN_GAP_MM * dMm;
    m_dColumnWidth = std::max(1.0, (m_dWidth - (m_nColumnsPerPage - 1) * m_dColumnGap) / m_nColumnsPerPage);

    // The number: as wide as the largest one (and its heading), right-aligned; padded with figure
    // spaces when they are as wide as the digits, so that number and name are one text to draw.
    int32_t nLargest = 1;
    for (const SChannelGroup& group : m_table.GetGroups())
        for (const SChannelRow& row : group.rows)
            nLargest = std::max(nLargest, row.nNumber);
    const double dDigit = m_metrics.horizontalAdvance(QLatin1Char('0'));
    m_bFigureSpaces = m_metrics.inFont(FIGURE_SPACE) && m_metrics.horizontalAdvance(FIGURE_SPACE) == dDigit &&
                      m_metrics.horizontalAdvance(QStringLiteral("0123456789")) == 10 * dDigit;
    const double dNoHeading = bTable ? bold.horizontalAdvance(QStringLiteral("No.")) : 0.0;
    const int nDigits = std::max(static_cast<int>(QString::number(nLargest).size()),
                                 static_cast<int>(std::ceil(dNoHeading / dDigit)));
    const double dNumber = nDigits * dDigit;
    const double dGap = m_metrics.horizontalAdvance(NUMBER_GAP);
    m_cells.clear();
    m_cells.push_back({0, dNumber, true, nDigits});

    // The added columns: as wide as their heading and their widest value; in the fixed-pitch font
    // (when there is one) a whole number of its characters, so that spaces line them up.
    const double dChar = fixed.horizontalAdvance(QLatin1Char('0'));
    m_bFixedAdded = QFontInfo(m_fixedFont).fixedPitch() && dChar > 0;
    std::vector<SCell> added;
    double dAdded = 0;
    for (const std::string& strHeading : m_table.GetHeadings()) {
        const QString strSample = QString::fromLatin1(SampleText(strHeading));
        SCell cell{0, 0, strHeading != "Transponder" && strHeading != "Flags", 0};
        if (m_bFixedAdded) {
            // The heading in the bold fixed-pitch font, on the same grid.
            cell.nChars =
                static_cast<int>(std::max(strSample.size(), static_cast<qsizetype>(strHeading.size())));
            cell.dWidth = cell.nChars * dChar;
        } else {
            cell.dWidth = std::max(bold.horizontalAdvance(QString::fromStdString(strHeading)),
                                   m_metrics.horizontalAdvance(strSample));
        }
        const double dCellGap = m_bFixedAdded ? 2 * dChar : dGap;
        dAdded += cell.dWidth + dCellGap;
        added.push_back(cell);
    }
    // The name gets room for about 22 characters (a name has at most 21 bytes), or what is left
    // down to half of that; then the last added column is cut to what remains.
    const double dAverage = m_metrics.averageCharWidth();
    const double dRest = m_dColumnWidth - dNumber - dGap - dAdded;
    const double dName = bTable ? std::max(std::min(dAverage * 22, dRest), dAverage * 11)
                                : std::max(1.0, m_dColumnWidth - dNumber - dGap);
    if (bTable && dName > dRest && !added.empty()) {
        SCell& last = added.back();
        const double dCut = std::min(dName - dRest, last.dWidth - (m_bFixedAdded ? dChar : 1.0));
        last.dWidth -= dCut;
        if (m_bFixedAdded) {
            last.nChars = std::max(1, static_cast<int>(last.dWidth / dChar));
            last.dWidth = last.nChars * dChar;
        }
    }
    double dLeft = dNumber + dGap;
    m_cells.push_back({dLeft, dName, false, 0});
    dLeft += dName + dGap;
    for (SCell& cell : added) {
        cell.dLeft = dLeft;
        m_cells.push_back(cell);
        dLeft += cell.dWidth + (m_bFixedAdded ? 2 * dChar : dGap);
    }
    Flow();
    return m_nPages;
}

void CChannelPrintLayout::Flow()
{
    m_lines.clear();
    m_columnStarts.assign(1, 0);
    // Headings are kept with a first row and repeated only where a column has room for more.
    const bool bHeadings = m_table.IsGrouped();
    const bool bKeepTogether = bHeadings && m_nLinesPerColumn >= 3;
    int nUsed = 0;
    auto place = [&](const SLine& line) {
        if (nUsed == m_nLinesPerColumn ||
            (bKeepTogether && line.nKind == SLine::HEADING && nUsed == m_nLinesPerColumn - 1)) {
            m_columnStarts.push_back(m_lines.size());
            nUsed = 0;
        }
        if (bKeepTogether && line.nKind == SLine::ROW && nUsed == 0 && !m_lines.empty()) {
            m_lines.push_back({SLine::CONTINUED, line.nGroup, 0});
            ++nUsed;
        }
        m_lines.push_back(line);
        ++nUsed;
    };
    const std::vector<SChannelGroup>& groups = m_table.GetGroups();
    for (size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].rows.empty())
            continue;
        if (bHeadings)
            place({SLine::HEADING, static_cast<int32_t>(g), 0});
        for (size_t r = 0; r < groups[g].rows.size(); ++r)
            place({SLine::ROW, static_cast<int32_t>(g), static_cast<int32_t>(r)});
    }
    m_columnStarts.push_back(m_lines.size());
    const int nColumns = static_cast<int>(m_columnStarts.size()) - 1;
    m_nPages = std::max(1, (nColumns + m_nColumnsPerPage - 1) / m_nColumnsPerPage);
}

const SChannelRow& CChannelPrintLayout::RowOf(const SLine& line) const
{
    return m_table.GetGroups()[static_cast<size_t>(line.nGroup)].rows[static_cast<size_t>(line.nRow)];
}

QString CChannelPrintLayout::HeadingText(const SLine& line, const QFontMetricsF& metrics) const
{
    const SChannelGroup& group = m_table.GetGroups()[static_cast<size_t>(line.nGroup)];
    if (group.nTpIndex < 0 && group.nSatIndex < 0)
        return QStringLiteral("(no transponder)");
    const QString strSatellite = group.nSatIndex < 0          ? QStringLiteral("(no satellite)")
                                 : group.strSatellite.empty() ? QStringLiteral("(no name)")
                                                              : QString::fromStdString(group.strSatellite);
    const QString strTail = QStringLiteral(" \u00B7 ") + QString::fromStdString(group.strTransponder);
    QString strMark = line.nKind == SLine::CONTINUED ? QStringLiteral(" (cont.)") : QString();
    if (metrics.horizontalAdvance(strSatellite + strTail + strMark) <= m_dColumnWidth)
        return strSatellite + strTail + strMark;
    // In a narrow column the transponder stays whole: the mark gives way first, then the satellite's
    // name is shortened.
    if (metrics.horizontalAdvance(strSatellite + strTail) <= m_dColumnWidth)
        return strSatellite + strTail;
    const double dRoom = m_dColumnWidth - metrics.horizontalAdvance(strTail);
    return metrics.elidedText(metrics.elidedText(strSatellite, Qt::ElideRight, std::max(0.0, dRoom)) +
                                  strTail,
                              Qt::ElideRight, m_dColumnWidth);
}

bool CChannelPrintLayout::Fits(const QString& strText, double dWidth) const
{
    bool bAscii = true;
    for (QChar c : strText)
        bAscii = bAscii && c.unicode() < 0x7F;
    if (bAscii && strText.size() * m_dWidestAscii <= dWidth)
        return true;
    return m_metrics.horizontalAdvance(strText) <= dWidth;
}

QString CChannelPrintLayout::Elided(const QString& strText, double dWidth) const
{
    return Fits(strText, dWidth) ? strText : m_metrics.elidedText(strText, Qt::ElideRight, dWidth);
}

void CChannelPrintLayout::PaintNumberAndName(QPainter& painter, const SChannelRow& row, double dLeft,
                                             double dBase) const
{
    const SCell& number = m_cells[0];
    const SCell& name = m_cells[1];
    const QString strNumber = QString::number(row.nNumber);
    const QString strName = QString::fromStdString(row.strName);
    if (m_bFigureSpaces) {
        const QString strPadding(std::max(0, number.nChars - static_cast<int>(strNumber.size())),
                                 FIGURE_SPACE);
        painter.drawText(QPointF(dLeft, dBase),
                         strPadding + strNumber + NUMBER_GAP + Elided(strName, name.dWidth));
        return;
    }
    painter.drawText(QPointF(dLeft + number.dWidth - m_metrics.horizontalAdvance(strNumber), dBase),
                     strNumber);
    if (!strName.isEmpty())
        painter.drawText(QPointF(dLeft + name.dLeft, dBase), Elided(strName, name.dWidth));
}

void CChannelPrintLayout::PaintAdded(QPainter& painter, const SChannelRow& row, double dLeft,
                                     double dBase) const
{
    if (m_bFixedAdded) {
        QString strText;
        for (size_t i = 0; i < row.cells.size() && i + 2 < m_cells.size(); ++i) {
            const SCell& cell = m_cells[i + 2];
            const QString strCell = QString::fromStdString(row.cells[i]).left(cell.nChars);
            if (i > 0)
                strText += NUMBER_GAP;
            strText += cell.bRight ? strCell.rightJustified(cell.nChars) : strCell.leftJustified(cell.nChars);
        }
        while (strText.endsWith(QLatin1Char(' ')))
            strText.chop(1);
        if (!strText.isEmpty())
            painter.drawText(QPointF(dLeft + m_cells[2].dLeft, dBase), strText);
        return;
    }
    for (size_t i = 0; i < row.cells.size() && i + 2 < m_cells.size(); ++i) {
        const SCell& cell = m_cells[i + 2];
        const QString strShown = Elided(QString::fromStdString(row.cells[i]), cell.dWidth);
        const double dX =
            cell.bRight ? cell.dLeft + cell.dWidth - m_metrics.horizontalAdvance(strShown) : cell.dLeft;
        painter.drawText(QPointF(dLeft + dX, dBase), strShown);
    }
}

void CChannelPrintLayout::PaintPage(QPainter& painter, int nPage) const
{
    const double dMm = painter.device()->logicalDpiX() / 25.4;
    const QFontMetricsF bold(m_boldFont, painter.device());
    const QFontMetricsF group(m_groupFont, painter.device());
    painter.setPen(QPen(Qt::black, 0.2 * dMm));
    // Each text is laid out from the left: a name in a right-to-left script must not turn the number
    // before it to its right.
    painter.setLayoutDirection(Qt::LeftToRight);

    // The heading: the file name at the left, the date at the right, a rule under them.
    painter.setFont(m_boldFont);
    const QString strDate = m_date.toString(Qt::ISODate);
    const double dDate = bold.horizontalAdvance(strDate);
    painter.drawText(QPointF(m_dWidth - dDate, bold.ascent()), strDate);
    painter.drawText(QPointF(0, bold.ascent()),
                     bold.elidedText(m_strTitle, Qt::ElideMiddle, std::max(1.0, m_dWidth - dDate - 4 * dMm)));
    const double dRule = m_dHeadingLine * 1.3;
    painter.drawLine(QPointF(0, dRule), QPointF(m_dWidth, dRule));

    // The column headings of the table layout.
    if (m_table.GetColumns().Any()) {
        const double dBase = m_dBodyTop - m_dLine + m_dAscent;
        std::vector<QString> headings = {QStringLiteral("No."), QStringLiteral("Name")};
        for (const std::string& strHeading : m_table.GetHeadings())
            headings.push_back(QString::fromStdString(strHeading));
        QFont fixedBold = m_fixedFont;
        fixedBold.setBold(true);
        const QFontMetricsF fixed(fixedBold, painter.device());
        for (size_t i = 0; i < headings.size() && i < m_cells.size(); ++i) {
            const SCell& cell = m_cells[i];
            const bool bFixed = i >= 2 && m_bFixedAdded;
            const QFontMetricsF& metrics = bFixed ? fixed : bold;
            if (i == 2 && bFixed)
                painter.setFont(fixedBold);
            const QString strShown = metrics.elidedText(headings[i], Qt::ElideRight, cell.dWidth);
            const double dWidth = metrics.horizontalAdvance(strShown);
            painter.drawText(QPointF(cell.dLeft + (cell.bRight ? cell.dWidth - dWidth : 0), dBase), strShown);
        }
    }

    // The lines, column by column: numbers, names and headings first, then the added columns, so
    // that the font changes twice per column rather than twice per line.
    const size_t nColumns = m_columnStarts.size() - 1;
    const size_t nFirst = static_cast<size_t>(nPage) * static_cast<size_t>(m_nColumnsPerPage);
    for (size_t c = nFirst; c < nColumns && c < nFirst + static_cast<size_t>(m_nColumnsPerPage); ++c) {
        const double dLeft = static_cast<double>(c - nFirst) * (m_dColumnWidth + m_dColumnGap);
        painter.setFont(m_font);
        double dTop = m_dBodyTop;
        for (size_t i = m_columnStarts[c]; i < m_columnStarts[c + 1]; ++i, dTop += m_dLine) {
            const SLine& line = m_lines[i];
            if (line.nKind == SLine::ROW) {
                PaintNumberAndName(painter, RowOf(line), dLeft, dTop + m_dAscent);
                continue;
            }
            painter.setFont(m_groupFont);
            painter.drawText(QPointF(dLeft, dTop + m_dAscent), HeadingText(line, group));
            painter.setFont(m_font);
        }
        if (m_cells.size() <= 2)
            continue;
        if (m_bFixedAdded)
            painter.setFont(m_fixedFont);
        dTop = m_dBodyTop;
        for (size_t i = m_columnStarts[c]; i < m_columnStarts[c + 1]; ++i, dTop += m_dLine)
            if (m_lines[i].nKind == SLine::ROW)
                PaintAdded(painter, RowOf(m_lines[i]), dLeft, dTop + m_dAscent);
    }
    painter.setFont(m_font);
    if (m_lines.empty())
        painter.drawText(QPointF(0, m_dBodyTop + m_dAscent), QStringLiteral("No programs."));

    // The foot: the page number, centred.
    const QString strPage = QStringLiteral("Page %1 of %2").arg(nPage + 1).arg(m_nPages);
    painter.drawText(
        QPointF((m_dWidth - m_metrics.horizontalAdvance(strPage)) / 2, m_dHeight - m_metrics.descent()),
        strPage);
}

bool CChannelPrintLayout::Print(QPagedPaintDevice& device, const std::function<bool(int, int)>& fnProgress,
                                int nPaintedPages)
{
    Paginate(device);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int nPage = 0; nPage < m_nPages; ++nPage) {
        if (nPage > 0)
            device.newPage();
        if (nPage < nPaintedPages)
            PaintPage(painter, nPage);
        if (fnProgress && !fnProgress(nPage + 1, m_nPages)) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}
