#include "sheet/XmlScanner.h"

#include "sheet/XmlText.h"

#include <vector>

using XmlIndex::SElem;
using XmlIndex::SPiece;
using XmlText::IsNameEnd;
using XmlText::IsSpace;
using XmlText::StartsWith;

namespace {

constexpr size_t NPOS = std::string_view::npos;

SPiece Piece(size_t nOff, size_t nLen)
{
    return SPiece{static_cast<uint32_t>(nOff), static_cast<uint32_t>(nLen)};
}

// The state of one scan: the text, the index being built, the elements still open and the
// position. Each Scan... step handles the markup that starts with the '<' at lt and says whether
// the scan goes on.
class CScanner
{
public:
    CScanner(std::string_view text, XmlIndex::CElemStore& elems) : m_text(text), m_elems(elems) {}

    // Builds the index; true when the text is well-formed.
    bool Run();

private:
    bool ScanMarkup(size_t lt);
    bool ScanEndTag(size_t lt);
    bool ScanCommentCdataOrDoctype(size_t lt);
    bool ScanProcessingInstruction(size_t lt);
    bool ScanStartTag(size_t lt);

    // Where a tag name starting at nFrom ends.
    size_t NameEnd(size_t nFrom) const;
    // The first character from nFrom on that is outside quotes ('...' or "...") and for which stop
    // (called on each such character in turn) is true; NPOS when there is none.
    template <class Stop> size_t FindUnquoted(size_t nFrom, Stop stop) const;
    // The '>' that closes a start tag, or a '<' that breaks it, outside quoted attribute values.
    size_t StartTagEnd(size_t nFrom) const;
    // The '>' that closes a document type declaration, outside quotes and the internal subset.
    size_t DoctypeEnd(size_t nFrom) const;
    // How many elements of the open stack stay open when an end tag of this name comes: the
    // depth of the innermost open element of that name, 0 for none.
    size_t MatchingDepth(std::string_view name) const;

    void OpenElement(size_t lt, size_t nNameEnd, size_t gt);
    // Ends the open elements above nDepth without end tag, at nAt.
    void EndUnended(size_t nDepth, size_t nAt);
    // Gives the text from the mark up to nTo to the element that contains it.
    void GiveText(size_t nTo);
    // Malformed markup: left as text, the scan goes on at nResume.
    bool Malformed(size_t nResume);
    // Markup that runs to the end of the text: the scan stops.
    bool Unclosed();

    std::string_view Name(int32_t nElem) const;

