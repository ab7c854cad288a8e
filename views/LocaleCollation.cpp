#include "views/LocaleCollation.h"

#include <algorithm>

namespace {

QLocale CollationLocale(const QLocale& locale)
{
    // Qt's collator compares by code point in the C locale and ignores the case setting there.
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

} // namespace

CLocaleCollation::CLocaleCollation(const QLocale& locale) : m_collator(CollationLocale(locale))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Channel lists number their channels: "Sport 2" before "Sport 10".
    m_collator.setNumericMode(true);
}

void CLocaleCollation::Prepare(const std::vector<std::string>& names)
{
    m_keys.clear();
    if (m_keyOfName.size() > std::max(MAX_KEPT, 2 * names.size()))
        m_keyOfName.clear();
    m_keys.reserve(names.size());
    // Elements of an unordered_map stay where they are when it grows.
    for (const std::string& strName : names) {
        auto it = m_keyOfName.find(strName);
        if (it == m_keyOfName.end()) {
            const QString strText = QString::fromUtf8(strName.data(), static_cast<qsizetype>(strName.size()));
            it = m_keyOfName.emplace(strName, m_collator.sortKey(strText)).first;
        }
        m_keys.push_back(&it->second);
    }
}

int CLocaleCollation::Compare(size_t nLeft, size_t nRight) const
{
    return m_keys[nLeft]->compare(*m_keys[nRight]);
}
