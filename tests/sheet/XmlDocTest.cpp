#include "sheet/XmlDoc.h"

#include "platform/CodePage.h"

#include "tests/TestUtil.h"

#include <functional>

namespace {

class XmlDocTest : public ::testing::Test
{
protected:
    // Loads text and moves into the root element (the root is current, no child position).
    void Load(const std::string& strText)
    {
        ASSERT_TRUE(m_doc.LoadBytes(strText)) << strText;
        ASSERT_TRUE(m_doc.NextElement());
    }

    CCodePageScope m_ansi{1252};
    CXmlDoc m_doc;
};

std::string Utf16Le(const std::string& strAscii)
{
    std::string out;
    for (char c : strAscii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

TEST_F(XmlDocTest, ByteOrderMarkDecidesAndIsWrittenAgain)
{
    // Declares Latin-1, but the mark says UTF-8: e acute is C3 A9.
    const std::string file = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xC3\xA9</a>";
    Load(file);
    EXPECT_EQ("caf\xE9", m_doc.CurrentText());
    EXPECT_EQ("UTF-8", m_doc.GetEncoding());
    EXPECT_EQ(file, m_doc.SaveBytes());

    // UTF-16 with either mark; the text is read and written back unit for unit.
    const std::string le =
        "\xFF\xFE" + Utf16Le("<a x=\"1\">caf") + "\xE9" + std::string(1, '\0') + Utf16Le("</a>");
    Load(le);
    EXPECT_EQ("caf\xE9", m_doc.CurrentText());
    EXPECT_EQ("1", m_doc.CurrentAttribute("x"));
    EXPECT_EQ(le, m_doc.SaveBytes());
    std::string be = "\xFE\xFF";
    for (char c : std::string("<a>z</a>")) {
        be += '\0';
        be += c;
    }
    Load(be);
    EXPECT_EQ("z", m_doc.CurrentText());
    m_doc.AppendChild("b", "\xE9");
    EXPECT_EQ(std::string("\xFE\xFF\0<\0a\0>\0z\0<\0b\0>\0\xE9\0<\0/\0b\0>\0\r\0\n\0<\0/\0a\0>", 38),
              m_doc.SaveBytes());
}

TEST_F(XmlDocTest, DeclaredAndDefaultEncodings)
{
    // No mark, no declaration, '<' first: UTF-8 in and out.
    Load("<a>\xC3\xA9</a>");
    EXPECT_EQ("\xE9", m_doc.CurrentText());
    m_doc.AppendChild("b", "\xE8");
    EXPECT_EQ("<a>\xC3\xA9<b>\xC3\xA8</b>\r\n</a>", m_doc.SaveBytes());

    // Declared Latin-1: the same bytes come back.
    const std::string latin = "<?xml version=\"1.0\" encoding='iso-8859-1'?>\n<a>\xE9</a>";
    Load(latin);
    EXPECT_EQ("\xE9", m_doc.CurrentText());
    EXPECT_EQ(latin, m_doc.SaveBytes());

    // Cyrillic that 1252 cannot hold reads as '?', but the file keeps it.
    const std::string cyr = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><a t=\"\xC4\">\xC4\xE0</a>";
    Load(cyr);
    EXPECT_EQ("??", m_doc.CurrentText());
    EXPECT_EQ("?", m_doc.CurrentAttribute("t"));
    EXPECT_EQ(cyr, m_doc.SaveBytes());
    {
        CCodePageScope ansi(1251);
        EXPECT_EQ("\xC4\xE0", m_doc.CurrentText());
    }

    // HTML declares its charset in a meta element.
    Load("<html><head><META http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1251\"></META>"
         "</head><body>\xC4</body></html>");
    EXPECT_EQ("Windows-1251", m_doc.GetEncoding());

    // An unknown encoding name: the bytes are taken as they are and written back unchanged.
    const std::string unknown = "<?xml version=\"1.0\" encoding=\"x-no-such\"?><a>\xE9\x81</a>";
    Load(unknown);
    EXPECT_EQ("\xE9\x81", m_doc.CurrentText());
    EXPECT_EQ(unknown, m_doc.SaveBytes());
    {
        // Also when the ANSI code page has changed since.
        CCodePageScope ansi(1251);
        EXPECT_EQ(unknown, m_doc.SaveBytes());
    }
}

TEST_F(XmlDocTest, WideEncodingsDeclaredWithoutMark)
{
    // The declaration is found between the zero bytes, and the file is written back as it came.
    const std::string u16 = Utf16Le("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>x") + "\xE9" +
                            std::string(1, '\0') + Utf16Le("</a>");
    Load(u16);
    EXPECT_EQ("x\xE9", m_doc.CurrentText());
    EXPECT_EQ(u16, m_doc.SaveBytes());
    std::string u32;
    for (char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-32\"?><a>y</a>")) {
        u32 += c;
        u32 += std::string(3, '\0');
    }
    Load(u32);
    EXPECT_EQ("y", m_doc.CurrentText());
    EXPECT_EQ(u32, m_doc.SaveBytes());
}

TEST_F(XmlDocTest, UndeclaredTextNotStartingWithATag)
{
    // Valid UTF-8 is taken as UTF-8, anything else as ANSI.
    ASSERT_TRUE(m_doc.LoadBytes("\n<a>\xC3\xA9</a>"));
    ASSERT_TRUE(m_doc.NextElement("a"));
    EXPECT_EQ("\xE9", m_doc.CurrentText());
    ASSERT_TRUE(m_doc.LoadBytes("\n<a>\xE9</a>"));
    ASSERT_TRUE(m_doc.NextElement("a"));
    EXPECT_EQ("\xE9", m_doc.CurrentText());
    // Zero bytes are dropped.
    ASSERT_TRUE(m_doc.LoadBytes(std::string("<a>x\0y</a>", 10)));
    ASSERT_TRUE(m_doc.NextElement("a"));
    EXPECT_EQ("xy", m_doc.CurrentText());
}

TEST_F(XmlDocTest, WellFormedness)
{
    for (const char* bad : {"<a/><b/>", "<a></Row></a>", "<a><Cell></a>", "<a><Cell>", "<a>< b/></a>",
                            "<a><!x></a>", "<a><b c=\"></a>", "<a><!-- open</a>", "<a><![CDATA[x</a>",
                            "<a><?pi</a>", "", "text only", "<a></>x</a>", "<a><b<c/></a>"}) {
        CXmlDoc doc;
        EXPECT_FALSE(doc.LoadBytes(bad)) << bad;
        EXPECT_FALSE(doc.IsWellFormed());
        // Indexed as far as it goes, and written back as it was.
        EXPECT_EQ(bad, doc.SaveBytes()) << bad;
    }
    const std::string good =
        "<?xml version=\"1.0\"?>\r\n<!DOCTYPE a [ <!ENTITY e \"x>\"> ]>\r\n<!-- c -->"
        "<a k='>' l=\"<>\"><![CDATA[<b></b>]]><?pi <x>?><b/><c></c ></a>\r\n<!-- end -->";
    EXPECT_TRUE(m_doc.LoadBytes(good));
    EXPECT_EQ(good, m_doc.SaveBytes());
    ASSERT_TRUE(m_doc.NextElement("a"));
    EXPECT_EQ(">", m_doc.CurrentAttribute("k"));
    EXPECT_TRUE(m_doc.NextChild("b"));
    EXPECT_TRUE(m_doc.NextChild("c"));
    EXPECT_FALSE(m_doc.NextChild());
    // Deep nesting is no problem for loading or saving.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<d>";
    for (int i = 0; i < 100000; ++i)
        deep += "</d>";
    EXPECT_TRUE(m_doc.LoadBytes(deep));
    EXPECT_EQ(deep, m_doc.SaveBytes());
    EXPECT_FALSE(m_doc.LoadFile("/no/such/file.xml"));
}

TEST_F(XmlDocTest, Navigation)
{
    ASSERT_TRUE(m_doc.LoadBytes("<W><S n=\"1\"><T/></S><X/><S n=\"2\"/></W>"));
    // With the cursor all none, NextChild first moves to the root element.
    EXPECT_TRUE(m_doc.NextChild("S"));
    EXPECT_EQ("W", m_doc.CurrentTag());
    EXPECT_EQ("1", m_doc.ChildAttribute("n"));
    EXPECT_TRUE(m_doc.NextChild("S"));
    EXPECT_EQ("2", m_doc.ChildAttribute("n"));
    EXPECT_FALSE(m_doc.NextChild("S")); // nothing moves
    EXPECT_EQ("2", m_doc.ChildAttribute("n"));
    EXPECT_FALSE(m_doc.NextChild("s")); // names are compared exactly
    m_doc.RewindChildren();
    EXPECT_TRUE(m_doc.NextChild());
    EXPECT_EQ("1", m_doc.ChildAttribute("n"));
    EXPECT_TRUE(m_doc.MarkPosition("m"));
    EXPECT_TRUE(m_doc.EnterChild());
    EXPECT_EQ("S", m_doc.CurrentTag());
    EXPECT_TRUE(m_doc.NextChild("T"));
    EXPECT_TRUE(m_doc.NextElement("S")); // the next S sibling after the current one
    EXPECT_EQ("2", m_doc.CurrentAttribute("n"));
    EXPECT_EQ("", m_doc.ChildAttribute("n")); // child position cleared
    EXPECT_FALSE(m_doc.NextElement("S"));
    EXPECT_EQ("2", m_doc.CurrentAttribute("n"));
    EXPECT_TRUE(m_doc.ReturnToMark("m"));
    EXPECT_EQ("W", m_doc.CurrentTag());
    EXPECT_EQ("1", m_doc.ChildAttribute("n"));
    EXPECT_FALSE(m_doc.ReturnToMark("other"));
    EXPECT_TRUE(m_doc.MarkPosition("m")); // replaced
    m_doc.Rewind();
    EXPECT_EQ("", m_doc.CurrentTag());
    EXPECT_FALSE(m_doc.EnterChild());
    EXPECT_FALSE(m_doc.AppendChild("x"));
    EXPECT_FALSE(m_doc.SetCurrentAttribute("a", "b"));
    EXPECT_TRUE(m_doc.ReturnToMark("m"));
    EXPECT_EQ("W", m_doc.CurrentTag());
    // Entering with no child position leaves no current element.
    m_doc.RewindChildren();
    EXPECT_TRUE(m_doc.EnterChild());
    EXPECT_EQ("", m_doc.CurrentTag());
}

TEST_F(XmlDocTest, AppendChildText)
{
    // An empty-element tag with attributes becomes start tag, CR LF, child, CR LF, end tag.
    Load("<W>\r\n  <Table a=\"1\" />\r\n</W>");
    ASSERT_TRUE(m_doc.NextChild("Table"));
    ASSERT_TRUE(m_doc.EnterChild());
    ASSERT_TRUE(m_doc.AppendChild("Row"));
    EXPECT_EQ("<W>\r\n  <Table a=\"1\" >\r\n<Row/>\r\n</Table>\r\n</W>", m_doc.SaveBytes());
    // After the child position: over the white space when a tag follows.
    ASSERT_TRUE(m_doc.AppendChild("Row", "a<b>&c"));
    EXPECT_EQ("<W>\r\n  <Table a=\"1\" >\r\n<Row/>\r\n<Row>a&lt;b&gt;&amp;c</Row>\r\n</Table>\r\n</W>",
              m_doc.SaveBytes());

    // An empty content gets a line break in front too; text after the child position keeps its
    // place after the new element when no tag follows the white space.
    Load("<a><b></b></a>");
    ASSERT_TRUE(m_doc.NextChild("b"));
    ASSERT_TRUE(m_doc.EnterChild());
    ASSERT_TRUE(m_doc.AppendChild("c"));
    EXPECT_EQ("<a><b>\r\n<c/>\r\n</b></a>", m_doc.SaveBytes());
    Load("<a><b/> text<c/></a>");
    ASSERT_TRUE(m_doc.NextChild("b"));
    ASSERT_TRUE(m_doc.AppendChild("n", "\"q'"));
    EXPECT_EQ("<a><b/><n>\"q'</n>\r\n text<c/></a>", m_doc.SaveBytes());
    // Without child position the new element goes at the end tag, after the last child.
    Load("<a>\n  <b/>\n  <c/>\n</a>");
    ASSERT_TRUE(m_doc.AppendChild("d"));
    EXPECT_EQ("<a>\n  <b/>\n  <c/>\n<d/>\r\n</a>", m_doc.SaveBytes());
    // It is the child position, in the child list where its text is.
    EXPECT_TRUE(m_doc.SetChildAttribute("k", 5));
    m_doc.RewindChildren();
    EXPECT_TRUE(m_doc.NextChild("c"));
    EXPECT_TRUE(m_doc.NextChild());
    EXPECT_EQ("5", m_doc.ChildAttribute("k"));
    EXPECT_FALSE(m_doc.NextChild());
    // Names that would break the markup are refused.
    EXPECT_FALSE(m_doc.AppendChild(""));
    EXPECT_FALSE(m_doc.AppendChild("a b"));
    EXPECT_FALSE(m_doc.SetCurrentAttribute("x=\"y\"", "1"));
}

TEST_F(XmlDocTest, Attributes)
{
    Load("<a x='a&amp;b' y=\"1\" z=plain flag/>");
    EXPECT_EQ("a&b", m_doc.CurrentAttribute("x"));
    EXPECT_EQ("plain", m_doc.CurrentAttribute("z"));
    std::string v = "x";
    EXPECT_TRUE(m_doc.FindCurrentAttribute("flag", v));
    EXPECT_EQ("", v);
    EXPECT_FALSE(m_doc.FindCurrentAttribute("X", v));
    EXPECT_TRUE(m_doc.SetCurrentAttribute("x", "a&b<\"'>"));
    EXPECT_TRUE(m_doc.SetCurrentAttribute("z", -12));
    EXPECT_TRUE(m_doc.SetCurrentAttribute("new", "n"));
    EXPECT_EQ("<a x=\"a&amp;b&lt;&quot;&apos;&gt;\" y=\"1\" z=\"-12\" flag new=\"n\"/>", m_doc.SaveBytes());
    EXPECT_EQ("a&b<\"'>", m_doc.CurrentAttribute("x"));
    EXPECT_FALSE(m_doc.SetChildAttribute("c", "1")); // no child position

    Load("<a b=\"1\"><c/></a>");
    EXPECT_TRUE(m_doc.SetCurrentAttribute("d", "2"));
    EXPECT_EQ("<a b=\"1\" d=\"2\"><c/></a>", m_doc.SaveBytes());
}

TEST_F(XmlDocTest, ReferencesAndText)
{
    Load("<a>&#x41;&#66;&lt;&GT;&amp;&quot;&apos; &eacute;&Eacute;&EACUTE; &euro; &nosuch; &#x4E00; "
         "&thetasym1; &amp <![CDATA[&amp;<x>]]><!-- c --><?p x?>&#0;</a>");
    EXPECT_EQ("AB<>&\"' \xE9\xC9\xC9 \x80 &nosuch; &#x4E00; &thetasym1; &amp &amp;<x>&#0;",
              m_doc.CurrentText());
    {
        // A reference the ANSI code page can hold is decoded into it.
        CCodePageScope ansi(936);
        EXPECT_NE(std::string::npos, m_doc.CurrentText().find("\xD2\xBB"));
    }
    // Case decides between names that differ only in case.
    Load("<a>&Alpha;&alpha;&ALPHA;&Dagger;&dagger;</a>");
    {
        CCodePageScope ansi(CodePage::CP_UTF8);
        EXPECT_EQ("\xCE\x91\xCE\xB1\xCE\x91\xE2\x80\xA1\xE2\x80\xA0", m_doc.CurrentText());
    }
    // Elements with children and empty-element tags have no text of their own.
    Load("<a>x<b>y<c>z</c></b>w<e/></a>");
    EXPECT_EQ("", m_doc.CurrentText());
    EXPECT_EQ("xyzw", m_doc.CurrentTextContent());
    ASSERT_TRUE(m_doc.NextChild("e"));
    ASSERT_TRUE(m_doc.EnterChild());
    EXPECT_EQ("", m_doc.CurrentText());
    EXPECT_EQ("", m_doc.CurrentTextContent());
}

TEST_F(XmlDocTest, SetChildTextReplacesContent)
{
    Load("<a><d t=\"1\">old<i>x</i></d><e/></a>");
    ASSERT_TRUE(m_doc.NextChild("d"));
    ASSERT_TRUE(m_doc.SetChildText("n&w"));
    ASSERT_TRUE(m_doc.NextChild("e"));
    ASSERT_TRUE(m_doc.SetChildText("e"));
    EXPECT_EQ("<a><d t=\"1\">n&amp;w</d><e>e</e></a>", m_doc.SaveBytes());
}

TEST_F(XmlDocTest, MarkInsideReplacedContentIsRefused)
{
    // Marks taken inside X; then X's content is replaced, which cuts Y and Z out of the document.
    // A mark that points into them must not come back: an edit there would report success and
    // never be saved. The cursor then stays where it is, and every edit that succeeds is saved.
    struct SMark
    {
        const char* pszName;
        std::function<void(CXmlDoc&)> go;
        bool bLive;
    };
    const SMark marks[] = {
        {"child position cut out", [](CXmlDoc& d) { d.NextChild("X") && d.EnterChild() && d.NextChild("Y"); },
         false},
        {"current element cut out",
         [](CXmlDoc& d) {
             d.NextChild("X") && d.EnterChild() && d.NextChild("Y") && d.EnterChild() && d.NextChild("Z");
         },
         false},
        {"parent position cut out",
         [](CXmlDoc& d) {
             d.NextChild("X") && d.EnterChild() && d.NextChild("Y") && d.EnterChild() && d.EnterChild();
         },
         false},
        {"replaced element itself", [](CXmlDoc& d) { d.NextChild("X"); }, true},
        {"inside the replaced element", [](CXmlDoc& d) { d.NextChild("X") && d.EnterChild(); }, true},
    };
    struct SEdit
    {
        const char* pszName;
        std::function<bool(CXmlDoc&)> edit;
        const char* pszSaved; // what a successful edit leaves in the text
    };
    const SEdit edits[] = {
        {"AppendChild", [](CXmlDoc& d) { return d.AppendChild("N"); }, "<N/>"},
        {"AppendChild with text", [](CXmlDoc& d) { return d.AppendChild("N", "n"); }, "<N>n</N>"},
        {"SetChildText", [](CXmlDoc& d) { return d.SetChildText("n"); }, ">n</"},
        {"SetChildAttribute", [](CXmlDoc& d) { return d.SetChildAttribute("k", 7); }, " k=\"7\""},
        {"SetCurrentAttribute", [](CXmlDoc& d) { return d.SetCurrentAttribute("k", "v"); }, " k=\"v\""},
        {"NextChild, AppendChild", [](CXmlDoc& d) { return d.NextChild() && d.AppendChild("N"); }, "<N/>"},
        {"NextElement, SetCurrentAttribute",
         [](CXmlDoc& d) { return d.NextElement() && d.SetCurrentAttribute("k", "v"); }, " k=\"v\""},
        {"EnterChild, AppendChild", [](CXmlDoc& d) { return d.EnterChild() && d.AppendChild("N"); }, "<N/>"},
    };
    for (const SMark& mark : marks) {
        for (const SEdit& edit : edits) {
            SCOPED_TRACE(std::string(mark.pszName) + " / " + edit.pszName);
            ASSERT_TRUE(m_doc.LoadBytes("<R><X a=\"1\">x<Y><Z/></Y></X><V/></R>"));
            mark.go(m_doc);
            ASSERT_TRUE(m_doc.MarkPosition());
            m_doc.Rewind();
            ASSERT_TRUE(m_doc.NextChild("X"));
            ASSERT_TRUE(m_doc.SetChildText("t"));
            const int32_t cur = m_doc.CurrentElement(), child = m_doc.ChildElement();
            const std::string before = m_doc.SaveBytes();
            ASSERT_EQ("<R><X a=\"1\">t</X><V/></R>", before);

            EXPECT_EQ(mark.bLive, m_doc.ReturnToMark());
            if (!mark.bLive) {
                EXPECT_EQ(cur, m_doc.CurrentElement());
                EXPECT_EQ(child, m_doc.ChildElement());
            }
            EXPECT_EQ(before, m_doc.SaveBytes());
            if (edit.edit(m_doc))
                EXPECT_NE(std::string::npos, m_doc.SaveBytes().find(edit.pszSaved)) << m_doc.SaveBytes();
            else
                EXPECT_EQ(before, m_doc.SaveBytes());
        }
    }

    // A remembered handle of an element that was cut out cannot be made the child position again.
    ASSERT_TRUE(m_doc.LoadBytes("<R><X><Y/></X></R>"));
    ASSERT_TRUE(m_doc.NextChild("X") && m_doc.EnterChild() && m_doc.NextChild("Y"));
    const int32_t y = m_doc.ChildElement();
    m_doc.Rewind();
    ASSERT_TRUE(m_doc.NextChild("X") && m_doc.SetChildText("t") && m_doc.EnterChild());
    EXPECT_FALSE(m_doc.SetChildElement(y));
    EXPECT_TRUE(m_doc.AppendChild("N"));
    EXPECT_EQ("<R><X>t<N/>\r\n</X></R>", m_doc.SaveBytes());
}

TEST_F(XmlDocTest, SaveFileWritesTheFile)
{
    CTempDir dir;
    Load("<a/>");
    ASSERT_TRUE(m_doc.AppendChild("b"));
    ASSERT_TRUE(m_doc.SaveFile(dir.File("x.xml")));
    EXPECT_EQ("<a>\r\n<b/>\r\n</a>", ReadText(dir.File("x.xml")));
    EXPECT_FALSE(m_doc.SaveFile(dir.File("missing/x.xml")));
    CXmlDoc again;
    EXPECT_TRUE(again.LoadFile(dir.File("x.xml")));
    EXPECT_EQ("<a>\r\n<b/>\r\n</a>", again.GetDocText());
}

TEST_F(XmlDocTest, MutatedDocumentsStayInsideTheirTextAndSaveUnchanged)
{
    const std::string base =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!DOCTYPE W [<!ENTITY e \"v\">]><W a=\"1\" b='x&amp;y'>\r\n <S n=\"s\"><T c=\"2\"/>\r\n"
        "<R><C i=\"3\"><D t=\"s\">caf\xC3\xA9 &lt;&#x41;&eacute;</D></C><C/></R>"
        "<!-- note --><?pi data?><![CDATA[<raw>]]></S>\r\n<X>text</X></W>\r\n";
    const char alphabet[] = "<>/!?\"'&;=[]-# \r\nxDC\xC3\xA9";
    uint32_t seed = 2024;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const size_t keep = base.find('\n') + 1; // the declaration stays as it is
    for (int round = 0; round < 3000; ++round) {
        std::string text = base;
        for (uint32_t k = 1 + next(4); k > 0; --k) {
            const size_t at = keep + next(static_cast<uint32_t>(text.size() - keep));
            const char c = alphabet[next(sizeof alphabet - 1)];
            switch (next(3)) {
            case 0:
                text[at] = c;
                break;
            case 1:
                text.insert(at, 1, c);
                break;
            default:
                text.erase(at, 1);
            }
        }
        CXmlDoc doc;
        doc.LoadBytes(text);
        ASSERT_EQ(text, doc.SaveBytes()) << "round " << round;
        // Walk every element and read it; then edit the first one found.
        doc.Rewind();
        int visited = 0;
        while (doc.NextElement() && visited < 200) {
            ++visited;
            doc.CurrentText();
            doc.CurrentTextContent();
            doc.CurrentAttribute("a");
            if (doc.NextChild()) {
                doc.ChildAttribute("n");
                doc.EnterChild();
                doc.RewindChildren();
            }
        }
        doc.Rewind();
        if (doc.NextChild()) {
            doc.AppendChild("N", "t<");
            doc.SetChildAttribute("k", "v\"");
            doc.SetCurrentAttribute("b", 7);
            EXPECT_NE(std::string::npos, doc.SaveBytes().find("<N k=\"v&quot;\">t&lt;</N>"));
        }
    }
}
