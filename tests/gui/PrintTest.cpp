// Printing: the pages of the print layout as painted (recorded text by text, page by page), the PDF
// export read back with pdftotext, the print preview, and the print options dialog.

#include "GuiTestMain.h"
#include "TestDb.h"

#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "app/ChannelPrint.h"
#include "app/PrintOptionsDlg.h"
#include "platform/CodePage.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <map>
#include <vector>

namespace {

// A paint device that keeps the text items painted on it with their positions, and nothing else.
class CTextEngine : public QPaintEngine
{
public:
    struct SItem
    {
        QPointF pos;
        QString strText;
    };

    CTextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // The defaults of the other primitives call each other; shapes are of no interest here.
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF& pos, const QTextItem& item) override
    {
        items.push_back({pos, item.text()});
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<SItem> items;
};

// The paint area of an A4 page with margins of 12 mm, at 300 dpi.
class CTextDevice : public QPaintDevice
{
public:
    static constexpr int DPI = 300;
    static constexpr int WIDTH = 186 * DPI * 10 / 254;
    static constexpr int HEIGHT = 273 * DPI * 10 / 254;

    QPaintEngine* paintEngine() const override { return &m_engine; }
    std::vector<CTextEngine::SItem>& Items() { return m_engine.items; }

protected:
    int metric(PaintDeviceMetric nMetric) const override
    {
        switch (nMetric) {
        case PdmWidth:
            return WIDTH;
        case PdmHeight:
            return HEIGHT;
        case PdmWidthMM:
            return 186;
        case PdmHeightMM:
            return 273;
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return DPI;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable CTextEngine m_engine;
};

// A page as read back: its top and bottom lines, and the lines of entries in reading order (column
// after column). The texts of one line of one column are joined in the order of their positions,
// without white space (which leaves names comparable whatever items they were drawn in).
struct SLineRead
{
    QString strText;
    QString strFirst; // the leftmost text
    bool bColumnTop;
};

struct SPage
{
    QString strTop;
    QString strBottom;
    std::vector<SLineRead> lines;
};

QString Squeezed(QString s)
{
    s.remove(QChar(0x2007));
    s.remove(QLatin1Char(' '));
    s.remove(QLatin1Char('\n'));
    return s;
}

// The characters of a text in order of their codes: a name in a right-to-left script is drawn in
// the order of the screen, not of the text.
QString Sorted(QString s)
{
    std::sort(s.begin(), s.end());
    return s;
}

SPage ReadPage(const CChannelPrintLayout& layout, int nPage, int nColumns)
{
    CTextDevice device;
    {
        QPainter painter(&device);
        layout.PaintPage(painter, nPage);
    }
    // y -> column -> x -> text
    std::map<double, std::map<int, std::map<double, QString>>> byLine;
    for (const CTextEngine::SItem& item : device.Items()) {
        const int nColumn =
            std::min(nColumns - 1, static_cast<int>(item.pos.x() * nColumns / CTextDevice::WIDTH));
        byLine[item.pos.y()][nColumn][item.pos.x()] += item.strText;
    }
    SPage page;
    if (byLine.empty())
        return page;
    for (const auto& column : byLine.begin()->second)
        for (const auto& text : column.second)
            page.strTop += text.second + QLatin1Char(' ');
    for (const auto& column : byLine.rbegin()->second)
        for (const auto& text : column.second)
            page.strBottom += text.second;
    byLine.erase(byLine.begin());
    byLine.erase(std::prev(byLine.end()));
    for (int nColumn = 0; nColumn < nColumns; ++nColumn) {
        bool bFirst = true;
        for (const auto& line : byLine) {
            auto it = line.second.find(nColumn);
            if (it == line.second.end())
                continue;
            QString strLine;
            for (const auto& text : it->second)
                strLine += text.second;
            page.lines.push_back({Squeezed(strLine), Squeezed(it->second.begin()->second), bFirst});
            bFirst = false;
        }
    }
    return page;
}

// The heading line of a group as the layout words it.
QString Heading(const SChannelGroup& group)
{
    if (group.nSatIndex < 0 && group.nTpIndex < 0)
        return QStringLiteral("(no transponder)");
    return (group.nSatIndex < 0 ? QStringLiteral("(no satellite)")
                                : QString::fromStdString(group.strSatellite)) +
           QStringLiteral(" \u00B7 ") + QString::fromStdString(group.strTransponder);
}

QString RowText(const SChannelRow& row)
{
    QString s = QString::number(row.nNumber) + QString::fromStdString(row.strName);
    for (const std::string& strCell : row.cells)
        s += QString::fromStdString(strCell);
    return Squeezed(s);
}

// Names in Chinese, Arabic, Cyrillic and Latin script, stored in UTF-8.
const char* const NAMES[] = {"\xE9\xA2\x91\xE9\x81\x93 %1", "\xD9\x82\xD9\x86\xD8\xA7\xD8\xA9 %1",
                             "\xD0\x9A\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB %1", "Prog %1"};

// Three satellites with three transponders each and nPrograms programs spread over them, one
// program of no transponder; names in four scripts.
void FillScripts(CProgDb& db, int nPrograms)
{
    AddSat(db, "A3S");
    AddSat(db, "\xE4\xB8\xAD\xE6\x98\x9F"
               "6B");
    AddSat(db, "\xD0\x92\xD0\xBE\xD1\x81\xD1\x82\xD0\xBE\xD0\xBA");
    for (int t = 0; t < 9; ++t)
        AddTp(db, t % 3, 10700 + 10 * static_cast<uint32_t>(t), 27500, static_cast<uint32_t>(t % 2));
    for (int p = 0; p < nPrograms; ++p)
        AddProg(db, p == 7 ? 42 : (p * 7) % 9, QString::fromUtf8(NAMES[p % 4]).arg(p).toStdString());
}

bool HaveTool(const char* pszName)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(pszName)).isEmpty();
}

QString RunTool(const QString& strTool, const QStringList& args)
{
    QProcess process;
    process.start(strTool, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(strTool);
    return QString::fromUtf8(process.readAllStandardOutput());
}

SChannelColumns Columns(bool bTp, bool bSid, bool bPids, bool bFlags)
{
    SChannelColumns columns;
    columns.bTransponder = bTp;
    columns.bServiceId = bSid;
    columns.bPids = bPids;
    columns.bFlags = bFlags;
    return columns;
}

} // namespace

Q_DECLARE_METATYPE(SChannelColumns)

class CPrintTest : public QObject
{
    Q_OBJECT

private slots:
    void PagesHoldEveryEntryOnceInOrder_data()
    {
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<SChannelColumns>("columns");
        QTest::addColumn<int>("entryColumns");
        QTest::addColumn<int>("columnsPerPage");

        for (int n = 1; n <= 4; ++n)
            QTest::addRow("whole database, %d columns", n) << true << SChannelColumns() << n << n;
        QTest::newRow("whole database, every column") << true << Columns(true, true, true, true) << 3 << 1;
        QTest::newRow("as listed, 2 columns") << false << SChannelColumns() << 2 << 2;
        QTest::newRow("as listed, transponder and flags")
            << false << Columns(true, false, false, true) << 4 << 1;
    }