    std::string_view m_text;
    XmlIndex::CElemStore& m_elems;
    std::vector<int32_t> m_aOpen; // the open elements, innermost last
    size_t m_nPos = 0;            // where the search for the next markup starts
    size_t m_nMark = 0;           // start of the text not yet given to a piece
    int m_nRoots = 0;
    bool m_bOk = true;
};

bool CScanner::Run()
{
    m_elems.Reset();
    while (m_nPos < m_text.size()) {
        const size_t lt = m_text.find('<', m_nPos);
        if (lt == NPOS || !ScanMarkup(lt))
            break;
    }
    GiveText(m_text.size());
    EndUnended(0, m_text.size());
    return m_bOk && m_nRoots == 1;
}

bool CScanner::ScanMarkup(size_t lt)
{
    const char c1 = lt + 1 < m_text.size() ? m_text[lt + 1] : '\0';
    if (c1 == '/')
        return ScanEndTag(lt);
    if (c1 == '!')
        return ScanCommentCdataOrDoctype(lt);
    if (c1 == '?')
        return ScanProcessingInstruction(lt);
    if (XmlText::IsNameStart(c1))
        return ScanStartTag(lt);
    return Malformed(lt + 1); // '<' not followed by a name, '!' or '?'
}

bool CScanner::ScanEndTag(size_t lt)
{
    const size_t nNameEnd = NameEnd(lt + 2);
    const std::string_view name = m_text.substr(lt + 2, nNameEnd - lt - 2);
    const size_t gt = m_text.find('>', nNameEnd);
    if (gt == NPOS)
        return Unclosed();
    if (name.empty())
        return Malformed(lt + 1);
    const size_t nDepth = MatchingDepth(name);
    if (nDepth == 0)
        return Malformed(gt + 1); // end tag without a start tag: left as text
    GiveText(lt);
    EndUnended(nDepth, lt);
    SElem& el = m_elems[m_aOpen.back()];
    m_aOpen.pop_back();
    el.end = Piece(lt, gt + 1 - lt);
    m_nMark = gt + 1;
    el.tail = Piece(m_nMark, 0); // starts empty right after the end tag
    m_nPos = gt + 1;
    return true;
}

bool CScanner::ScanCommentCdataOrDoctype(size_t lt)
{
    size_t close;
    size_t nCloseLen;
    if (StartsWith(m_text, lt, "<!--")) {
        close = m_text.find("-->", lt + 4);
        nCloseLen = 3;
    } else if (StartsWith(m_text, lt, "<![CDATA[")) {
        close = m_text.find("]]>", lt + 9);
        nCloseLen = 3;
    } else if (StartsWith(m_text, lt, "<!DOCTYPE")) {
        close = DoctypeEnd(lt + 9);
        nCloseLen = 1;
    } else {
        return Malformed(lt + 1); // "<!" that starts nothing known
    }
    if (close == NPOS)
        return Unclosed();
    m_nPos = close + nCloseLen;
    return true;
}

bool CScanner::ScanProcessingInstruction(size_t lt)
{
    const size_t close = m_text.find("?>", lt + 2);
    if (close == NPOS)
        return Unclosed();
    m_nPos = close + 2;
    return true;
}

bool CScanner::ScanStartTag(size_t lt)
{
    const size_t nNameEnd = NameEnd(lt + 1);
    const size_t gt = StartTagEnd(nNameEnd);
    if (gt == NPOS)
        return Unclosed();
    if (m_text[gt] == '<')
        return Malformed(gt); // a '<' inside a tag: the tag is malformed and left as text
    OpenElement(lt, nNameEnd, gt);
    m_nPos = gt + 1;
    return true;
}

size_t CScanner::NameEnd(size_t nFrom) const
{
    size_t e = nFrom;
    while (e < m_text.size() && !IsNameEnd(m_text[e]))
        ++e;
    return e;
}

template <class Stop> size_t CScanner::FindUnquoted(size_t nFrom, Stop stop) const
{
    char quote = 0;
    for (size_t i = nFrom; i < m_text.size(); ++i) {
        const char c = m_text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (stop(c)) {
            return i;
        }
    }
    return NPOS;
}

size_t CScanner::StartTagEnd(size_t nFrom) const
{
    return FindUnquoted(nFrom, [](char c) { return c == '>' || c == '<'; });
}

size_t CScanner::DoctypeEnd(size_t nFrom) const
{
    int nBrackets = 0;
    return FindUnquoted(nFrom, [&nBrackets](char c) {
        if (c == '[')
            ++nBrackets;
        else if (c == ']')
            --nBrackets;
        return c == '>' && nBrackets <= 0;
    });
}

size_t CScanner::MatchingDepth(std::string_view name) const
{
    size_t nDepth = m_aOpen.size();
    while (nDepth > 0 && Name(m_aOpen[nDepth - 1]) != name)
        --nDepth;
    return nDepth;
}

void CScanner::OpenElement(size_t lt, size_t nNameEnd, size_t gt)
{
    const int32_t parent = m_aOpen.empty() ? 0 : m_aOpen.back();
    if (parent == 0)
        ++m_nRoots;
    GiveText(lt);
    const int32_t idx = static_cast<int32_t>(m_elems.size());
    SElem el;
    el.start = Piece(lt, gt + 1 - lt);
    el.nNameLen = static_cast<uint32_t>(nNameEnd - lt - 1);
    el.nParent = parent;
    el.head = el.end = el.tail = Piece(gt + 1, 0);
    if (m_text[gt - 1] == '/')
        el.nFlags |= XmlIndex::FLAG_EMPTY_TAG;
    m_elems.push_back(el);
    SElem& par = m_elems[parent];
    if (par.nLast)
        m_elems[par.nLast].nNext = idx;
    else
        par.nFirst = idx;
    par.nLast = idx;
    m_nMark = gt + 1;
    if (!(el.nFlags & XmlIndex::FLAG_EMPTY_TAG))
        m_aOpen.push_back(idx);
}

void CScanner::EndUnended(size_t nDepth, size_t nAt)
{
    while (m_aOpen.size() > nDepth) {
        SElem& u = m_elems[m_aOpen.back()];
        u.nFlags |= XmlIndex::FLAG_UNENDED;
        u.end = Piece(nAt, 0);
        m_bOk = false;
        m_aOpen.pop_back();
    }
}

// The text goes to the head of the innermost open element while it has no children, else to the
// tail of its last child.
void CScanner::GiveText(size_t nTo)
{
    SElem& e = m_elems[m_aOpen.empty() ? 0 : m_aOpen.back()];
    SPiece& piece = e.nLast ? m_elems[e.nLast].tail : e.head;
    piece = Piece(m_nMark, nTo - m_nMark);
    m_nMark = nTo;
}

bool CScanner::Malformed(size_t nResume)
{
    m_bOk = false;
    m_nPos = nResume;
    return true;
}

bool CScanner::Unclosed()
{
    m_bOk = false;
    return false;
}

std::string_view CScanner::Name(int32_t nElem) const
{
    const SElem& e = m_elems[nElem];
    return m_text.substr(e.start.nOff + 1, e.nNameLen);
}

} // namespace

namespace XmlScanner {

bool Scan(std::string_view text, XmlIndex::CElemStore& elems)
{
    CScanner scanner(text, elems);
    return scanner.Run();
}

// ---- attributes of a start tag -----------------------------------------------------------------

bool FindAttribute(std::string_view tag, size_t nNameLen, std::string_view name, SAttribute& attr)
{
    size_t i = 1 + nNameLen;
    const size_t n = tag.size();
    while (i < n) {
        while (i < n && (IsSpace(tag[i]) || tag[i] == '/'))
            ++i;
        if (i >= n || tag[i] == '>')
            return false;
        const size_t nameStart = i;
        while (i < n && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/')
            ++i;
        const std::string_view attrName = tag.substr(nameStart, i - nameStart);
        size_t k = i;
        while (k < n && IsSpace(tag[k]))
            ++k;
        SAttribute found;
        found.nValueOff = i;
        if (k < n && tag[k] == '=') {
            ++k;
            while (k < n && IsSpace(tag[k]))
                ++k;
            found.bHasValue = true;
            found.nValueOff = k;
            if (k < n && (tag[k] == '"' || tag[k] == '\'')) {
                size_t close = tag.find(tag[k], k + 1);
                if (close == NPOS)
                    close = n - 1;
                found.nValueLen = close + 1 - k; // with the quotes
                i = close + 1;
            } else {
                size_t e = k;
                while (e < n && !IsSpace(tag[e]) && tag[e] != '>')
                    ++e;
                found.nValueLen = e - k;
                i = e;
            }
        }
        if (attrName == name) {
            attr = found;
            return true;
        }
        if (attrName.empty())
            ++i; // a stray character: step over it
    }
    return false;
}

} // namespace XmlScanner
