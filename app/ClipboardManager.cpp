#include "app/ClipboardManager.h"

#include "edit/RecordSet.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

const QString MIME_TYPE = QString::fromLatin1(RECORD_SET_MIME_TYPE);

QByteArray RecordBytes()
{
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    return pData && pData->hasFormat(MIME_TYPE) ? pData->data(MIME_TYPE) : QByteArray();
}

} // namespace

CClipboardManager::CClipboardManager(QObject* pParent) : QObject(pParent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CClipboardManager::OnClipboardChanged);
    OnClipboardChanged();
}

int CClipboardManager::CopyRecords(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids)
{
    const CRecordSet records = ::CopyRecords(db, nKind, ids);
    if (records.IsEmpty())
        return 0;
    const std::vector<uint8_t> bytes = WriteRecordSet(records);
    const std::string strText = RecordsAsText(db, nKind, ids);
    auto* pData = new QMimeData;
    pData->setData(MIME_TYPE,
                   QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
    pData->setText(QString::fromStdString(strText));
    QGuiApplication::clipboard()->setMimeData(pData); // the clipboard owns it
    return records.GetCount(records.nTopKind);
}

bool CClipboardManager::GetRecords(CRecordSet& records, std::string& strError) const
{
    const QByteArray bytes = RecordBytes();
    if (bytes.isEmpty()) {
        strError = "the clipboard holds no channel records";
        return false;
    }
    return ReadRecordSet(reinterpret_cast<const uint8_t*>(bytes.constData()),
                         static_cast<size_t>(bytes.size()), records, strError);
}

void CClipboardManager::OnClipboardChanged()
{
    CRecordSet records;
    std::string strError;
    const bool bHas = GetRecords(records, strError);
    if (bHas == m_bHasRecords)
        return;
    m_bHasRecords = bHas;
    emit RecordsAvailable(bHas);
}
