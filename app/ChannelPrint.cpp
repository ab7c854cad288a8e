#include "app/ChannelPrint.h"

#include "access/AccessDb.h"
#include "access/LastError.h"

#include <QBuffer>
#include <QEvent>
#include <QGraphicsView>
#include <QLocale>
#include <QPaintEngine>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProgressDialog>
#include <QTimer>

#include <utility>

namespace {

constexpr int PROGRESS_DELAY_MS = 500;

// A progress dialog for painting pages; Step is a progress callback of CChannelPrintLayout::Print.
class CPageProgress
{
public:
    CPageProgress(const QString& strCaption, const QString& strLabel, QWidget* pParent)
        : m_dialog(strLabel, QStringLiteral("Cancel"), 0, 1, pParent)
    {
        m_dialog.setWindowTitle(strCaption);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(PROGRESS_DELAY_MS);
        m_dialog.setAutoReset(false);
        m_dialog.setValue(0);
    }

    bool Step(int nDone, int nCount)
    {
        m_dialog.setMaximum(nCount);
        m_dialog.setValue(nDone);
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
};

} // namespace

CChannelPrintLayout MakePrintLayout(const SPrintSource& source, const SPrintOptions& options)
{
    CChannelTable table =
        options.nWhat == SPrintOptions::WHAT_LISTED
            ? CChannelTable::Listed(*source.pDb, source.listedPlaces, options.columns, source.nCodePage)
            : CChannelTable::Grouped(*source.pDb, options.columns, source.nCodePage);
    return CChannelPrintLayout(std::move(table), source.strTitle, source.date, options.EntryColumnsPerPage());
}

QPageLayout DefaultPageLayout()
{
    const bool bLetter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(bLetter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

// Calls a function once, right after the first paint of the widget it watches.
class CPrintPreview::CFirstPaintWatcher : public QObject
{
public:
    CFirstPaintWatcher(QWidget* pWatched, std::function<void()> fn) : m_fn(std::move(fn))
    {
        pWatched->installEventFilter(this);
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint && m_fn) {
            pWatched->removeEventFilter(this);
            QTimer::singleShot(0, pWatched, std::exchange(m_fn, {}));
        }
        return false;
    }

private:
    std::function<void()> m_fn;
};

CPrintPreview::CPrintPreview(CChannelPrintLayout& layout, QWidget* pParent)
    : m_layout(layout), m_printer(QPrinter::HighResolution)
{
    m_printer.setPageLayout(DefaultPageLayout());
    m_printer.setDocName(layout.GetTitle());
    m_pDialog = std::make_unique<QPrintPreviewDialog>(&m_printer, pParent);
    m_pDialog->setObjectName(QStringLiteral("printPreviewDlg"));
    m_pDialog->setWindowTitle(QStringLiteral("Print Preview - %1").arg(layout.GetTitle()));
    QObject::connect(m_pDialog.get(), &QPrintPreviewDialog::paintRequested, m_pDialog.get(),
                     [this](QPrinter* pPrinter) { Paint(pPrinter); });
}

CPrintPreview::~CPrintPreview() = default;

int CPrintPreview::Exec()
{
    return m_pDialog->exec();
}

void CPrintPreview::Paint(QPrinter* pPrinter)
{
    // The preview records its pages through a picture engine; anything else is a real print run.
    const bool bPreview = pPrinter->paintEngine() && pPrinter->paintEngine()->type() == QPaintEngine::Picture;
    QPrintPreviewWidget* pWidget = m_pDialog->findChild<QPrintPreviewWidget*>();
    QGraphicsView* pView = pWidget ? pWidget->findChild<QGraphicsView*>() : nullptr;
    if (bPreview && !m_bDrafted && pView) {
        m_bDrafted = true;
        m_layout.Print(*pPrinter, {}, FIRST_PAGES);
        m_pWatcher =
            std::make_unique<CFirstPaintWatcher>(pView->viewport(), [pWidget] { pWidget->updatePreview(); });
        return;
    }
    CPageProgress progress(
        QStringLiteral("Print"),
        bPreview ? QStringLiteral("Preparing the pages...") : QStringLiteral("Printing..."), m_pDialog.get());
    const bool bDone = m_layout.Print(
        *pPrinter, [&progress](int nDone, int nCount) { return progress.Step(nDone, nCount); });
    if (bPreview)
        m_bComplete = bDone;
    else if (!bDone)
        pPrinter->abort();
}

PdfResult WritePdf(CChannelPrintLayout& layout, const std::string& strPath,
                   const std::function<bool(int, int)>& fnProgress)
{
    QByteArray pdf;
    bool bCancelled = false;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(DefaultPageLayout());
        writer.setTitle(layout.GetTitle());
        writer.setCreator(QStringLiteral("Ravelin"));
        const bool bPainted = layout.Print(writer, [&](int nDone, int nCount) {
            bCancelled = fnProgress && !fnProgress(nDone, nCount);
            return !bCancelled;
        });
        if (bCancelled)
            return PdfResult::Cancelled;
        if (!bPainted) {
            SetLastErrorMsg("The PDF could not be painted!");
            return PdfResult::Failed;
        }
    }
    return WriteImageFile(strPath, pdf.constData(), static_cast<size_t>(pdf.size())) ? PdfResult::Written
                                                                                     : PdfResult::Failed;
}

PdfResult ExportPdf(CChannelPrintLayout& layout, const QString& strPath, QWidget* pParent)
{
    CPageProgress progress(QStringLiteral("Export PDF"), QStringLiteral("Writing the PDF..."), pParent);
    return WritePdf(layout, strPath.toStdString(),
                    [&progress](int nDone, int nCount) { return progress.Step(nDone, nCount); });
}
