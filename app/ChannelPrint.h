#pragma once

#include "app/ChannelPrintLayout.h"
#include "app/PrintOptions.h"

#include <QDate>
#include <QPageLayout>
#include <QPrinter>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CProgDb;
class QPrintPreviewDialog;
class QWidget;

// The print commands of the File menu: "Print..." (a preview, printed from there) and "Export
// PDF...", both painting the pages of a CChannelPrintLayout. The options come from
// CPrintOptionsDlg (or directly from a test); nothing here asks for a file name.

// What the frame prints from.
struct SPrintSource
{
    const CProgDb* pDb = nullptr; // not owned; unchanged while a command runs
    // The places (from 0) in the program list of the programs the list pane shows, in its order
    // (ProgramPlaces of its row ids, db/ChannelTable.h); empty when it shows no programs.
    std::vector<int32_t> listedPlaces;
    QString strTitle;                  // the file name in every page's heading
    uint32_t nCodePage = 0;            // names are decoded from it: the ANSI code page
    QDate date = QDate::currentDate(); // in every page's heading
};

// The pages for source as options choose them.
CChannelPrintLayout MakePrintLayout(const SPrintSource& source, const SPrintOptions& options);

// The page set-up of the preview and the PDF: A4 (Letter where the locale measures in inches),
// portrait, 12 mm margins.
QPageLayout DefaultPageLayout();

// "Print...": Qt's print preview of a layout, whose Print button prints through the platform's
// print dialog. The dialog paints the layout whenever it needs the pages (the layout must outlive
// this object). Its first preview paints only the first pages and leaves the others blank, so that
// the window shows at once; as soon as the first page is on the screen the whole preview is painted.
// While painting takes long a progress dialog shows, whose Cancel stops it (the preview then ends
// after the pages painted; a print run is aborted). Exec shows the dialog modally; a test looks at
// GetDialog instead.
class CPrintPreview
{
public:
    // The pages the first preview paints.
    static constexpr int FIRST_PAGES = 3;

    CPrintPreview(CChannelPrintLayout& layout, QWidget* pParent);
    ~CPrintPreview();
    CPrintPreview(const CPrintPreview&) = delete;
    CPrintPreview& operator=(const CPrintPreview&) = delete;

    int Exec();
    QPrintPreviewDialog* GetDialog() const { return m_pDialog.get(); }
    QPrinter& GetPrinter() { return m_printer; }
    // True once the preview holds every page painted (a cancelled painting leaves it false).
    bool IsComplete() const { return m_bComplete; }

private:
    class CFirstPaintWatcher;

    void Paint(QPrinter* pPrinter);

    CChannelPrintLayout& m_layout;
    QPrinter m_printer;
    std::unique_ptr<QPrintPreviewDialog> m_pDialog;
    std::unique_ptr<CFirstPaintWatcher> m_pWatcher; // set while the first preview waits to be shown
    bool m_bDrafted = false;                        // the first preview was painted
    bool m_bComplete = false;
};

enum class PdfResult
{
    Written,
    Cancelled, // fnProgress or the progress dialog stopped it
    Failed,    // the message is stored with SetLastErrorMsg
};

// "Export PDF...": paints every page of layout into a PDF (in memory) and writes it to strPath
// through a temporary file renamed over it. fnProgress, when given, is called after each page with
// the pages done and the page count; returning false cancels. Cancelled and Failed leave an existing
// file as it was and no file behind. Failures: "Open file failed!" (strPath cannot be written),
// "Write file failed! <reason>", "The PDF could not be painted!".
PdfResult WritePdf(CChannelPrintLayout& layout, const std::string& strPath,
                   const std::function<bool(int nDone, int nCount)>& fnProgress = {});

// WritePdf with a progress dialog over pParent ("Export PDF", shown once painting takes more than
// half a second) whose Cancel stops it.
PdfResult ExportPdf(CChannelPrintLayout& layout, const QString& strPath, QWidget* pParent);
