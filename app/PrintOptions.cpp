#include "app/PrintOptions.h"

#include <QSettings>

#include <algorithm>

namespace {

const char* const KEY_WHAT = "Print/WholeDatabase";
const char* const KEY_TRANSPONDER = "Print/Transponder";
const char* const KEY_SERVICE_ID = "Print/ServiceId";
const char* const KEY_PIDS = "Print/Pids";
const char* const KEY_FLAGS = "Print/Flags";
const char* const KEY_ENTRY_COLUMNS = "Print/EntryColumns";

} // namespace

int SPrintOptions::EntryColumnsPerPage() const
{
    return columns.Any() ? 1 : std::clamp(nEntryColumns, 1, 4);
}

SPrintOptions LoadPrintOptions()
{
    const QSettings settings;
    SPrintOptions options;
    options.nWhat =
        settings.value(KEY_WHAT, true).toBool() ? SPrintOptions::WHAT_DATABASE : SPrintOptions::WHAT_LISTED;
    options.columns.bTransponder = settings.value(KEY_TRANSPONDER, false).toBool();
    options.columns.bServiceId = settings.value(KEY_SERVICE_ID, false).toBool();
    options.columns.bPids = settings.value(KEY_PIDS, false).toBool();
    options.columns.bFlags = settings.value(KEY_FLAGS, false).toBool();
    options.nEntryColumns = std::clamp(settings.value(KEY_ENTRY_COLUMNS, 2).toInt(), 1, 4);
    return options;
}

void SavePrintOptions(const SPrintOptions& options)
{
    QSettings settings;
    settings.setValue(KEY_WHAT, options.nWhat == SPrintOptions::WHAT_DATABASE);
    settings.setValue(KEY_TRANSPONDER, options.columns.bTransponder);
    settings.setValue(KEY_SERVICE_ID, options.columns.bServiceId);
    settings.setValue(KEY_PIDS, options.columns.bPids);
    settings.setValue(KEY_FLAGS, options.columns.bFlags);
    settings.setValue(KEY_ENTRY_COLUMNS, options.nEntryColumns);
}
