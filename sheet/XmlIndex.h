#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The element index of CXmlDoc (private to the XML engine). Every element is one record whose text
// lives in four pieces of the document's text store; the document text is the records written out
// in tree order: for each element its start tag, its head, its children, its end tag, its tail.

namespace XmlIndex {

// A stretch of the text store, by offset and length.
struct SPiece
{
    uint32_t nOff = 0;
    uint32_t nLen = 0;
};

enum : uint8_t
{
    FLAG_EMPTY_TAG = 1, // written as <name .../>
    FLAG_UNENDED = 2,   // start tag without end tag (ill-formed)
};

struct SElem
{
    SPiece start;        // the start tag (the whole element for an empty-element tag)
    SPiece head;         // content before the first child (all content when there is none)
    SPiece end;          // the end tag
    SPiece tail;         // text after the end tag up to the next sibling or the parent's end tag
    int32_t nParent = 0; // -1 for an element whose parent's content was replaced
    int32_t nFirst = 0;
    int32_t nLast = 0;
    int32_t nNext = 0;
    uint32_t nNameLen = 0; // the name follows the '<' of the start tag
    uint8_t nFlags = 0;
};

// Element records in chunks that never move: growing the index copies nothing, and a reference to
// a record stays valid while records are added.
class CElemStore
{
public:
    // Leaves record 0 only, which stands for the document.
    void Reset()
    {
        m_chunks.clear();
        m_nSize = 0;
        push_back(SElem());
    }
    size_t size() const { return m_nSize; }
    SElem& operator[](size_t i) { return m_chunks[i >> SHIFT][i & MASK]; }
    const SElem& operator[](size_t i) const { return m_chunks[i >> SHIFT][i & MASK]; }
    void push_back(const SElem& e)
    {
        if ((m_nSize >> SHIFT) >= m_chunks.size())
            m_chunks.emplace_back(new SElem[size_t(1) << SHIFT]);
        (*this)[m_nSize++] = e;
    }

private:
    static constexpr size_t SHIFT = 10;
    static constexpr size_t MASK = (size_t(1) << SHIFT) - 1;
    std::vector<std::unique_ptr<SElem[]>> m_chunks;
    size_t m_nSize = 0;
};

} // namespace XmlIndex
