// Input meant to break the layer: deep nesting, broken and foreign encodings,
// entities, characters XML forbids, paths that cannot be built.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/mfc/gbk.h"
#include "platform/xml/base_xml.h"
#include "platform/xml/xml_file.h"
#include "platform/xml/xml_check.h"
#include "tests/platform/xml/temp_folder.h"

class XmlHostile : public TempFolderTest {};

TEST_F(XmlHostile, DeepDocumentsLoadReadAndSaveInLinearSpace) {
    // 200,000 levels: a walk that recursed per level would run out of stack.
    const int depth = 200000;
    std::string text;
    text.reserve(depth * 8);
    for (int i = 0; i < depth; ++i) text += "<a>";
    text += "deep";
    for (int i = 0; i < depth; ++i) text += "</a>";
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("deep.xml", text).c_str())) << xml.LastError();
    EXPECT_EQ(xml.GetDocumentElement().GetText(), "deep");
    ASSERT_TRUE(xml.SaveAs(PathOf("out.xml").c_str())) << xml.LastError();
    // Written without indentation: no larger than the input and its declaration.
    EXPECT_LE(ReadFile(PathOf("out.xml")).size(), text.size() + 64);
    CBase_XML back;
    ASSERT_TRUE(back.Load(PathOf("out.xml").c_str())) << back.LastError();
    EXPECT_EQ(back.GetDocumentElement().GetText(), "deep");

    // A document of ordinary depth is still indented.
    CBase_XML flat;
    ASSERT_TRUE(flat.Load(WriteFile("flat.xml", "<a><b><c>x</c></b></a>").c_str()));
    ASSERT_TRUE(flat.SaveAs(PathOf("flat_out.xml").c_str()));
    EXPECT_NE(ReadFile(PathOf("flat_out.xml")).find("\n\t\t<c>x</c>"), std::string::npos);
}

