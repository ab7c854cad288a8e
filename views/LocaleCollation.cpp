#include "views/LocaleCollation.h"

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
}

void CLocaleCollation::Prepare(const std::vector<std::string>& names)
{
    m_keys.clear();
    m_keys.reserve(names.size());
    for (const std::string& strName : names)
        m_keys.push_back(
            m_collator.sortKey(QString::fromUtf8(strName.data(), static_cast<qsizetype>(strName.size()))));
}

int CLocaleCollation::Compare(size_t nLeft, size_t nRight) const
{
    return m_keys[nLeft].compare(m_keys[nRight]);
}