    // Every program once, in its group and its place (the listed ones in the order given), every page
    // with the file name, the date and its number, a group that runs on into a column repeated at
    // its top, the entries spread over the columns asked for.
    void PagesHoldEveryEntryOnceInOrder()
    {
        QFETCH(bool, grouped);
        QFETCH(SChannelColumns, columns);
        QFETCH(int, entryColumns);
        QFETCH(int, columnsPerPage);

        CProgDb db;
        FillScripts(db, 600);
        SPrintSource source;
        source.pDb = &db;
        source.strTitle = QStringLiteral("channels.db");
        source.nCodePage = CodePage::CP_UTF8;
        source.date = QDate(2026, 3, 7);
        for (int32_t i = 599; i >= 0; i -= 3)
            source.listedPlaces.push_back(i);
        SPrintOptions options;
        options.nWhat = grouped ? SPrintOptions::WHAT_DATABASE : SPrintOptions::WHAT_LISTED;
        options.columns = columns;
        options.nEntryColumns = entryColumns;
        QCOMPARE(options.EntryColumnsPerPage(), columnsPerPage);

        CChannelPrintLayout layout = MakePrintLayout(source, options);
        CTextDevice device;
        const int nPages = layout.Paginate(device);
        QCOMPARE(nPages, layout.GetPageCount());
        QVERIFY(nPages > 1);

        struct SEntry
        {
            bool bHeading;
            QString strText;
            int32_t nNumber;
        };
        std::vector<SEntry> expected;
        for (const SChannelGroup& group : layout.GetTable().GetGroups()) {
            if (grouped && !group.rows.empty())
                expected.push_back({true, Squeezed(Heading(group)), 0});
            for (const SChannelRow& row : group.rows)
                expected.push_back({false, RowText(row), row.nNumber});
        }
        QCOMPARE(expected.size(), size_t(grouped ? 600 + 10 : 200));

        QString strColumnHeadings = QStringLiteral("No.Name");
        for (const std::string& strHeading : layout.GetTable().GetHeadings())
            strColumnHeadings += QString::fromStdString(strHeading);
        size_t k = 0;
        QString strLastHeading;
        for (int p = 0; p < nPages; ++p) {
            SPage page = ReadPage(layout, p, columnsPerPage);
            QVERIFY2(page.strTop.contains(QStringLiteral("channels.db")) &&
                         page.strTop.contains(QStringLiteral("2026-03-07")),
                     qPrintable(page.strTop));
            QCOMPARE(page.strBottom, QStringLiteral("Page %1 of %2").arg(p + 1).arg(nPages));
            if (columns.Any()) {
                QVERIFY(!page.lines.empty());
                QCOMPARE(page.lines.front().strText, strColumnHeadings);
                page.lines.erase(page.lines.begin());
                page.lines.front().bColumnTop = true;
            }
            int nColumnTops = 0;
            for (const SLineRead& line : page.lines) {
                nColumnTops += line.bColumnTop;
                // A group that runs on into a column has its heading repeated at the top.
                if (line.bColumnTop && grouped && k > 0 && k < expected.size() && !expected[k].bHeading &&
                    (line.strText == strLastHeading ||
                     line.strText == strLastHeading + QStringLiteral("(cont.)")))
                    continue;
                QVERIFY2(k < expected.size(), qPrintable(line.strText));
                const SEntry& entry = expected[k++];
                if (entry.bHeading) {
                    QCOMPARE(line.strText, entry.strText);
                    strLastHeading = entry.strText;
                    continue;
                }
                QCOMPARE(Sorted(line.strText), Sorted(entry.strText));
                // The number comes first, whatever the script of the name.
                QVERIFY2(line.strFirst.contains(
                             QRegularExpression(QStringLiteral("^%1(\\D|$)").arg(entry.nNumber))),
                         qPrintable(line.strFirst));
            }
            // Every page but the last fills all its columns.
            if (p + 1 < nPages)
                QCOMPARE(nColumnTops, columnsPerPage);
            else
                QVERIFY(nColumnTops >= 1 && nColumnTops <= columnsPerPage);
        }
        QCOMPARE(k, expected.size());
    }

