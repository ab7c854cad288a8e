#pragma once

#include "db/Node.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <vector>

class CProgDb;
struct CRecordSet;

// The editor's one way to the system clipboard. Copy puts records there twice: as the record-set
// bytes under the editor's own MIME type (records, kinds and parent links, so that any window of
// the editor can paste them) and as tab-separated text with the column headings, for a spreadsheet
// or a text editor. Paste reads the record set back. The manager watches the clipboard, whoever
// changes it, and says whether records are there to paste.
class CClipboardManager : public QObject
{
    Q_OBJECT

public:
    explicit CClipboardManager(QObject* pParent = nullptr);

    // Copies the first record of kind nKind with each id, with everything under it (CopyRecords),
    // to the clipboard. Returns the number of records of nKind copied; with none the clipboard is
    // left as it was.
    int CopyRecords(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids);
    // Whether the clipboard holds a record set that can be read.
    bool HasRecords() const { return m_bHasRecords; }
    // Reads the record set on the clipboard. False with strError for the status bar when there is
    // none or it cannot be read.
    bool GetRecords(CRecordSet& records, std::string& strError) const;

signals:
    // HasRecords changed.
    void RecordsAvailable(bool bAvailable);

private:
    void OnClipboardChanged();

    bool m_bHasRecords = false;
};
