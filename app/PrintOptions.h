#pragma once

#include "db/ChannelTable.h"

// What the print and PDF commands put on paper, as the print options dialog sets it.
struct SPrintOptions
{
    enum What
    {
        WHAT_LISTED,   // the programs the list pane shows, in its order
        WHAT_DATABASE, // every program, grouped by satellite and transponder
    };

    What nWhat = WHAT_DATABASE;
    // Columns beside the number and the name.
    SChannelColumns columns;
    // Columns of entries side by side on a page, 1 to 4; they apply to the number-and-name layout
    // only: with any added column the entries fill the page's width, one to a line.
    int nEntryColumns = 2;

    // The columns of entries a page gets: nEntryColumns within 1 to 4, or 1 with added columns.
    int EntryColumnsPerPage() const;
};

// The options last chosen (QSettings), or the defaults before the first choice.
SPrintOptions LoadPrintOptions();
void SavePrintOptions(const SPrintOptions& options);