TEST_F(XmlHostile, RefusedFilesSayWhyAndWhereAndLeaveAnEmptyDocument) {
    const auto utf16le = [](std::u16string_view text) {
        std::string out = "\xFF\xFE";
        for (const char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return out;
    };
    const std::string ied = "<SCL>\n<IED name=\"B\" type=\"T\" \u3000desc=\"保护装置\"/>\n</SCL>";
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"malformed", "<r>\n  <a>\n  </b>\n</r>", "第3行第5列：XML格式错误"},
        {"bad_utf8", "<r>\n  <a v=\"\xC3\x28\"/>\n</r>", "第2行第9列：字节0xC3不是UTF-8"},
        // Two leading bytes where a vector of the text starts (after a long
        // comment); a stray continuation byte after a character that two
        // vectors share; a character the file's end cuts.
        {"bad_utf8_after_a_long_comment", "<r><!--" + std::string(70, 'x') + "-->\xE6\xE6\x91\x98</r>", "第1行第81列：字节0xE6不是UTF-8"},
        {"bad_utf8_after_a_split_character", "<r>" + std::string(60, 'a') + "过\x87</r>", "第1行第65列：字节0x87不是UTF-8"},
        {"bad_utf8_cut_at_the_end", "<r>a</r>\xE8\xBF", "第1行第9列：字节0xE8不是UTF-8"},
        {"gbk_undeclared", "<r>\n<a>" + kiln::text::Utf8ToGbk("保护") + "</a></r>", "第2行第4列"},
        {"gbk_broken", "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<r>\n\xB1</r>", "第3行"},
        // UTF-8 text under a GB2312 label: the place of 过, whose third byte GB2312 has not.
        {"utf8_as_gb2312", "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<r a=\"过流\"/>", "第2行第7列：字节0x87不是GB2312"},
        {"attribute_twice", "<r>\n  <a v=\"1\" w=\"2\" v=\"3\"/>\n</r>", "第2行第18列：XML格式错误：属性v重复"},
        {"attribute_twice_of_many", "<r a0=\"\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"\" a6=\"\" a7=\"\" a8=\"\" a9=\"\" "
                                    "b0=\"\" b1=\"\" b2=\"\" b3=\"\" b4=\"\" b5=\"\" b6=\"\" b7=\"\" b8=\"\" b9=\"\" b3=\"x\"/>",
         "属性b3重复"},
        // The value's closing quote at the end of a sixteen-byte step, the
        // blank after it at the start of the next; a quote and blank inside
        // a value; a file shorter than one step.
        {"attribute_twice_across_a_step", "<r><a v=\"123456\" v=\"2\"/></r>", "第1行第18列：XML格式错误：属性v重复"},
        {"attribute_twice_after_a_quote_in_a_value", "<r><a v=\"it' s\" v=\"2\"/></r>", "第1行第17列：XML格式错误：属性v重复"},
        {"attribute_twice_after_a_lt_in_a_value", "<r><a v=\"x<\" v=\"2\"/></r>", "第1行第14列：XML格式错误：属性v重复"},
        {"attribute_twice_in_a_short_file", "<a v=\"\" v=\"\"/>", "第1行第9列：XML格式错误：属性v重复"},
        // A quote and a blank in the text right before the tag; a value
        // holding "<<", "<?" or "<!--".
        {"attribute_twice_after_a_quoted_text", "<SCL><DOI name=\"Op\">\"x\" <DAI name=\"general\" sAddr=\"B01\" sAddr=\"B02\"/></DOI></SCL>",
         "第1行第57列：XML格式错误：属性sAddr重复"},
        {"attribute_twice_after_two_lt_in_a_value", "<r><a desc=\"a<<b\" x=\"1\" desc=\"2\"/></r>", "第1行第25列：XML格式错误：属性desc重复"},
        {"attribute_twice_after_a_pi_in_a_value", "<I p=\"<?\" p=\"\"/>", "第1行第11列：XML格式错误：属性p重复"},
        {"attribute_twice_after_a_comment_in_a_value", "<I p=\"<!--\" p=\"\"/>", "第1行第13列：XML格式错误：属性p重复"},
        {"attribute_twice_by_namespace", "<r xmlns:s103=\"urn:a\" xmlns:q=\"urn:a\">\n  <c s103:typ=\"7\" q:typ=\"8\"/>\n</r>",
         "第2行第19列：XML格式错误：属性q:typ与s103:typ重复（同属命名空间urn:a）"},
        // The same past the names a tag compares one with another.
        {"attribute_twice_by_namespace_of_many", "<r xmlns:p=\"urn:a\" xmlns:q=\"urn:a\" a0=\"\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"\" "
                                                  "a6=\"\" a7=\"\" a8=\"\" a9=\"\" b0=\"\" b1=\"\" b2=\"\" b3=\"\" b4=\"\" b5=\"\" p:typ=\"7\" q:typ=\"8\"/>",
         "第1行第142列：XML格式错误：属性q:typ与p:typ重复（同属命名空间urn:a）"},
        // Two prefixes and no local part; a value right after the "<".
        {"attribute_twice_by_namespace_without_local_part", "<r xmlns:p=\"urn:a\" xmlns:q=\"urn:a\"><c p:=\"1\" q:=\"2\"/></r>",
         "XML格式错误：属性q:与p:重复（同属命名空间urn:a）"},
        {"value_right_after_the_lt", "<\"\" a=\"1\" b=\"2\"/>", "第1行第2列：XML格式错误"},
        // Values after a bare "=" from the file's second byte on.
        {"values_right_after_an_equals_sign", "<=\"1\" =\"2\"/>", "第1行第2列：XML格式错误"},
        {"cdata_after_the_root", "<r/>\n<!-- c -->\n  <![CDATA[x]]>", "第3行第3列：XML格式错误：根元素之后还有内容"},
        {"cdata_before_the_root", "<?xml version=\"1.0\"?><![CDATA[x]]><r/>", "第1行第22列：XML格式错误：根元素之前还有内容"},
        // A declaration not first, misspelled or out of form; a document
        // type after the root, twice or without a name; an encoding name
        // that is no text, shown escaped; a byte-order mark against the label.
        {"declaration_after_a_comment", "<!-- c --><?xml version=\"1.0\"?><r/>", "第1行第11列：XML格式错误：XML声明只能在文件开头"},
        {"declaration_after_blanks", "\n <?xml version=\"1.0\"?><r/>", "第2行第2列：XML格式错误：XML声明只能在文件开头"},
        {"declaration_in_the_root", "<r><?xml version=\"1.0\"?></r>", "第1行第9列：XML格式错误"},
        {"declaration_out_of_order", "<?xml encoding=\"UTF-8\" version=\"1.0\"?><r/>",
         "第1行第7列：XML格式错误：XML声明的属性依次是version、encoding、standalone（后两者可省），不是encoding"},
        {"declaration_of_version_2", "<?xml version=\"2.0\"?><r/>", "第1行第7列：XML格式错误：XML声明的版本“2.0”不是1.x"},
        {"declaration_with_an_empty_encoding", "<?xml version=\"1.0\" encoding=\"\"?><r/>",
         "第1行第31列：XML格式错误：XML声明的编码名称“”不合XML的写法"},
        {"declaration_misspelled", "<?XML version=\"1.0\"?><r/>", "第1行第1列：XML格式错误：XML声明写作<?xml，不是<?XML"},
        {"encoding_name_no_text", "<?xml version=\"1.0\" encoding=\"\xFF\x01\"?><r/>",
         "第1行第31列：XML格式错误：XML声明的编码名称“\\xFF\\u0001”不合XML的写法"},
        {"bom_against_gb2312", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"GB2312\"?><r a=\"线路\"/>",
         "第1行第32列：文件以UTF-8的字节顺序标记开头，却声明了编码GB2312"},
        // A declaration the parser reads to the file's end, or out of place
        // before a broken tag: named where it stands.
        {"declaration_without_its_end", "<?xml version=\"1.0\" encoding=\"UTF-8\">\n<r>\n<a/>\n</r>\n",
         "第1行第37列：XML格式错误：XML声明没有以“?>”结束"},
        {"declaration_with_a_value_left_open", "<?xml version=\"1.0?>\n<r a=\"1\"/>", "第1行第15列：XML格式错误：XML声明的version的值没有结束引号"},
        {"declaration_misplaced_before_a_broken_tag", "<!-- c -->\n<?xml version=\"1.0\"?>\n<r><a></r>",
         "第2行第1列：XML格式错误：XML声明只能在文件开头"},
        // An encoding no reader knows, also one that starts as a known one;
        // ASCII declared over other bytes.
        {"encoding_unknown", "<?xml version=\"1.0\" encoding=\"x-nothing\"?><r/>", "第1行第31列：文件声明了未知的编码x-nothing"},
        {"encoding_unknown_wide", "<?xml version=\"1.0\" encoding=\"UTF-16PPPP\"?><r a=\"过\"/>", "第1行第31列：文件声明了未知的编码UTF-16PPPP"},
        {"ascii_over_utf8", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n<r a=\"过\"/>",
         "文件内容不符合其声明的编码US-ASCII：第2行第7列：字节0xE8不是ASCII的字符"},
        // A document type whose markup is no declaration, an identifier
        // without its literal, words after the name, an open subset.
        {"doctype_with_a_misspelled_declaration", "<!DOCTYPE ITB [<!ELE5ENT x>]><ITB/>",
         "第1行第16列：XML格式错误：文档类型声明（DOCTYPE）的内部子集中有不是标记声明的内容"},
        {"doctype_system_without_its_uri", "<!DOCTYPE SCL SYSTEM><SCL/>", "第1行第21列：XML格式错误：文档类型声明（DOCTYPE）的SYSTEM后没有用引号括起的系统标识"},
        {"doctype_public_without_its_uri", "<!DOCTYPE SCL PUBLIC \"-//x//EN\" ><SCL/>",
         "XML格式错误：文档类型声明（DOCTYPE）的公共标识后没有用引号括起的系统标识"},
        {"doctype_with_words_after_its_name", "<!DOCTYPE SCL scl.dtd><SCL/>", "第1行第15列：XML格式错误：文档类型声明（DOCTYPE）的名称之后应是SYSTEM、PUBLIC或["},
        {"doctype_after_the_root", "<r/>\n<!DOCTYPE r>", "第2行第1列：XML格式错误：文档类型声明（DOCTYPE）在根元素之后"},
        {"doctype_twice", "<!DOCTYPE r><!DOCTYPE r><r/>", "第1行第13列：XML格式错误：文档类型声明（DOCTYPE）重复"},
        {"doctype_without_a_name", "<?xml version=\"1.0\"?>\n<!DOCTYPE [<!ELEMENT r ANY>]><r/>",
         "第2行第1列：XML格式错误：文档类型声明（DOCTYPE）没有名称"},
        // One the parser reads to the file's end: named where it is left
        // open (a literal, the internal subset) or starts; one in the root.
        {"doctype_system_literal_left_open", "<?xml version=\"1.0\"?>\n<!DOCTYPE SCL SYSTEM \"unterminated>\n<SCL xmlns=\"urn:x\">\n<a b=\"1\"/>\n</SCL>\n",
         "第2行第22列：XML格式错误：文档类型声明（DOCTYPE）的系统标识没有结束引号"},
        {"doctype_public_literal_left_open", "<!DOCTYPE r PUBLIC \"-//x\n<r a=\"1\"/>", "第1行第20列：XML格式错误：文档类型声明（DOCTYPE）的公共标识没有结束引号"},
        {"doctype_subset_left_open", "<!DOCTYPE SCL [\n<!ELEMENT SCL ANY>\n<SCL/>", "第1行第15列：XML格式错误：文档类型声明（DOCTYPE）的内部子集没有以]结束"},
        {"doctype_comment_left_open", "<!DOCTYPE r [<!-- x ]>\n<r/>", "第1行第14列：XML格式错误：文档类型声明（DOCTYPE）的内部子集中有没有结束的声明"},
        {"doctype_without_its_end", "<!-- c -->\n<!DOCTYPE r SYSTEM \"r.dtd\"\n<r/>", "第2行第1列：XML格式错误：文档类型声明（DOCTYPE）没有以“>”结束"},
        {"doctype_in_the_root", "<r>\n<!DOCTYPE r>\n</r>", "第2行第1列：XML格式错误：文档类型声明（DOCTYPE）在根元素之中"},
        // Names holding characters XML does not allow in names, or not at
        // their start, in every encoding: in a start tag, a processing
        // instruction, the DOCTYPE.
        {"name_middle_dot_first", "<r \u00B7b=\"1\"/>", "第1行第4列：XML格式错误：名称不能以字符U+00B7“·”开头"},
        {"name_with_a_half", "<DOType id=\"T\">\n<DO name=\"Mod\" ty\u00BDpe=\"INC_1\"/>\n</DOType>",
         "第2行第18列：XML格式错误：名称中不能有字符U+00BD“½”"},
        {"name_with_copyright", "<a\u00A9/>", "第1行第3列：XML格式错误：名称中不能有字符U+00A9“©”"},
        {"name_with_an_em_dash", "<r a\u2014b=\"1\"/>", "第1行第5列：XML格式错误：名称中不能有字符U+2014“—”"},
        {"name_combining_mark_first", "<r \u0301x=\"1\"/>", "第1行第4列：XML格式错误：名称不能以字符U+0301"},
        {"name_with_a_greek_question_mark", "<r a\u037Eb=\"1\"/>", "第1行第5列：XML格式错误：名称中不能有字符U+037E"},
        {"name_no_break_space_first", "<r a=\"1\"\u00A0b=\"2\"/>", "第1行第9列：XML格式错误：名称不能以字符U+00A0开头"},
        {"name_with_an_em_space", "<r\u2003a=\"1\"/>", "第1行第3列：XML格式错误：名称中不能有字符U+2003"},
        {"name_with_a_zero_width_space", "<r a\u200Bb=\"1\"/>", "第1行第5列：XML格式错误：名称中不能有字符U+200B"},
        {"name_with_a_times_sign", "<a\u00D7b/>", "第1行第3列：XML格式错误：名称中不能有字符U+00D7“×”"},
        {"name_with_a_division_sign", "<r a\u00F7=\"1\"/>", "第1行第5列：XML格式错误：名称中不能有字符U+00F7“÷”"},
        {"name_ideographic_space_first", ied, "第2行第24列：XML格式错误：名称不能以字符U+3000开头"},
        {"name_ideographic_space_in_gbk", "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n" + kiln::text::Utf8ToGbk(ied),
         "第3行第24列：XML格式错误：名称不能以字符U+3000开头"},
        {"name_with_a_division_sign_in_gbk", "<?xml version=\"1.0\" encoding=\"GBK\"?>\n" + kiln::text::Utf8ToGbk("<r 保护\u00F7=\"1\"/>"),
         "第2行第6列：XML格式错误：名称中不能有字符U+00F7“÷”"},
        {"name_with_a_half_in_utf16", utf16le(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r ty\u00BDpe=\"1\"/>"),
         "第2行第6列：XML格式错误：名称中不能有字符U+00BD“½”"},
        {"name_ideographic_space_in_utf16", utf16le(u"<r>\n<a \u3000b=\"1\"/></r>"), "第2行第4列：XML格式错误：名称不能以字符U+3000开头"},
        {"pi_target_with_a_half", "<?pi\u00BD x?><r/>", "第1行第5列：XML格式错误：名称中不能有字符U+00BD“½”"},
        {"doctype_name_middle_dot_first", "<!DOCTYPE \u00B7r><r/>", "第1行第11列：XML格式错误：名称不能以字符U+00B7“·”开头"},
        {"control", "<r>a&#1;b</r>", "第1行第5列：字符引用&#1;"},
        {"control_raw", "<r>\n\x02</r>", "U+0002"},
        {"entity", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY xxe SYSTEM \"file:///etc/hostname\">\n]>\n<r>&xxe;</r>", "第2行第1列：文档类型声明"},
        {"undeclared", "<r>&copy;</r>", "&copy;"},
        {"missing", "", "不能读取文件"},
        {"empty", " ", "XML格式错误"},
    };
    for (const Case& c : cases) {
        std::string path = c.bytes.empty() ? PathOf("nothing-here.xml") : WriteFile(std::string(c.name) + ".xml", c.bytes);
        CBase_XML xml;
        EXPECT_FALSE(xml.Load(path.c_str())) << c.name;
        EXPECT_NE(xml.LastError().Find(c.says), -1) << c.name << ": " << xml.LastError();
        EXPECT_TRUE(xml.GetDocumentElement().IsNull()) << c.name;
        // The narrower ways of reading the text (other processors) find the same.
        kiln::xml::XmlTextError wide;
        size_t wideRepeat = 0;
        bool wideLocal = false;
        const bool wideOk = kiln::xml::CheckXmlTextAndAttributes(c.bytes, wide, wideRepeat, wideLocal);
        for (const auto width : {kiln::xml::ScanWidth::kSixteen, kiln::xml::ScanWidth::kOne}) {
            kiln::xml::XmlTextError narrow;
            size_t repeat = 0;
            bool local = false;
            EXPECT_EQ(kiln::xml::CheckXmlTextAndAttributes(c.bytes, narrow, repeat, local, width), wideOk) << c.name;
            EXPECT_EQ(narrow.offset, wide.offset) << c.name;
            EXPECT_EQ(narrow.reason, wide.reason) << c.name;
            if (wideOk) {
                EXPECT_EQ(std::pair(repeat, local), std::pair(wideRepeat, wideLocal)) << c.name;
            }
        }
    }
    // What a declaration and a document type may hold is read.
    for (const char* text : {"<?xml version='1.0' encoding='US-ASCII' standalone='yes' ?>\n<r/>",
                             "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r a=\"过\"/>",
                             "<!DOCTYPE SCL PUBLIC \"-//kiln//SCL (x)//EN\" 'scl.dtd' [\n<!-- c --><?pi x?>\n<!NOTATION n SYSTEM \"a>b\">\n"
                             "<!ELEMENT SCL ANY>] ><SCL/>",
                             // Names of other scripts, a middle dot and a combining mark after their start.
                             "<!DOCTYPE 装置><?说明 x?><装置 名称=\"1\" a\u00B7b=\"2\" e\u0301=\"3\" \U00010400=\"4\"/>"}) {
        CBase_XML xml;
        EXPECT_TRUE(xml.Load(WriteFile("read.xml", text).c_str())) << text << ": " << xml.LastError();
    }
    // GBK text under a GB2312 label, as tools write it, is read as GBK.
    CBase_XML gbk;
    EXPECT_TRUE(gbk.Load(WriteFile("gbk.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<r>\xB1\xA3\x88\xD2</r>").c_str()))
        << gbk.LastError();
    EXPECT_EQ(gbk.GetDocumentElement().GetText(), "保堃");
    // Markup that holds "&" or control-like text without references passes:
    // comments, CDATA, processing instructions, a DOCTYPE without entities.
    CBase_XML ok;
    // One local name under prefixes of two namespaces, or of none declared, is two names.
    // Nor does one attribute twice where no tag stands: in a comment, a
    // CDATA section or text, or a DOCTYPE's defaults.
    ASSERT_TRUE(ok.Load(WriteFile("ok.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [ <!ELEMENT r ANY> <!ATTLIST r z CDATA \"1\" > ]>\n"
                                            "<!-- a & b <c x=\"1\" x=\"2\"/> -->"
                                            "<?pi x & y?><r a=\"&lt;&#x4FDD;\" xmlns:p=\"urn:p\" xmlns:q=\"urn:q\" p:x=\"1\" "
                                            "q:x=\"2\" u:x=\"3\" v:x=\"4\"><![CDATA[&nope;]]>&amp;<![CDATA[<c y='1' y='2'/>]]>\"c\" y='1' y='2'</r>\n<!-- after the root --><?pi?>\n")
                            .c_str()))
        << ok.LastError();
    CString a;
    CBase_XML::Get_NodeText(ok.GetDocumentElement(), "@a", a);
    EXPECT_EQ(a, "<保");
    EXPECT_EQ(ok.GetDocumentElement().GetText(), "&nope;&<c y='1' y='2'/>\"c\" y='1' y='2'");
}

