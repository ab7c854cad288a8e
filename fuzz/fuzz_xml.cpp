// The XML markup engine and the workbook's cell reading on arbitrary bytes.

#include "fuzz/FuzzCheck.h"
#include "platform/CodePage.h"
#include "sheet/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CodePage::SetAnsiCodePage(1252);
    const std::string bytes(reinterpret_cast<const char*>(pData), nSize);
    CXmlDoc doc;
    doc.LoadBytes(bytes);

    // Text without mark, zero bytes or declaration that starts with a tag is UTF-8 held as it is,
    // so it is written back byte for byte, well-formed or not.
    std::string head = bytes.substr(0, 1024);
    for (char& c : head)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (!bytes.empty() && bytes[0] == '<' && bytes.find('\0') == std::string::npos &&
        head.find("encoding") == std::string::npos && head.find("charset") == std::string::npos)
        FUZZ_CHECK(doc.SaveBytes() == bytes);
    else
        doc.SaveBytes();

    // Walk the tree the way the workbook does, reading names, attributes and text on the way.
    doc.Rewind();
    int nSteps = 0;
    while (doc.NextElement() && ++nSteps < 1000) {
        doc.CurrentTag();
        doc.CurrentText();
        doc.CurrentTextContent();
        doc.CurrentAttribute("ss:Index");
        doc.MarkPosition();
        while (doc.NextChild() && ++nSteps < 1000) {
            doc.ChildAttribute("ss:Name");
        }
        doc.RewindChildren();
        if (doc.NextChild()) {
            doc.EnterChild();
            doc.RewindChildren();
        } else {
            doc.ReturnToMark();
        }
    }
    doc.Rewind();
    if (doc.NextChild()) {
        const uint64_t nEdits = doc.EditCount();
        FUZZ_CHECK(doc.AppendChild("Row", "a<&>"));
        FUZZ_CHECK(doc.SetChildAttribute("ss:Index", 3));
        FUZZ_CHECK(doc.ChildAttribute("ss:Index") == "3");
        FUZZ_CHECK(doc.EditCount() > nEdits);
        FUZZ_CHECK(doc.SaveBytes().size() > 0);
    }

    // Conversions between code pages chosen by the first two bytes.
    static const uint32_t s_aCodePages[] = {1252,  65001, 936,   932,   950,   949,   1200,
                                            1201,  12000, 12001, 65000, 50220, 50225, 52936,
                                            54936, 37,    20127, 1251,  874,   99999};
    const size_t nPages = sizeof s_aCodePages / sizeof s_aCodePages[0];
    if (nSize >= 2) {
        const uint32_t from = s_aCodePages[pData[0] % nPages], to = s_aCodePages[pData[1] % nPages];
        const std::string text = bytes.substr(2);
        CodePage::Convert(text, from, to);
        CodePage::FromUtf16(CodePage::ToUtf16(text, from), to);
        if (CodePage::IsSupported(from)) {
            // Text in UTF-8 survives UTF-16 and back unchanged.
            const std::string utf8 = CodePage::Convert(text, from, CodePage::CP_UTF8);
            FUZZ_CHECK(CodePage::FromUtf16(CodePage::ToUtf16(utf8, CodePage::CP_UTF8), CodePage::CP_UTF8) ==
                           utf8 ||
                       from == CodePage::CP_UTF8);
        }
        std::string one;
        CodePage::EncodeChar(static_cast<char32_t>(nSize * 7919u), to, one);
    }
    return 0;
}