    // More columns of entries per page, fewer pages; the font the names are drawn in has every
    // character of them (Chinese from a fallback font).
    void ColumnsShareThePagesAndTheFontHasEveryName()
    {
        CProgDb db;
        FillScripts(db, 2000);
        SPrintSource source;
        source.pDb = &db;
        source.nCodePage = CodePage::CP_UTF8;
        std::vector<int> pages;
        CTextDevice device;
        for (int n = 1; n <= 4; ++n) {
            SPrintOptions options;
            options.nEntryColumns = n;
            CChannelPrintLayout layout = MakePrintLayout(source, options);
            pages.push_back(layout.Paginate(device));
            if (n > 1)
                QVERIFY2(pages[size_t(n - 1)] * n <= pages[0] + n + 1,
                         qPrintable(QString::number(pages[size_t(n - 1)])));
        }
        QVERIFY(pages[0] > pages[1] && pages[1] > pages[2] && pages[2] > pages[3]);

        CChannelPrintLayout layout = MakePrintLayout(source, SPrintOptions());
        const QFontMetricsF metrics(layout.GetFont(), &device);
        for (const SChannelGroup& group : layout.GetTable().GetGroups())
            for (const QString& strText :
                 {QString::fromStdString(group.strSatellite),
                  QString::fromStdString(group.rows.empty() ? std::string() : group.rows[0].strName)})
                for (uint c : strText.toUcs4())
                    QVERIFY2(metrics.inFontUcs4(c),
                             qPrintable(
                                 QStringLiteral("U+%1 in %2").arg(c, 4, 16, QLatin1Char('0')).arg(strText)));
    }