TEST_F(XmlHostile, Utf16FilesLoadWithTheirDeclaration) {
    auto utf16 = [](const std::string& ascii, bool be, bool bom) {
        std::string out = bom ? (be ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char c : ascii) out += be ? std::string{'\0', c} : std::string{c, '\0'};
        return out;
    };
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r a=\"x\"/>";
    for (bool be : {false, true})
        for (bool bom : {false, true}) {
            CBase_XML xml;
            ASSERT_TRUE(xml.Load(WriteFile("w.xml", utf16(text, be, bom)).c_str())) << be << bom << xml.LastError();
            CString a;
            CBase_XML::Get_NodeText(xml.GetDocumentElement(), "@a", a);
            EXPECT_EQ(a, "x");
            // Saved as UTF-8, saying so.
            ASSERT_TRUE(xml.SaveAs(PathOf("w8.xml").c_str()));
            EXPECT_EQ(ReadFile(PathOf("w8.xml")).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
        }
}

TEST_F(XmlHostile, NothingXmlForbidsIsWritten) {
    CBase_XML xml;
    XmlNode root = xml.AddNewNode_withAttr(xml.GetDocument(), "r", "a");
    ASSERT_FALSE(root.IsNull());
    ASSERT_TRUE(xml.Write_NodeValueString(root, "@a", "bell\x07"));
    EXPECT_FALSE(xml.SaveAs(PathOf("bad.xml").c_str()));
    EXPECT_NE(xml.LastError().Find("XML不允许的字符"), -1) << xml.LastError();
    EXPECT_FALSE(std::filesystem::exists(PathOf("bad.xml")));
    ASSERT_TRUE(xml.Write_NodeValueString(root, "@a", "fine\t"));
    EXPECT_TRUE(xml.SaveAs(PathOf("good.xml").c_str())) << xml.LastError();
    EXPECT_TRUE(xml.LastError().IsEmpty());
}

TEST_F(XmlHostile, LiteralsWithTooManyQuotesSaySoInsteadOfFindingNothing) {
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("q.xml", "<r><i id=\"a'b&quot;c\"/></r>").c_str()));
    // Up to the limit a literal with both quote kinds finds its element.
    std::string many;
    for (int k = 0; k < CBase_XML::kMaxLiteralQuotes; ++k) many += "x'";
    many += "\"";
    CString lit = CBase_XML::XPathLiteral(many.c_str());
    EXPECT_TRUE(CBase_XML::XPathLiteralError(many.c_str()).IsEmpty());
    XmlNode r = xml.GetDocumentElement();
    ASSERT_TRUE(xml.Write_NodeValueString(r.SelectSingleNode("i"), "@id", many.c_str()));
    EXPECT_FALSE(r.SelectSingleNode("i[@id=" + lit + "]").IsNull());
    // One more apostrophe: no literal, and a message that says why.
    many = "'" + many;
    EXPECT_TRUE(CBase_XML::XPathLiteral(many.c_str()).IsEmpty());
    EXPECT_NE(CBase_XML::XPathLiteralError(many.c_str()).Find("单引号"), -1);
}

