#pragma once

#include "db/ListSort.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <string>
#include <unordered_map>
#include <vector>

// The editor's order of names: the collation of the user's locale, ignoring case, as QCollator
// gives it. Each comparison of a sort compares two sort keys made in Prepare. Making a key is most
// of the cost of a sort, so the keys are kept by name for later sorts (sorting again after an edit,
// the other direction, another listing of the same records); the C and POSIX locales, which have
// no collation, sort by the locale-neutral order of English.
class CLocaleCollation : public CNameCollation
{
public:
    explicit CLocaleCollation(const QLocale& locale = QLocale());

    void Prepare(const std::vector<std::string>& names) override;
    int Compare(size_t nLeft, size_t nRight) const override;

private:
    QCollator m_collator;
    // Keys by name (UTF-8), emptied when it holds more than MAX_KEPT names and twice those of a sort.
    std::unordered_map<std::string, QCollatorSortKey> m_keyOfName;
    std::vector<const QCollatorSortKey*> m_keys; // of the last Prepare, into m_keyOfName
    static constexpr size_t MAX_KEPT = 100000;
};
