// CXmlDoc: edits. An edit appends the new text of what it changes to the text store and points the
// records at it; nothing already in the store moves.

#include "sheet/XmlDoc.h"

#include "sheet/XmlScanner.h"

#include <limits>
#include <stdexcept>

using XmlIndex::FLAG_EMPTY_TAG;
using XmlIndex::SElem;
using XmlText::Escape;
using XmlText::IsSpace;
using XmlText::IsValidName;

CXmlDoc::SPiece CXmlDoc::Store(std::initializer_list<std::string_view> parts)
{
    size_t n = 0;
    for (std::string_view p : parts)
        n += p.size();
    if (m_strText.size() + n >= std::numeric_limits<uint32_t>::max())
        throw std::length_error("XML document too large");
    ++m_nEdits;
    SPiece piece{static_cast<uint32_t>(m_strText.size()), static_cast<uint32_t>(n)};
    for (std::string_view p : parts)
        m_strText.append(p.data(), p.size());
    return piece;
}

bool CXmlDoc::AppendChild(const std::string& strName, const std::string& strText)
{
    const int32_t parent = m_cursor.nCurrent;
    if (!parent || !IsValidName(strName))
        return false;
    const std::string name = m_codePage.ToDoc(strName);
    if (!m_crlf.nLen)
        m_crlf = Store({"\r\n"});

    SElem el;
    el.nParent = parent;
    el.nNameLen = static_cast<uint32_t>(name.size());
    if (strText.empty()) {
        el.start = Store({"<", name, "/>"});
        el.nFlags = FLAG_EMPTY_TAG;
    } else {
        const std::string body = Escape(m_codePage.ToDoc(strText), false);
        const SPiece all = Store({"<", name, ">", body, "</", name, ">"});
        el.start = SPiece{all.nOff, static_cast<uint32_t>(name.size() + 2)};
        el.head = SPiece{el.start.nOff + el.start.nLen, static_cast<uint32_t>(body.size())};
        el.end = SPiece{el.head.nOff + el.head.nLen, static_cast<uint32_t>(name.size() + 3)};
    }
    el.tail = m_crlf; // every appended element ends its own line

    // Records never move (CElemStore), so par stays valid while the new record is added.
    SElem& par = m_aElems[parent];
    int32_t prev; // the sibling the new element follows, 0 for the front
    if (par.nFlags & FLAG_EMPTY_TAG) {
        // <P .../> becomes <P ...>CR LF<new/>CR LF</P>
        std::string tag(View(par.start));
        tag.erase(tag.size() - 2, 1); // the '/' of "/>"
        const std::string parentName(Name(parent));
        par.start = Store({tag});
        par.head = m_crlf;
        par.end = Store({"</", parentName, ">"});
        par.nFlags &= static_cast<uint8_t>(~FLAG_EMPTY_TAG);
        prev = 0;
    } else if (m_cursor.nChild) {
        // After the child position, moved over the white space behind it when a tag comes next.
        prev = m_cursor.nChild;
        const SPiece tail = m_aElems[prev].tail;
        const std::string_view t = View(tail);
        size_t ip = 0;
        while (ip < t.size() && IsSpace(t[ip]))
            ++ip;
        if (ip < t.size() && t[ip] != '<')
            ip = 0;
        if (ip < t.size()) // the rest of the tail is copied first: the store may move
            el.tail = Store({"\r\n", std::string(t.substr(ip))});
        m_aElems[prev].tail = SPiece{tail.nOff, static_cast<uint32_t>(ip)};
    } else {
        // At the end tag; an empty content gets a line break in front as well.
        prev = par.nLast;
        if (!prev && par.head.nLen == 0)
            par.head = m_crlf;
    }

    const int32_t idx = static_cast<int32_t>(m_aElems.size());
    el.nNext = prev ? m_aElems[prev].nNext : par.nFirst;
    m_aElems.push_back(el);
    if (prev)
        m_aElems[prev].nNext = idx;
    else
        par.nFirst = idx;
    if (!el.nNext)
        par.nLast = idx;
    m_cursor.nChild = idx;
    return true;
}

bool CXmlDoc::SetAttribute(int32_t nElem, const std::string& strName, const std::string& strValue)
{
    if (!nElem || !IsValidName(strName))
        return false;
    const std::string name = m_codePage.ToDoc(strName);
    const std::string quoted = "\"" + Escape(m_codePage.ToDoc(strValue), true) + "\"";
    const SElem& e = m_aElems[nElem];
    std::string tag(View(e.start));
    XmlScanner::SAttribute attr;
    if (XmlScanner::FindAttribute(tag, e.nNameLen, name, attr)) {
        if (attr.bHasValue)
            tag.replace(attr.nValueOff, attr.nValueLen, quoted);
        else
            tag.insert(attr.nValueOff, "=" + quoted);
    } else {
        const bool bEmpty = tag.size() >= 2 && tag[tag.size() - 2] == '/';
        tag.insert(tag.size() - (bEmpty ? 2 : 1), " " + name + "=" + quoted);
    }
    m_aElems[nElem].start = Store({tag});
    return true;
}

bool CXmlDoc::SetCurrentAttribute(const std::string& strName, const std::string& strValue)
{
    return SetAttribute(m_cursor.nCurrent, strName, strValue);
}

bool CXmlDoc::SetCurrentAttribute(const std::string& strName, int32_t nValue)
{
    return SetAttribute(m_cursor.nCurrent, strName, std::to_string(nValue));
}

bool CXmlDoc::SetChildAttribute(const std::string& strName, const std::string& strValue)
{
    return SetAttribute(m_cursor.nChild, strName, strValue);
}

bool CXmlDoc::SetChildAttribute(const std::string& strName, int32_t nValue)
{
    return SetAttribute(m_cursor.nChild, strName, std::to_string(nValue));
}

bool CXmlDoc::SetChildText(const std::string& strText)
{
    const int32_t n = m_cursor.nChild;
    if (!n)
        return false;
    const std::string body = Escape(m_codePage.ToDoc(strText), false);
    SElem& e = m_aElems[n];
    // Nested elements are dropped from the text; their records stay but belong to no parent.
    for (int32_t c = e.nFirst; c;) {
        const int32_t next = m_aElems[c].nNext;
        m_aElems[c].nParent = -1;
        m_aElems[c].nNext = 0;
        c = next;
    }
    e.nFirst = e.nLast = 0;
    if (e.nFlags & FLAG_EMPTY_TAG) {
        if (body.empty())
            return true;
        std::string tag(View(e.start));
        tag.erase(tag.size() - 2, 1); // <name .../> becomes <name ...>
        const std::string name(Name(n));
        e.start = Store({tag});
        e.end = Store({"</", name, ">"});
        e.nFlags &= static_cast<uint8_t>(~FLAG_EMPTY_TAG);
    }
    e.head = Store({body});
    return true;
}