    // The PDF holds every name of the sample and of names in four scripts, one page per layout page;
    // a cancelled or failed export leaves the file as it was and nothing beside it.
    void PdfHoldsEveryNameAndCancelLeavesTheFile()
    {
        if (!HaveTool("pdftotext") || !HaveTool("pdfinfo"))
            QSKIP("pdftotext and pdfinfo (poppler-utils; scripts/test.sh installs them) are not installed");
        QTemporaryDir dir;
        CProgDb sample;
        CAccessDummyIn().LoadDb("", &sample);
        CProgDb scripts;
        FillScripts(scripts, 300);
        for (CProgDb* pDb : {&sample, &scripts}) {
            SPrintSource source;
            source.pDb = pDb;
            source.strTitle = QStringLiteral("sample");
            source.nCodePage = pDb == &sample ? 936 : CodePage::CP_UTF8;
            CChannelPrintLayout layout = MakePrintLayout(source, SPrintOptions());
            const QString strPath = dir.filePath(QStringLiteral("list.pdf"));
            QCOMPARE(WritePdf(layout, strPath.toStdString()), PdfResult::Written);
            // Arabic comes out as the presentation forms of its shaped letters, between direction
            // marks: compatibility-normalised and without the marks it is the name's text again.
            QString strText = RunTool(QStringLiteral("pdftotext"), {strPath, QStringLiteral("-")})
                                  .normalized(QString::NormalizationForm_KC);
            strText.remove(QRegularExpression(QStringLiteral("[\\x{200E}\\x{200F}\\x{202A}-\\x{202E}]")));
            const QString strInfo = RunTool(QStringLiteral("pdfinfo"), {strPath});
            QVERIFY2(strInfo.contains(
                         QRegularExpression(QStringLiteral("Pages: +%1\n").arg(layout.GetPageCount()))),
                     qPrintable(strInfo));
            for (const SChannelGroup& group : layout.GetTable().GetGroups()) {
                for (const SChannelRow& row : group.rows) {
                    const QString strName = QString::fromStdString(row.strName);
                    // A right-to-left name comes out in the order of the page: each word of it.
                    const QStringList words =
                        strName.isRightToLeft() ? strName.split(QLatin1Char(' ')) : QStringList(strName);
                    for (const QString& strWord : words)
                        QVERIFY2(strText.contains(strWord), qPrintable(strName));
                }
            }
            if (pDb == &sample)
                QVERIFY(strText.contains(QStringLiteral("CCTV-1")) &&
                        strText.contains(QStringLiteral("SHANXI")));
        }

        // Cancelled after the first page: the file from before is untouched, no temporary file is left.
        const QString strPath = dir.filePath(QStringLiteral("list.pdf"));
        const QByteArray before = [&] {
            QFile f(strPath);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        SPrintSource source;
        source.pDb = &scripts;
        source.nCodePage = CodePage::CP_UTF8;
        CChannelPrintLayout layout = MakePrintLayout(source, SPrintOptions());
        int nCalls = 0;
        QCOMPARE(WritePdf(layout, strPath.toStdString(),
                          [&](int nDone, int nCount) {
                              ++nCalls;
                              return nDone < 1 || nCount < 1;
                          }),
                 PdfResult::Cancelled);
        QCOMPARE(nCalls, 1);
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("list.pdf")}));

