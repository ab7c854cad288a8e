// CXmlDoc: walking the element index with the cursor, and reading names, attributes and text.

#include "sheet/XmlDoc.h"

#include "sheet/XmlScanner.h"

using XmlIndex::FLAG_EMPTY_TAG;
using XmlIndex::SElem;

// ---- navigation --------------------------------------------------------------------------------

std::string_view CXmlDoc::Name(int32_t nElem) const
{
    const SElem& e = m_aElems[nElem];
    return std::string_view(m_strText).substr(e.start.nOff + 1, e.nNameLen);
}

void CXmlDoc::Rewind()
{
    m_cursor = SCursor();
}

bool CXmlDoc::Matches(int32_t nElem, const std::string& strName, const std::string& strAlt) const
{
    if (strName.empty())
        return true;
    const std::string_view name = Name(nElem);
    return name == strName || (!strAlt.empty() && name == strAlt);
}

int32_t CXmlDoc::FindSibling(int32_t nFrom, const std::string& strName, const std::string& strAlt) const
{
    for (int32_t n = nFrom; n; n = m_aElems[n].nNext)
        if (Matches(n, strName, strAlt))
            return n;
    return 0;
}

bool CXmlDoc::NextElement(const std::string& strName)
{
    return NextElementEither(strName, std::string());
}

bool CXmlDoc::NextElementEither(const std::string& strName, const std::string& strAltName)
{
    const std::string name = m_codePage.ToDoc(strName), alt = m_codePage.ToDoc(strAltName);
    const int32_t from =
        m_cursor.nCurrent ? m_aElems[m_cursor.nCurrent].nNext : m_aElems[m_cursor.nParent].nFirst;
    const int32_t found = FindSibling(from, name, alt);
    if (!found)
        return false;
    m_cursor.nCurrent = found;
    m_cursor.nChild = 0;
    return true;
}

bool CXmlDoc::NextChild(const std::string& strName)
{
    return NextChildEither(strName, std::string());
}

bool CXmlDoc::NextChildEither(const std::string& strName, const std::string& strAltName)
{
    if (!m_cursor.nCurrent && !NextElement())
        return false;
    const std::string name = m_codePage.ToDoc(strName), alt = m_codePage.ToDoc(strAltName);
    const SElem& cur = m_aElems[m_cursor.nCurrent];
    const int32_t from = m_cursor.nChild ? m_aElems[m_cursor.nChild].nNext : cur.nFirst;
    const int32_t found = FindSibling(from, name, alt);
    if (!found)
        return false;
    m_cursor.nChild = found;
    return true;
}

bool CXmlDoc::EnterChild()
{
    if (!m_cursor.nCurrent)
        return false;
    m_cursor.nParent = m_cursor.nCurrent;
    m_cursor.nCurrent = m_cursor.nChild;
    m_cursor.nChild = 0;
    return true;
}

void CXmlDoc::RewindChildren()
{
    m_cursor.nChild = 0;
}

bool CXmlDoc::SetChildElement(int32_t nElem)
{
    if (!m_cursor.nCurrent || nElem < 0 || static_cast<size_t>(nElem) >= m_aElems.size())
        return false;
    if (nElem && m_aElems[nElem].nParent != m_cursor.nCurrent)
        return false;
    m_cursor.nChild = nElem;
    return true;
}

bool CXmlDoc::MarkPosition(const std::string& strLabel)
{
    m_marks[strLabel] = m_cursor;
    return true;
}

bool CXmlDoc::ReturnToMark(const std::string& strLabel)
{
    auto it = m_marks.find(strLabel);
    if (it == m_marks.end())
        return false;
    // The three positions are a chain (child under current under parent), so the deepest one
    // decides whether the mark still lies in the document.
    const SCursor& mark = it->second;
    if (!InDocument(mark.nChild ? mark.nChild : mark.nCurrent ? mark.nCurrent : mark.nParent))
        return false;
    m_cursor = mark;
    return true;
}

bool CXmlDoc::InDocument(int32_t nElem) const
{
    while (nElem > 0)
        nElem = m_aElems[nElem].nParent;
    return nElem == 0;
}

// ---- reading -----------------------------------------------------------------------------------

std::string CXmlDoc::CurrentTag() const
{
    if (!m_cursor.nCurrent)
        return std::string();
    return m_codePage.FromDoc(Name(m_cursor.nCurrent));
}

bool CXmlDoc::GetAttribute(int32_t nElem, const std::string& strName, std::string& strValue) const
{
    strValue.clear();
    if (!nElem)
        return false;
    const SElem& e = m_aElems[nElem];
    XmlScanner::SAttribute attr;
    if (!XmlScanner::FindAttribute(View(e.start), e.nNameLen, m_codePage.ToDoc(strName), attr))
        return false;
    if (attr.bHasValue) {
        std::string_view v = View(e.start).substr(attr.nValueOff, attr.nValueLen);
        if (!v.empty() && (v[0] == '"' || v[0] == '\'')) {
            v.remove_prefix(1);
            if (!v.empty() && (v.back() == '"' || v.back() == '\''))
                v.remove_suffix(1);
        }
        strValue = XmlText::DecodeText(v, false, m_codePage);
    }
    return true;
}

std::string CXmlDoc::CurrentAttribute(const std::string& strName) const
{
    std::string v;
    GetAttribute(m_cursor.nCurrent, strName, v);
    return v;
}

std::string CXmlDoc::ChildAttribute(const std::string& strName) const
{
    std::string v;
    GetAttribute(m_cursor.nChild, strName, v);
    return v;
}

bool CXmlDoc::FindCurrentAttribute(const std::string& strName, std::string& strValue) const
{
    return GetAttribute(m_cursor.nCurrent, strName, strValue);
}

std::string CXmlDoc::CurrentText() const
{
    const int32_t cur = m_cursor.nCurrent;
    if (!cur)
        return std::string();
    const SElem& e = m_aElems[cur];
    if (e.nFirst || (e.nFlags & FLAG_EMPTY_TAG))
        return std::string();
    return XmlText::DecodeText(View(e.head), true, m_codePage);
}

// Appends the decoded content of nElem (nested elements included) to strOut.
void CXmlDoc::AppendContent(int32_t nElem, std::string& strOut) const
{
    const SElem& root = m_aElems[nElem];
    if (root.nFlags & FLAG_EMPTY_TAG)
        return;
    strOut += XmlText::DecodeText(View(root.head), true, m_codePage);
    int32_t n = root.nFirst;
    while (n) {
        const SElem& e = m_aElems[n];
        strOut += XmlText::DecodeText(View(e.head), true, m_codePage);
        if (e.nFirst) {
            n = e.nFirst;
            continue;
        }
        while (n && n != nElem) {
            const SElem& c = m_aElems[n];
            strOut += XmlText::DecodeText(View(c.tail), true, m_codePage);
            if (c.nNext) {
                n = c.nNext;
                break;
            }
            n = c.nParent;
        }
        if (n == nElem)
            break;
    }
}

std::string CXmlDoc::CurrentTextContent() const
{
    std::string out;
    if (m_cursor.nCurrent)
        AppendContent(m_cursor.nCurrent, out);
    return out;
}