// Found by fuzzing: GB18030-2022 maps a few two-byte codes of the last row
// (FE51, FE76, ...) beyond the BMP, four UTF-8 bytes each; the conversion
// buffer was sized for three and overflowed.
TEST_F(XmlHostile, GbCodesThatBecomeFourUtf8BytesFitTheirBuffer) {
    std::string codes;
    for (int k = 0; k < 1000; ++k) codes += "\xFE\x76\xFE\x51";
    std::string expected;
    ASSERT_TRUE(kiln::text::GbkToUtf8(codes, expected));
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("fe.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?><r a=\"" + codes + "\"/>").c_str()))
        << xml.LastError();
    CString a;
    CBase_XML::Get_NodeText(xml.GetDocumentElement(), "@a", a);
    EXPECT_EQ(a.str(), expected);
    // The fuzzer's own input: refused or loaded, within its buffer.
    const std::string found("\x17\x27\x25\x00\xc0\x60\x00\x00\xa8\xa8\x3a\x3a\x3a\x3a\x76\x76\x76\x76\x76\x76\x76\x76\xfe\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x3a\x3a\x76\x76\x76\x76\x76\x76\x76\x76\xfe\x76\x76\x76\x76\x76\x76\x76\x76\x25\x00\xc0\x60\x00\x00\xa8\xa8\x3a\x3a\x3a\x3a\x76\x76\x76\x76\x76\x76\x76\x76\xfe\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x3a\x3a\x76\x76\x76\x76\x76\x76\x76\x76\xfe\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x76\x3a\x3a\x3a\x3a\x3a\x3a\x3a\x3a\x3a\x3a\x3a\x3a\x3a", 159);
    CBase_XML other;
    other.Load(WriteFile("found.xml", "<?xml version=\"1.0\" encoding=\"GB18030\"?>" + found).c_str());
    EXPECT_FALSE(other.LastError().IsEmpty() && other.GetDocumentElement().IsNull());
}