        // A target that cannot be written fails with the message of every save.
        ClearLastError();
        QCOMPARE(WritePdf(layout, dir.path().toStdString()), PdfResult::Failed);
        QCOMPARE(GetLastErrorMsg(), std::string("Open file failed!"));
        ClearLastError();
    }

    // The preview shows every page of the layout at once (the first pages painted, the others when
    // the window is up) and then holds them all painted.
    void PreviewShowsEveryPage()
    {
        CProgDb db;
        FillScripts(db, 1500);
        SPrintSource source;
        source.pDb = &db;
        source.strTitle = QStringLiteral("channels.db");
        source.nCodePage = CodePage::CP_UTF8;
        CChannelPrintLayout layout = MakePrintLayout(source, SPrintOptions());
        CPrintPreview preview(layout, nullptr);
        QPrintPreviewWidget* pWidget = preview.GetDialog()->findChild<QPrintPreviewWidget*>();
        QVERIFY(pWidget);
        QSignalSpy changed(pWidget, &QPrintPreviewWidget::previewChanged);
        preview.GetDialog()->show();
        QTRY_VERIFY(changed.count() >= 1);
        QVERIFY(layout.GetPageCount() > CPrintPreview::FIRST_PAGES);
        QCOMPARE(pWidget->pageCount(), layout.GetPageCount());
        QTRY_VERIFY_WITH_TIMEOUT(preview.IsComplete(), 60000);
        QCOMPARE(pWidget->pageCount(), layout.GetPageCount());
        QVERIFY(preview.GetDialog()->windowTitle().contains(QStringLiteral("channels.db")));
        preview.GetDialog()->close();
    }

    // The dialog shows the options it was given and gives back what is ticked; the number of columns
    // of entries is offered only without added columns, the list's programs only when it shows any.
    void OptionsDialogGivesWhatIsTicked()
    {
        SPrintOptions options;
        options.nWhat = SPrintOptions::WHAT_LISTED;
        options.columns = Columns(false, true, false, true);
        options.nEntryColumns = 3;
        CPrintOptionsDlg dlg(options, 12, QStringLiteral("Print"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Print"));
        auto box = [&](const char* pszName) { return dlg.findChild<QCheckBox*>(QLatin1String(pszName)); };
        QRadioButton* pListed = dlg.findChild<QRadioButton*>(QStringLiteral("printListed"));
        QRadioButton* pDatabase = dlg.findChild<QRadioButton*>(QStringLiteral("printDatabase"));
        QSpinBox* pEntryColumns = dlg.findChild<QSpinBox*>(QStringLiteral("printEntryColumns"));
        QVERIFY(pListed && pDatabase && pEntryColumns && box("printTransponder") && box("printPids"));
        QVERIFY(pListed->isChecked() && pListed->isEnabled() &&
                pListed->text().contains(QStringLiteral("12")));
        QVERIFY(box("printServiceId")->isChecked() && box("printFlags")->isChecked());
        QVERIFY(!box("printTransponder")->isChecked() && !box("printPids")->isChecked());
        QCOMPARE(pEntryColumns->value(), 3);
        QVERIFY(!pEntryColumns->isEnabled());

        box("printServiceId")->setChecked(false);
        QVERIFY(!pEntryColumns->isEnabled());
        box("printFlags")->setChecked(false);
        QVERIFY(pEntryColumns->isEnabled());
        pEntryColumns->setValue(4);
        box("printPids")->setChecked(true);
        pDatabase->setChecked(true);
        SPrintOptions chosen = dlg.GetOptions();
        QCOMPARE(chosen.nWhat, SPrintOptions::WHAT_DATABASE);
        QVERIFY(!chosen.columns.bTransponder && !chosen.columns.bServiceId && chosen.columns.bPids &&
                !chosen.columns.bFlags);
        QCOMPARE(chosen.nEntryColumns, 4);
        QCOMPARE(chosen.EntryColumnsPerPage(), 1);

        // Remembered between runs.
        SavePrintOptions(chosen);
        const SPrintOptions loaded = LoadPrintOptions();
        QCOMPARE(loaded.nWhat, chosen.nWhat);
        QVERIFY(loaded.columns.bPids && !loaded.columns.bFlags && !loaded.columns.bServiceId);
        QCOMPARE(loaded.nEntryColumns, 4);

        // With no programs listed only the whole database can be printed.
        CPrintOptionsDlg none(options, 0, QStringLiteral("Export PDF"));
        QVERIFY(!none.findChild<QRadioButton*>(QStringLiteral("printListed"))->isEnabled());
        QCOMPARE(none.GetOptions().nWhat, SPrintOptions::WHAT_DATABASE);
    }
};

RAVELIN_GUI_TEST_MAIN(CPrintTest)
#include "PrintTest.moc"
