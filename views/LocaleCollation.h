#pragma once

#include "db/ListSort.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <string>
#include <vector>

// The editor's order of names: the collation of the user's locale, ignoring case, as QCollator
// gives it. The sort key of every name is made once per sort, in Prepare, so that each of the many
// comparisons of a sort compares two byte strings. The C and POSIX locales, which have no
// collation, sort by the locale-neutral order of English.
class CLocaleCollation : public CNameCollation
{
public:
    explicit CLocaleCollation(const QLocale& locale = QLocale());

    void Prepare(const std::vector<std::string>& names) override;
    int Compare(size_t nLeft, size_t nRight) const override;

private:
    QCollator m_collator;
    std::vector<QCollatorSortKey> m_keys;
};