TEST(XmlCheck, PositionsCountCharactersAndLines) {
    const std::string text = "ab\n中文x\n";
    kiln::xml::TextPosition at = kiln::xml::PositionOf(text, text.find('x'));
    EXPECT_EQ(at.line, 2u);
    EXPECT_EQ(at.column, 3u);
    EXPECT_EQ(kiln::xml::FirstBadXmlChar("ok\t\r\n中"), std::string::npos);
    EXPECT_EQ(kiln::xml::FirstBadXmlChar("ok\xED\xA0\x80"), 2u) << "an encoded surrogate";
    EXPECT_EQ(kiln::xml::FirstBadXmlChar("o\xC0\x80"), 1u) << "an overlong form";
    EXPECT_EQ(kiln::xml::FirstBadXmlChar(std::string("a\0b", 3)), 1u);
}

// The indentation rule's limit counts the root element as level 1 (and a
// text as a level of its own): a document exactly that deep is still
// indented, one level deeper is not.
TEST_F(XmlHostile, IndentationEndsJustPastTheDepthLimit) {
    for (size_t depth : {kiln::xml::kMaxIndentedDepth, kiln::xml::kMaxIndentedDepth + 1}) {
        SCOPED_TRACE(depth);
        std::string text;
        for (size_t i = 1; i < depth; ++i) text += "<a>";
        text += "x";  // the deepest level
        for (size_t i = 1; i < depth; ++i) text += "</a>";
        CBase_XML xml;
        ASSERT_TRUE(xml.Load(WriteFile("d.xml", text).c_str())) << xml.LastError();
        ASSERT_TRUE(xml.SaveAs(PathOf("d_out.xml").c_str())) << xml.LastError();
        const bool indented = ReadFile(PathOf("d_out.xml")).find("\n\t<a>") != std::string::npos;
        EXPECT_EQ(indented, depth <= kiln::xml::kMaxIndentedDepth);
    }
}

