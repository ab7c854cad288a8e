#pragma once

#include "sheet/XmlIndex.h"
#include "sheet/XmlText.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

// One XML document in memory, walked and edited through a cursor.
//
// The document is kept as a tree of element records whose text (start tag, content before the
// first child, end tag, text after the element) lives in one append-only text store; the file text
// is that tree written out in order. An edit rewrites only the pieces it touches, so appending to a
// large document does not move the rest of it.
//
// Texts passed in and out (tag names, attribute values, element text) are in the process-wide
// ANSI code page. The document itself is held in the code page of the file when that is the ANSI
// code page (or an encoding this system does not know, which is taken as ANSI), and in UTF-8
// otherwise, so that characters the ANSI code page cannot hold survive a load and a save.
//
// Cursor: a parent position, a current element (a child of the parent position) and a child
// position (a child of the current element); 0 means none. Element handles stay valid across
// edits.
class CXmlDoc
{
public:
    CXmlDoc();

    // Reads a file: byte order mark, then declared encoding (XML declaration, or an HTML meta
    // Content-Type), else UTF-8. False when the file cannot be read or is not well-formed (the
    // document then holds what could be indexed).
    bool LoadFile(const std::string& strPath);
    // The same for the bytes of a file.
    bool LoadBytes(std::string strBytes);
    // Writes the document with the byte order mark and encoding it was read with (else the
    // encoding of its XML declaration, else UTF-8), through a temporary file renamed over strPath.
    bool SaveFile(const std::string& strPath) const;
    // The bytes SaveFile writes.
    std::string SaveBytes() const;
    // The whole document text in the ANSI code page.
    std::string GetDocText() const;
    bool IsWellFormed() const { return m_bWellFormed; }
    // Grows with every edit, so that callers can tell whether what they read is still current.
    uint64_t EditCount() const { return m_nEdits; }
    // Encoding name found when loading (from the mark or the declaration; empty when none).
    const std::string& GetEncoding() const { return m_strEncoding; }

    // Navigation. Names are compared exactly; an empty name matches any element.
    void Rewind();
    bool NextElement(const std::string& strName = std::string());
    bool NextChild(const std::string& strName = std::string());
    bool EnterChild();
    void RewindChildren();

    // Like NextElement and NextChild, matching either of two names (the second may be empty).
    bool NextElementEither(const std::string& strName, const std::string& strAltName);
    bool NextChildEither(const std::string& strName, const std::string& strAltName);

    std::string CurrentTag() const;
    std::string CurrentAttribute(const std::string& strName) const;
    std::string ChildAttribute(const std::string& strName) const;
    // Whether the current element's start tag has the attribute; its decoded value in strValue.
    bool FindCurrentAttribute(const std::string& strName, std::string& strValue) const;
    // Text of the current element when it has no child elements and is not an empty-element tag.
    std::string CurrentText() const;
    // All text inside the current element, that of nested elements included.
    std::string CurrentTextContent() const;

    // Edits. AppendChild inserts <name/> or <name>text</name> as a new child of the current element
    // (after the child position, else at the end) and makes it the child position.
    bool AppendChild(const std::string& strName, const std::string& strText = std::string());
    // Replaces the content of the child position with the escaped text (nested elements removed).
    bool SetChildText(const std::string& strText);
    bool SetCurrentAttribute(const std::string& strName, const std::string& strValue);
    bool SetCurrentAttribute(const std::string& strName, int32_t nValue);
    bool SetChildAttribute(const std::string& strName, const std::string& strValue);
    bool SetChildAttribute(const std::string& strName, int32_t nValue);

    bool MarkPosition(const std::string& strLabel = std::string());
    // Restores the cursor saved under strLabel. False, and the cursor stays, when there is none or
    // when SetChildText has since cut the marked place out of the document: edits there would
    // report success and never be saved.
    bool ReturnToMark(const std::string& strLabel = std::string());

    // Element handles of the cursor, for callers that remember a place and come back to it.
    int32_t CurrentElement() const { return m_cursor.nCurrent; }
    int32_t ChildElement() const { return m_cursor.nChild; }
    // Makes nElem (a child of the current element, or 0) the child position.
    bool SetChildElement(int32_t nElem);

private:
    using SPiece = XmlIndex::SPiece;
    using SElem = XmlIndex::SElem;
    struct SCursor
    {
        int32_t nParent = 0;
        int32_t nCurrent = 0;
        int32_t nChild = 0;
    };
    enum class Bom
    {
        None,
        Utf8,
        Utf16Le,
        Utf16Be
    };

    // Loading and saving (XmlDocFile.cpp).
    void Parse(std::string strText);
    std::string Serialize() const;

    // Navigation and reading (XmlDoc.cpp).
    std::string_view View(SPiece piece) const
    {
        return std::string_view(m_strText).substr(piece.nOff, piece.nLen);
    }
    std::string_view Name(int32_t nElem) const;
    bool Matches(int32_t nElem, const std::string& strName, const std::string& strAlt) const;
    int32_t FindSibling(int32_t nFrom, const std::string& strName, const std::string& strAlt) const;
    // Whether nElem (or 0, the document) is still in the document: the elements under content that
    // SetChildText replaced keep their records, but the chain of parents ends at -1.
    bool InDocument(int32_t nElem) const;
    bool GetAttribute(int32_t nElem, const std::string& strName, std::string& strValue) const;
    void AppendContent(int32_t nElem, std::string& strOut) const;

    // Edits (XmlDocEdit.cpp).
    // Appends text to the store (the parts one after the other) and returns where it is. The parts
    // must not point into the store, which the append may move.
    SPiece Store(std::initializer_list<std::string_view> parts);
    bool SetAttribute(int32_t nElem, const std::string& strName, const std::string& strValue);

    std::string m_strText;            // text store: the loaded text, then the text of every edit
    XmlIndex::CElemStore m_aElems;    // [0] stands for the document
    XmlText::CDocCodePage m_codePage; // code page of the text store
    SCursor m_cursor;
    std::map<std::string, SCursor> m_marks;
    std::string m_strEncoding;
    Bom m_bom = Bom::None;
    bool m_bWellFormed = false;
    SPiece m_crlf; // one CR LF in the store, shared by the pieces that need it
    uint64_t m_nEdits = 0;
};
