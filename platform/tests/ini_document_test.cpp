#include "platform/ini_document.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using platform::IniDocument;

std::string Edited(const std::string& text, const char* section, const char* key,
                   const char* value) {
    IniDocument doc = IniDocument::Parse(text);
    doc.Set(section, key, value);
    return doc.Text();
}

TEST(IniDocumentText, AnyBytesComeBackUnchanged) {
    std::string all_bytes;
    for (int i = 0; i < 256; ++i) all_bytes.push_back(static_cast<char>(i));
    for (const std::string& text :
         {std::string(), std::string("[A]\r\nx=1\r\n"), std::string("[A]\nx=1"),
          std::string("\xEF\xBB\xBF[A]\nx = 1 \r\n\n;c\r\n"), std::string("\n\n\r\n"),
          all_bytes + all_bytes}) {
        EXPECT_EQ(IniDocument::Parse(text).Text(), text);
    }
}

TEST(IniDocumentLookup, NamesMatchWithoutLetterCaseAndBlanksAroundAreIgnored) {
    const IniDocument doc = IniDocument::Parse(
        "\xEF\xBB\xBF[Form]\r\n  TOP =  42  \r\n[ alarm ]\r\nSound = Windows XP - ошибка.wav\r\n");
    EXPECT_EQ(doc.Find("form", "top"), "42");
    EXPECT_EQ(doc.Find("FORM", "Top"), "42");
    EXPECT_EQ(doc.Find("Alarm", "sound"), "Windows XP - ошибка.wav");
    EXPECT_FALSE(doc.Find("Form", "Left"));
    EXPECT_FALSE(doc.Find("Alarm", "Top")) << "a key belongs to its own section only";
    EXPECT_TRUE(doc.HasSection("ALARM"));
    EXPECT_FALSE(doc.HasSection("Color"));
}

TEST(IniDocumentLookup, CommentsStrayLinesAndKeysOutsideSectionsAreNotKeys) {
    const IniDocument doc = IniDocument::Parse(
        "Top=1\n[Form]\n;Left=2\n#Width=3\nnot a key\n=4\nHeight=\nTop=5\nTop=6\n[Form]\nMore=7\n");
    EXPECT_EQ(doc.SectionKeys("form"), (std::vector<std::string>{"Height", "Top", "Top"}));
    EXPECT_EQ(doc.Find("Form", "Top"), "5") << "the first key of a name counts";
    EXPECT_EQ(doc.Find("Form", "Height"), "");
    EXPECT_FALSE(doc.Find("Form", "Left"));
    EXPECT_FALSE(doc.Find("Form", "More")) << "the first section of a name counts";
}

TEST(IniDocumentLookup, BinaryGarbageReadsAsEmpty) {
    static constexpr char kBytes[] = "\x00\x01=\xFF\n\x7F[x\n";
    const IniDocument doc = IniDocument::Parse(std::string(kBytes, sizeof kBytes - 1));
    EXPECT_FALSE(doc.HasSection("x"));
    EXPECT_TRUE(doc.SectionKeys("").empty());
}

TEST(IniDocumentEdit, ANewKeyFollowsTheLastKeyOfItsSection) {
    EXPECT_EQ(Edited("[A]\nx=1\n; about B\n\n[B]\ny=2\n", "a", "z", "3"),
              "[A]\nx=1\nz=3\n; about B\n\n[B]\ny=2\n");
    EXPECT_EQ(Edited("[A]\n\n\n[B]\n", "A", "z", "3"), "[A]\nz=3\n\n\n[B]\n");
    EXPECT_EQ(Edited("[A]", "A", "z", "3"), "[A]\nz=3\n");
    EXPECT_EQ(Edited("[A]\r\nx=1", "A", "z", "3"), "[A]\r\nx=1\r\nz=3\r\n");
}

TEST(IniDocumentEdit, ANewSectionGoesAtTheEndInTheFilesLineEnds) {
    EXPECT_EQ(Edited("", "Form", "Top", "1"), "[Form]\nTop=1\n");
    EXPECT_EQ(Edited("[A]\r\nx=1\r\n", "B", "y", "2"), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(Edited("[A]\nx=1\n\n", "B", "y", "2"), "[A]\nx=1\n\n[B]\ny=2\n");
    EXPECT_EQ(Edited("; only a comment", "B", "y", "2"), "; only a comment\n\n[B]\ny=2\n");
    const std::string garbage("\x01\x02\xFF", 3);
    EXPECT_EQ(Edited(garbage, "B", "y", "2"), garbage + "\n\n[B]\ny=2\n");
}

TEST(IniDocumentEdit, MixedLineEndsKeepTheirOwnAndNewLinesTakeTheFirst) {
    EXPECT_EQ(Edited("[A]\r\nx=1\ny=2\n", "A", "z", "3"), "[A]\r\nx=1\ny=2\nz=3\r\n");
}

TEST(IniDocumentEdit, AValueCannotMakeLinesOfItsOwn) {
    IniDocument doc = IniDocument::Parse("[A]\nx=1\n");
    doc.Set("A", "x", "evil\r\n[Form]\nTop=9");
    EXPECT_EQ(doc.Text(), "[A]\nx=evil  [Form] Top=9\n");
    EXPECT_FALSE(doc.HasSection("Form"));
}

TEST(IniDocumentEdit, NamesThatWouldBreakTheFileAreRefused) {
    IniDocument doc = IniDocument::Parse("[A]\nx=1\n");
    EXPECT_THROW(doc.Set("A", "a=b", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("A]", "k", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("A", "", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("A", " k", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("A\nB", "k", "1"), std::invalid_argument);
    EXPECT_EQ(doc.Text(), "[A]\nx=1\n");
}

TEST(IniDocumentEdit, EraseSectionRemovesEveryCopyWithItsLines) {
    IniDocument doc = IniDocument::Parse("[A]\nx=1\n\n[B]\ny=2\n;c\n[a]\nz=3\n[C]\nw=4\n");
    EXPECT_TRUE(doc.EraseSection("A"));
    EXPECT_EQ(doc.Text(), "[B]\ny=2\n;c\n[C]\nw=4\n");
    EXPECT_FALSE(doc.EraseSection("A"));
}

}  // namespace