// A save walks the document only when the layer's own record of it does
// not settle the question; whichever way a forbidden character went in, in
// a new document or one read from a file, the save refuses it, and once it
// is replaced the document is written again.
TEST_F(XmlHostile, ForbiddenCharactersAreRefusedWhicheverWayTheyWentIn) {
    const CString bad = "bell\x07";
    const struct {
        const char* how;
        std::function<bool(CBase_XML&, XmlNode&)> put;   // puts `bad` in
        std::function<bool(CBase_XML&, XmlNode&)> mend;  // takes it out again (replaces or removes it)
    } kWays[] = {
        {"attribute written", [&](CBase_XML& x, XmlNode& r) { return x.Write_NodeValueString(r, "@a", bad); },
         [](CBase_XML& x, XmlNode& r) { return x.Write_NodeValueString(r, "@a", "ok"); }},
        {"child text created",
         [&](CBase_XML& x, XmlNode& r) { return x.Write_NodeValueString_withCreate(r, "V", bad); },
         [](CBase_XML& x, XmlNode& r) { return x.Write_NodeValueString_withCreate(r, "V", "ok"); }},
        {"element with value",
         [&](CBase_XML& x, XmlNode& r) { return !x.AddNewNode_withAttrValue(r, "E", "n", bad).IsNull(); },
         [](CBase_XML&, XmlNode& r) { return r.RemoveChild(r.SelectSingleNode("E")); }},
        {"element with child text",
         [&](CBase_XML& x, XmlNode& r) {
             return !x.AddNewNode_withAttrValueAndChild(r, "E", "n", "v", "Val", bad).IsNull();
         },
         [](CBase_XML&, XmlNode& r) { return r.SelectSingleNode("E/Val").SetText("ok"); }},
        {"elements as text",
         [&](CBase_XML& x, XmlNode& r) {
             static const XmlElementsText::Name kE("E"), kN("n");
             XmlElementsText text;
             text.Open(kE);
             text.Attribute(kN, bad.str());
             text.Close();
             return x.AppendElements(r, text);
         },
         [](CBase_XML&, XmlNode& r) { return r.RemoveChild(r.SelectSingleNode("E")); }},
        {"node text", [&](CBase_XML&, XmlNode& r) { return r.SetText(bad); },
         [](CBase_XML&, XmlNode& r) { return r.SetText("ok"); }},
        {"attribute set", [&](CBase_XML&, XmlNode& r) { return r.SetAttribute("b", bad); },
         [](CBase_XML&, XmlNode& r) { return r.SetAttribute("b", "ok"); }},
        {"name not UTF-8", [](CBase_XML& x, XmlNode& r) { return !x.AddNewNode_withAttr(r, "E\xff", "").IsNull(); },
         [](CBase_XML&, XmlNode& r) { return r.RemoveChild(r.SelectSingleNode("*")); }},
    };
    for (const bool bLoaded : {false, true})
        for (const auto& way : kWays) {
            SCOPED_TRACE(std::string(way.how) + (bLoaded ? ", read from a file" : ", new document"));
            CBase_XML xml;
            if (bLoaded) {
                ASSERT_TRUE(xml.Load(WriteFile("in.xml", "<r a=\"x\"/>").c_str()));
            } else {
                ASSERT_FALSE(xml.AddNewNode_withAttr(xml.GetDocument(), "r", "a").IsNull());
            }
            XmlNode root = xml.GetDocumentElement();
            ASSERT_TRUE(way.put(xml, root));
            EXPECT_FALSE(xml.SaveAs(PathOf("bad.xml").c_str()));
            EXPECT_NE(xml.LastError().Find("XML不允许的字符"), -1) << xml.LastError();
            EXPECT_FALSE(std::filesystem::exists(PathOf("bad.xml")));
            ASSERT_TRUE(way.mend(xml, root));
            EXPECT_TRUE(xml.SaveAs(PathOf("good.xml").c_str())) << xml.LastError();
        }
}

// The depth the indentation rule counts is kept as elements and texts are
// added: a document built (or read and extended) past the limit is written
// without indentation, one at the limit with it; taking the deep part away
// again brings the indentation back.
TEST_F(XmlHostile, IndentationFollowsTheDepthOfBuiltDocuments) {
    auto indented = [&](CBase_XML& xml) {
        EXPECT_TRUE(xml.SaveAs(PathOf("b_out.xml").c_str())) << xml.LastError();
        return ReadFile(PathOf("b_out.xml")).find("\n\t<a") != std::string::npos;
    };
    for (const bool bLoaded : {false, true})
        for (size_t depth : {kiln::xml::kMaxIndentedDepth, kiln::xml::kMaxIndentedDepth + 1}) {
            SCOPED_TRACE(std::to_string(depth) + (bLoaded ? ", read from a file" : ", new document"));
            CBase_XML xml;
            // The root and a first level, read or made; then a chain of
            // elements in the three ways the layer adds them, and a text.
            if (bLoaded) {
                ASSERT_TRUE(xml.Load(WriteFile("b.xml", "<r><a/></r>").c_str()));
            } else {
                XmlNode r = xml.AddNewNode_withAttrs(xml.GetDocument(), "r", CStringArray());
                ASSERT_FALSE(xml.AddNewNode_withAttrs(r, "a", CStringArray()).IsNull());
            }
            XmlNode top = xml.Get_NodePtr(xml.GetDocumentElement(), "a");
            XmlNode at = top;
            // Elements written as text: one, or the last with its text.
            static const XmlElementsText::Name kA("a");
            auto asText = [&](const XmlNode& parent, bool withText) {
                XmlElementsText text;
                text.Open(kA);
                text.Keep();
                if (withText) text.Text("x");
                text.Close();
                std::vector<XmlNode> kept;
                return xml.AppendElements(parent, text, &kept) ? kept.at(0) : XmlNode();
            };
            for (size_t level = 3; level + 1 < depth; ++level)
                at = level % 4 == 0   ? at.AppendChild("a")
                     : level % 4 == 1 ? xml.AddNewNode_withAttrValue(at, "a", "n", "v")
                     : level % 4 == 2 ? xml.AddNewNode_withAttrs(at, "a", CStringArray())
                                      : asText(at, false);
            ASSERT_FALSE(at.IsNull());
            // The last element and its text.
            ASSERT_TRUE(bLoaded ? xml.Write_NodeValueString_withCreate(at, "a", "x") : !asText(at, true).IsNull());
            EXPECT_EQ(indented(xml), depth <= kiln::xml::kMaxIndentedDepth);
            // Without the chain the document is shallow again.
            ASSERT_TRUE(xml.GetDocumentElement().RemoveChild(top));
            ASSERT_FALSE(xml.AddNewNode_withAttrs(xml.GetDocumentElement(), "a", CStringArray()).IsNull());
            EXPECT_TRUE(indented(xml));
        }
}
