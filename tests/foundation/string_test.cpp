#include "foundation/string.h"
#include "platform/core/bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string Str(const TNString& s)
{
    return std::string(s.View());
}

// The two zero bytes after the characters are part of every string's contract.
void ExpectTerminated(const TNString& s)
{
    ASSERT_NE(s.Text, nullptr);
    EXPECT_EQ(s.Text[s.Length], 0);
    EXPECT_EQ(s.Text[s.Length + 1], 0);
}

// ---------------------------------------------------------------------------
// Buffer

TEST(TNString, ConstructsEmptyWithItsOwnBuffer)
{
    TNString s;
    EXPECT_EQ(s.Length, 0);
    EXPECT_TRUE(s.IsEmpty());
    ExpectTerminated(s);
    EXPECT_EQ(s.Tag1, 0);
    EXPECT_EQ(s.Tag2, 0);
    EXPECT_EQ(s.Found, 0);
}

TEST(TNString, CopyTakesCharactersNotTagsOrFoundRange)
{
    TNString a("<v>x</v>");
    a.Tag1 = 7;
    a.Tag2 = 8;
    TNString out;
    ASSERT_TRUE(a.GetXmlValue("v", nullptr, 0, &out, false));

    TNString b(a);
    EXPECT_EQ(Str(b), "<v>x</v>");
    EXPECT_EQ(b.Tag1, 0);
    EXPECT_EQ(b.FoundStart, 0);

    TNString c;
    c.Tag1 = 3;
    ASSERT_TRUE(c.Copy(&a));
    EXPECT_EQ(Str(c), "<v>x</v>");
    EXPECT_EQ(c.Tag1, 3);
    EXPECT_FALSE(c.Copy(nullptr));
}

TEST(TNString, ResizeZeroFillsGrowthAndKeepsThePrefix)
{
    TNString s("abc");
    ASSERT_TRUE(s.Resize(40));
    EXPECT_EQ(s.Length, 40);
    EXPECT_EQ(std::string(s.Text, 3), "abc");
    for (int i = 3; i < 42; ++i)
        EXPECT_EQ(s.Text[i], 0) << "byte " << i;
    ASSERT_TRUE(s.Resize(2));
    EXPECT_EQ(Str(s), "ab");
    ExpectTerminated(s);
    EXPECT_FALSE(s.Resize(-1));
    EXPECT_EQ(Str(s), "ab");
}

TEST(TNString, ClearResetsTagsAndDestroyFreesTheBuffer)
{
    TNString s("abc");
    s.Tag1 = 5;
    s.Found = 1;
    EXPECT_TRUE(s.Clear());
    EXPECT_EQ(s.Length, 0);
    EXPECT_EQ(s.Tag1, 0);
    EXPECT_EQ(s.Found, 0);
    ExpectTerminated(s);

    s.Destroy();
    EXPECT_EQ(s.Text, nullptr);
    EXPECT_EQ(s.Length, 0);
    // A destroyed string takes text again.
    EXPECT_TRUE(s.Append("x"));
    EXPECT_EQ(Str(s), "x");
}

TEST(TNString, SetAppendAndNumbers)
{
    TNString s;
    EXPECT_TRUE(s.Set(static_cast<const char*>(nullptr)));
    EXPECT_EQ(s.Length, 0);
    EXPECT_TRUE(s.SetInt(-42));
    EXPECT_TRUE(s.AppendUInt(4200000001u));
    EXPECT_TRUE(s.AppendInt(7));
    EXPECT_TRUE(s.AppendChar('!'));
    EXPECT_EQ(Str(s), "-4242000000017!");
    ExpectTerminated(s);
    EXPECT_TRUE(s.Fill('z'));
    EXPECT_EQ(Str(s), std::string(15, 'z'));

    // Text taken from the string itself.
    TNString self("ab");
    EXPECT_TRUE(self.Append(self.Text));
    EXPECT_EQ(Str(self), "abab");
    EXPECT_TRUE(self.Set(self.Text + 1));
    EXPECT_EQ(Str(self), "bab");
}

TEST(TNString, AppendMonthLocative)
{
    TNString s;
    EXPECT_TRUE(s.AppendMonthLocative(2, false));
    EXPECT_EQ(Str(s), "v únoru");
    s.Set("");
    EXPECT_TRUE(s.AppendMonthLocative(9, true));
    EXPECT_EQ(Str(s), "v+z%E1%F8%ED");
    s.Set("");
    EXPECT_TRUE(s.AppendMonthLocative(13, false));
    EXPECT_TRUE(s.AppendMonthLocative(0, false));
    EXPECT_EQ(s.Length, 0);
}

TEST(TNString, Insert)
{
    struct Case {
        const char* name;
        const char* text;
        const char* insert;
        int32_t position;
        bool grow;
        bool overwrite;
        const char* expected;
    };
    const Case cases[] = {
        {"insert in the middle", "abcdef", "XY", 2, true, false, "abXYcdef"},
        {"negative position appends", "abcdef", "XY", -1, true, false, "abcdefXY"},
        {"position past the end appends", "abcdef", "XY", 99, true, false, "abcdefXY"},
        {"into an empty string", "", "XY", 0, true, false, "XY"},
        {"empty text does nothing", "abcdef", "", 2, true, false, "abcdef"},
        {"without growing the tail drops", "abcdef", "XY", 2, false, false, "abXYcd"},
        {"without growing the text is cut", "abcdef", "XY", 5, false, false, "abcdeX"},
        {"without growing nothing fits at the end", "abcdef", "XY", 6, false, false, "abcdef"},
        {"overwrite inside", "abcdef", "XY", 2, true, true, "abXYef"},
        {"overwrite past the end grows", "abcdef", "XYZ", 5, true, true, "abcdeXYZ"},
        {"overwrite without growing is cut", "abcdef", "XYZ", 5, false, true, "abcdeX"},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        EXPECT_TRUE(s.Insert(c.insert, c.position, c.grow, c.overwrite)) << c.name;
        EXPECT_EQ(Str(s), c.expected) << c.name;
        ExpectTerminated(s);
    }
}

TEST(TNString, SubString)
{
    struct Case {
        int32_t position;
        int32_t count;
        const char* expected;
    };
    const Case cases[] = {
        {2, 3, "cde"}, {2, 0, "cdef"}, {2, -5, "cdef"}, {4, 10, "ef"},
        {6, 2, ""},    {10, 1, ""},    {-2, 4, "ab"},   {0, 0, "abcdef"},
    };
    const TNString s("abcdef");
    for (const Case& c : cases) {
        TNString out("old");
        EXPECT_TRUE(s.SubString(c.position, c.count, &out));
        EXPECT_EQ(Str(out), c.expected) << "position " << c.position << " count " << c.count;
        ExpectTerminated(out);
    }
}

TEST(TNString, Equals)
{
    struct Case {
        const char* name;
        const char* text;
        const char* other;
        bool caseSensitive;
        bool removeDiacritics;
        bool expected;
    };
    const Case cases[] = {
        {"two empty texts", "", "", true, false, true},
        {"null counts as empty", "", nullptr, true, false, true},
        {"empty against text", "", "a", true, false, false},
        {"same text", "abc", "abc", true, false, true},
        {"case ignored", "abc", "ABC", false, false, true},
        {"case kept", "abc", "ABC", true, false, false},
        {"shorter", "abc", "ab", false, false, false},
        {"longer", "abc", "abcd", false, false, false},
        {"diacritics folded", "Příliš", "Prilis", true, true, true},
        {"diacritics kept", "Příliš", "Prilis", true, false, false},
        {"folding keeps case", "Ábc", "abc", true, true, false},
        {"folding and case", "Ábc", "abc", false, true, true},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        EXPECT_EQ(s.Equals(c.other, c.caseSensitive, c.removeDiacritics), c.expected) << c.name;
    }
}

TEST(TNString, LowerCasingTouchesOnlyAToZ)
{
    TNString s("AbZ@[ČŠÁ1");
    s.ToLower();
    EXPECT_EQ(Str(s), "abz@[ČŠÁ1");
    for (int b = 0; b < 256; ++b) {
        const char ch = static_cast<char>(b);
        const char expected = b >= 'A' && b <= 'Z' ? static_cast<char>(b + 32) : ch;
        EXPECT_EQ(TNString::ToLowerChar(ch), expected) << "byte " << b;
    }
}

// ---------------------------------------------------------------------------
// Trimming, replacing, entities, extraction, url-encoding

TEST(TNString, Trims)
{
    enum Which { Left, Right, Both };
    struct Case {
        std::string_view text;
        Which which;
        const char* expected;
    };
    const Case cases[] = {
        {"  a  ", Both, "a"},
        {"  a  ", Left, "a  "},
        {"  a  ", Right, "  a"},
        {"\r\n a b \n", Both, "a b"},
        {"\ta\t", Both, "\ta\t"},
        {std::string_view("a \0", 3), Right, "a"},
        {std::string_view("\0 a", 3), Left, "a"},
        {" \r\n ", Both, ""},
        {"", Both, ""},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        if (c.which == Left)
            s.TrimLeft();
        else if (c.which == Right)
            s.TrimRight();
        else
            s.Trim();
        EXPECT_EQ(Str(s), c.expected) << "trimming \"" << c.text << "\"";
        ExpectTerminated(s);
    }
    EXPECT_FALSE(TNString::IsWhiteChar('\t'));
}

TEST(TNString, Replace)
{
    struct Case {
        const char* name;
        const char* text;
        const char* what;
        const char* with;
        int32_t maxCount;
        bool caseSensitive;
        const char* expected;
    };
    const Case cases[] = {
        {"every occurrence", "aXbXc", "X", "--", 0, true, "a--b--c"},
        {"replacement is not searched again", "aaa", "a", "aa", 0, true, "aaaaaa"},
        {"replacement forms the text again", "abab", "ab", "ab", 0, true, "abab"},
        {"case ignored", "aXbxc", "x", "-", 0, false, "a-b-c"},
        {"case kept", "aXbxc", "x", "-", 0, true, "aXb-c"},
        {"at most one", "aXbXc", "X", "", 1, true, "abXc"},
        {"at most two", "XXXX", "X", "y", 2, true, "yyXX"},
        {"null replacement deletes", "a--b", "--", nullptr, 0, true, "ab"},
        {"empty what does nothing", "abc", "", "x", 0, true, "abc"},
        {"null what does nothing", "abc", nullptr, "x", 0, true, "abc"},
        {"not found", "abc", "zz", "x", 0, true, "abc"},
        {"whole text", "abc", "abc", "", 0, true, ""},
        {"no diacritics folding", "čc", "c", "x", 0, false, "čx"},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        s.Replace(c.what, c.with, c.maxCount, c.caseSensitive);
        EXPECT_EQ(Str(s), c.expected) << c.name;
        ExpectTerminated(s);
    }
}

TEST(TNString, DecodeHtmlEntities)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"&lt;b&gt;", "<b>"},
        {"&amp;lt;", "<"},
        {"&amp;amp;", "&amp;"},
        {"a&nbsp;b&NBSP;c", "a b c"},
        {"a&br;b", "a\nb"},
        {"&quot;q&Quot;", "\"q\""},
        {"&unknown; & plain", "&unknown; & plain"},
        {"no entities", "no entities"},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        s.DecodeHtmlEntities();
        EXPECT_EQ(Str(s), c.expected) << c.text;
    }
}

TEST(TNString, ExtractBetween)
{
    struct Case {
        const char* name;
        const char* text;
        const char* startMarker;
        const char* endMarker;
        bool caseSensitive;
        bool ok;
        const char* value;
    };
    const Case cases[] = {
        {"between markers", "x[abc]y", "[", "]", true, true, "abc"},
        {"nothing between", "x[]y", "[", "]", true, true, ""},
        {"first end after the start", "]x[ab]c]", "[", "]", true, true, "ab"},
        {"case ignored", "<B>bold</b>", "<b>", "</B>", false, true, "bold"},
        {"case kept", "<B>bold</b>", "<b>", "</B>", true, false, "keep"},
        {"no start", "abc]", "[", "]", true, false, "keep"},
        {"no end", "[abc", "[", "]", true, false, "keep"},
        {"start marker at the very end", "abc[", "[", "]", true, false, "keep"},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        TNString out("keep");
        EXPECT_EQ(s.ExtractBetween(c.startMarker, c.endMarker, c.caseSensitive, &out), c.ok) << c.name;
        EXPECT_EQ(Str(out), c.value) << c.name;
        EXPECT_EQ(Str(s), c.text) << c.name;
    }
}

TEST(TNString, ExtractBetweenDeletesMarkersAndTextInOrder)
{
    struct Case {
        bool deleteStart;
        bool deleteEnd;
        bool deleteText;
        const char* remaining;
    };
    const Case cases[] = {
        {true, true, true, " tail mid"},
        {true, false, false, "mid</a> tail mid"},
        {false, true, false, "<a>mid tail mid"},
        {false, false, true, "<a></a> tail mid"},
    };
    for (const Case& c : cases) {
        TNString s("<a>mid</a> tail mid");
        TNString out;
        ASSERT_TRUE(s.ExtractBetween("<a>", "</a>", true, &out, c.deleteStart, c.deleteEnd, c.deleteText));
        EXPECT_EQ(Str(out), "mid");
        EXPECT_EQ(Str(s), c.remaining);
    }
}

TEST(TNString, UrlEncode)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"a b/č", "a+b%2F%E8"}, {"AZaz09", "AZaz09"}, {"-_.~", "%2D%5F%2E%7E"}, {"\xff", "%FF"}, {"", ""},
    };
    for (const Case& c : cases) {
        TNString s(c.text);
        EXPECT_TRUE(s.UrlEncode());
        EXPECT_EQ(Str(s), c.expected) << c.text;
        ExpectTerminated(s);

        TNString appended("x=");
        EXPECT_TRUE(appended.Append(c.text, true));
        EXPECT_EQ(Str(appended), std::string("x=") + c.expected);
    }
}

// ---------------------------------------------------------------------------
// Search and folding

TEST(TNString, Find)
{
    struct Case {
        const char* name;
        const char* text;
        const char* needle;
        int32_t start;
        int32_t limit;
        bool caseSensitive;
        bool returnEnd;
        bool removeDiacritics;
        int32_t expected; // -1: not found
    };
    const Case cases[] = {
        {"first occurrence", "abcabc", "bc", 0, 0, true, false, false, 1},
        {"from a start", "abcabc", "bc", 2, 0, true, false, false, 4},
        {"end of the match", "abcabc", "bc", 2, 0, true, true, false, 6},
        {"start at the length", "abc", "c", 3, 0, true, false, false, -1},
        {"start past the length", "abc", "c", 9, 0, true, false, false, -1},
        {"negative start reads from 0", "abc", "a", -5, 0, true, false, false, 0},
        {"needle runs past the end", "abc", "bcd", 0, 0, true, false, false, -1},
        {"needle longer than the rest", "abc", "abc", 1, 0, true, false, false, -1},
        {"empty needle", "abc", "", 0, 0, true, false, false, -1},
        {"null needle", "abc", nullptr, 0, 0, true, false, false, -1},
        {"match wholly inside the limit", "abcdef", "cd", 0, 4, true, false, false, 2},
        {"match crossing the limit", "abcdef", "cd", 0, 3, true, false, false, -1},
        {"match ending at the limit", "abcdef", "def", 0, 6, true, false, false, 3},
        {"match past the limit", "abcdef", "def", 0, 5, true, false, false, -1},
        {"later match inside the limit", "cXcdcd", "cd", 0, 4, true, false, false, 2},
        {"limit beyond the length", "abcdef", "ef", 0, 100, true, false, false, 4},
        {"start beyond the limit", "abcdef", "ef", 5, 3, true, false, false, -1},
        {"case ignored", "xxABC", "abc", 0, 0, false, false, false, 2},
        {"case kept", "xxABC", "abc", 0, 0, true, false, false, -1},
        {"diacritics folded", "Žluťoučký kůň", "KUN", 0, 0, false, false, true, 10},
        {"diacritics kept", "Žluťoučký kůň", "kun", 0, 0, false, false, false, -1},
        {"folded needle too", "kun", "kůň", 0, 0, true, false, true, 0},
        {"only A-Z fold in case", "čČ", "Č", 0, 0, false, false, false, 1},
        {"long text, late match", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaAaB", "ab", 0, 0, false, true, false,
         47},
    };
    for (const Case& c : cases) {
        for (bool log : {false, true}) {
            TNString s(c.text);
            int32_t result = s.Find(c.needle, c.start, c.limit, c.caseSensitive, c.returnEnd, c.removeDiacritics, log);
            if (c.expected < 0) {
                EXPECT_EQ(s.Found, 0) << c.name;
                EXPECT_EQ(result, 0) << c.name;
            } else {
                EXPECT_EQ(s.Found, 1) << c.name;
                EXPECT_EQ(result, c.expected) << c.name;
            }
        }
    }
}

// Every pair of the folding table, written as the letters themselves.
TEST(TNString, FoldsEveryLetterOfTheTable)
{
    struct Pair {
        const char* from;
        char to;
    };
    const Pair pairs[] = {
        {"á", 'a'},
        {"ä", 'a'},
        {"â", 'a'},
        {"ą", 'a'},
        {"ă", 'a'},
        {"č", 'c'},
        {"ć", 'c'},
        {"ç", 'c'},
        {"ď", 'd'},
        {"đ", 'd'},
        {"é", 'e'},
        {"ě", 'e'},
        {"ë", 'e'},
        {"ę", 'e'},
        {"í", 'i'},
        {"î", 'i'},
        {"ĺ", 'l'},
        {"ľ", 'l'},
        {"ł", 'l'},
        {"ň", 'n'},
        {"ń", 'n'},
        {"ó", 'o'},
        {"ô", 'o'},
        {"ő", 'o'},
        {"ö", 'o'},
        {"ř", 'r'},
        {"š", 's'},
        {"ś", 's'},
        {"ş", 's'},
        {"ť", 't'},
        {"ú", 'u'},
        {"ů", 'u'},
        {"u", 'u'},
        {"ü", 'u'},
        {"ű", 'u'},
        {"ý", 'y'},
        {"ŕ", 'r'},
        {"ž", 'z'},
        {"ź", 'z'},
        {"Á", 'A'},
        {"Ä", 'A'},
        {"Ą", 'A'},
        {"Â", 'A'},
        {"Ă", 'A'},
        {"Č", 'C'},
        {"Ć", 'C'},
        {"Ď", 'D'},
        {"Đ", 'D'},
        {"É", 'E'},
        {"Ě", 'E'},
        {"Ę", 'E'},
        {"Ë", 'E'},
        {"Í", 'I'},
        {"Ĺ", 'L'},
        {"Ľ", 'L'},
        {"Ň", 'N'},
        {"Ń", 'N'},
        {"Ó", 'O'},
        {"Ô", 'O'},
        {"Ő", 'O'},
        {"Ö", 'O'},
        {"Ř", 'R'},
        {"Š", 'S'},
        {"Ś", 'S'},
        {"Ť", 'T'},
        {"Ú", 'U'},
        {"Ů", 'U'},
        {"U", 'U'},
        {"Ü", 'U'},
        {"Ű", 'U'},
        {"Ý", 'Y'},
        {"R", 'R'},
        {"Ź", 'Z'},
        {"Ž", 'Z'},
        {"Ç", 'C'},
        // The upper-case forms added to the table.
        {"Ŕ", 'R'},
        {"Ł", 'L'},
        {"Ş", 'S'},
        {"Î", 'I'},
    };
    bool listed[256] = {};
    for (const Pair& p : pairs) {
        ASSERT_EQ(std::strlen(p.from), 1u) << p.from;
        const auto byte = static_cast<unsigned char>(p.from[0]);
        listed[byte] = true;
        EXPECT_EQ(TNString::RemoveDiacriticsChar(p.from[0]), p.to) << "byte " << int(byte);
    }
    for (int b = 0; b < 256; ++b) {
        if (!listed[b]) {
            EXPECT_EQ(TNString::RemoveDiacriticsChar(static_cast<char>(b)), static_cast<char>(b)) << "byte " << b;
        }
    }
}

TEST(TNString, FindOneChar)
{
    struct Case {
        const char* haystack;
        const char* needle;
        bool removeDiacritics;
        bool caseSensitive;
        bool expected;
    };
    const Case cases[] = {
        {"a", "a", false, true, true},   {"A", "a", false, true, false}, {"A", "a", false, false, true},
        {"á", "a", false, false, false}, {"á", "a", true, true, true},   {"Á", "a", true, true, false},
        {"Á", "a", true, false, true},   {"Ŕ", "ŕ", true, false, true},  {"Č", "č", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TNString::FindOneChar(c.haystack[0], c.needle[0], false, c.removeDiacritics, c.caseSensitive),
                  c.expected)
            << c.haystack << " / " << c.needle;
    }
    EXPECT_TRUE(TNString::FindOneChar('x', 'X', true, false, false));
}

// ---------------------------------------------------------------------------
// Tag reader

TEST(TNString, GetXmlValue)
{
    struct Case {
        const char* name;
        const char* answer;
        const char* tag;
        const char* parents;
        int32_t index;
        bool ok;
        const char* value;
    };
    const std::string longTag(512, 'a');
    const Case cases[] = {
        {"plain element", "<a>1</a><id>42</id>", "id", nullptr, 0, true, "42"},
        {"tag case ignored", "<Id>5</ID>", "id", nullptr, 0, true, "5"},
        {"nothing trimmed", "<t> x \n</t>", "t", nullptr, 0, true, " x \n"},
        {"attributes", "<item type=\"x\" n=\"2\">val</item>", "item", nullptr, 0, true, "val"},
        {"longer name first stops the search", "<Notes>n</Notes><Note a=\"1\">v</Note>", "Note", nullptr, 0, false, ""},
        {"longer name after the exact one", "<Note a=\"1\">v</Note><Notes>n</Notes>", "Note", nullptr, 0, true, "v"},
        {"longer name before an exact plain one", "<ab>x</ab><a>y</a>", "a", nullptr, 0, true, "y"},
        {"empty element", "<Note></Note>", "Note", nullptr, 0, true, ""},
        {"index 1", "<a>1</a><a>2</a>", "a", nullptr, 1, true, "2"},
        {"index 2 of two", "<a>1</a><a>2</a>", "a", nullptr, 2, false, ""},
        {"index 1 after an empty one", "<a></a><a>z</a>", "a", nullptr, 1, true, "z"},
        {"negative index", "<a>1</a>", "a", nullptr, -1, false, ""},
        {"opening form without closing", "<a>open only", "a", nullptr, 0, false, ""},
        {"same name nested is not supported", "<a><a>x</a></a>", "a", nullptr, 0, true, "<a>x"},
        {"one parent", "<b>no</b><p><b>yes</b></p>", "b", "p", 0, true, "yes"},
        {"two parents, spaces", "<b>no</b><q><b>no</b></q><p><b>no</b><q><b>yes</b></q></p>", "b", "p q", 0, true,
         "yes"},
        {"only the first element of a parent name", "<p><q>1</q><q><b>2</b></q></p>", "b", "p q", 0, false, ""},
        {"two parents, comma", "<p><q><b>yes</b></q></p>", "b", "p,q", 0, true, "yes"},
        {"two parents, semicolon", "<p><q><b>yes</b></q></p>", "b", "p;q", 0, true, "yes"},
        {"two parents, line breaks", "<p><q><b>yes</b></q></p>", "b", "p\r\nq", 0, true, "yes"},
        {"empty parents text", "<b>1</b>", "b", "", 0, true, "1"},
        {"missing parent", "<p><b>1</b></p>", "b", "z", 0, false, ""},
        {"element only outside the parent", "<p></p><b>1</b>", "b", "p", 0, false, ""},
        {"element crossing the parent's end", "<p><b>1</p></b>", "b", "p", 0, false, ""},
        {"second parent outside the first", "<p>x</p><q><b>1</b></q>", "b", "p q", 0, false, ""},
        {"index counts inside the parent only", "<a>0</a><p><a>1</a><a>2</a></p>", "a", "p", 1, true, "2"},
        {"parent name too long", "<b>1</b>", "b", longTag.c_str(), 0, false, ""},
        {"empty tag", "<b>1</b>", "", nullptr, 0, false, ""},
        {"tag too long", "<b>1</b>", longTag.c_str(), nullptr, 0, false, ""},
        {"empty answer", "", "b", nullptr, 0, false, ""},
        {"entities kept without decoding", "<t>&amp;lt;</t>", "t", nullptr, 0, true, "&amp;lt;"},
    };
    for (const Case& c : cases) {
        TNString answer(c.answer);
        TNString out("old");
        EXPECT_EQ(answer.GetXmlValue(c.tag, c.parents, c.index, &out, false), c.ok) << c.name;
        EXPECT_EQ(Str(out), c.value) << c.name;
        ExpectTerminated(out);
        EXPECT_EQ(Str(answer), c.answer) << c.name;
    }
}

TEST(TNString, GetXmlValueSetsTheFoundRangeAndDecodes)
{
    TNString answer("<r><v>a&amp;lt;b</v></r>");
    TNString out;
    ASSERT_TRUE(answer.GetXmlValue("v", "r", 0, &out, true));
    EXPECT_EQ(Str(out), "a<b");
    EXPECT_EQ(answer.FoundStart, 6);
    EXPECT_EQ(answer.FoundEnd, 15);

    // The answer may be its own out.
    ASSERT_TRUE(answer.GetXmlValue("v", nullptr, 0, &answer, false));
    EXPECT_EQ(Str(answer), "a&amp;lt;b");
    EXPECT_FALSE(answer.GetXmlValue("v", nullptr, 0, &answer, false));
    EXPECT_EQ(answer.Length, 0);
}

TEST(TNString, GetParentRange)
{
    TNString answer("<p><q>abc</q></p>");
    int32_t start = -1;
    int32_t end = -1;
    ASSERT_TRUE(answer.GetParentRange(nullptr, start, end));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, answer.Length - 1);
    ASSERT_TRUE(answer.GetParentRange("p q", start, end));
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 8);
    EXPECT_FALSE(answer.GetParentRange("q p", start, end));
}

// ---------------------------------------------------------------------------
// Key reader

TEST(TNString, GetJsonValue)
{
    struct Case {
        const char* name;
        const char* answer;
        const char* key;
        bool ok;
        const char* value;
    };
    const Case cases[] = {
        {"quoted value", "{\"a\":\"x y\",\"b\":12}", "a", true, "x y"},
        {"bare value", "{\"a\":\"x y\",\"b\":12}", "b", true, "12"},
        {"bare value before another key", "{\"n\":true,\"b\":\"z\"}", "n", true, "true"},
        {"empty quoted value", "{\"a\":\"\",\"b\":1}", "a", true, ""},
        {"space after the colon keeps the quote", "{\"a\": \"x\",\"b\":1}", "a", true, " \"x"},
        {"space before a bare value", "{\"a\": 5}", "a", true, " 5"},
        {"line feed after the brace", "{\"a\":1}\n", "a", true, "1}\n"},
        {"first occurrence, even nested", "{\"o\":{\"k\":\"in\"},\"k\":\"out\"}", "k", true, "in"},
        {"no escapes", "{\"p\":\"c:\\d\"}", "p", true, "c:\\d"},
        {"key case kept", "{\"A\":1}", "a", false, "keep"},
        {"missing key", "{\"a\":1}", "b", false, "keep"},
        {"key without colon", "{\"a\" :1}", "a", false, "keep"},
    };
    for (const Case& c : cases) {
        TNString answer(c.answer);
        TNString out("keep");
        EXPECT_EQ(TNString::GetJsonValue(&answer, c.key, &out), c.ok) << c.name;
        EXPECT_EQ(Str(out), c.value) << c.name;
        ExpectTerminated(out);
    }
}

TEST(TNString, GetJsonValueTurnsEncodedColonsOfTheAnswerIntoColons)
{
    TNString answer("{\"t\":\"12%3A30\",\"u\":\"a%3ab\"}");
    TNString out;
    ASSERT_TRUE(TNString::GetJsonValue(&answer, "t", &out));
    EXPECT_EQ(Str(out), "12%3A30");
    EXPECT_EQ(Str(answer), "{\"t\":\"12:30\",\"u\":\"a:b\"}");
    ASSERT_TRUE(TNString::GetJsonValue(&answer, "u", &out));
    EXPECT_EQ(Str(out), "a:b");

    TNString missed("{\"t\":\"1%3A2\"}");
    EXPECT_FALSE(TNString::GetJsonValue(&missed, "x", &out));
    EXPECT_EQ(Str(missed), "{\"t\":\"1%3A2\"}");
}

TEST(TNString, JsonValueEquals)
{
    TNString answer("{\"mode\":\"day\",\"n\":3}");
    EXPECT_EQ(TNString::JsonValueEquals(&answer, "mode", "day"), 1);
    EXPECT_EQ(TNString::JsonValueEquals(&answer, "mode", "Day"), 0);
    EXPECT_EQ(TNString::JsonValueEquals(&answer, "n", "3"), 1);
    EXPECT_EQ(TNString::JsonValueEquals(&answer, "x", "3"), -1);
}

// ---------------------------------------------------------------------------
// Disk forms

// The stored form written out by hand: little-endian length in width bytes,
// then each character, as 255 minus itself when inverted.
std::string StoredForm(std::string_view text, int width, bool inverted)
{
    std::string bytes;
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<char>((text.size() >> (8 * i)) & 0xFF));
    for (char ch : text)
        bytes.push_back(inverted ? static_cast<char>(255 - static_cast<unsigned char>(ch)) : ch);
    return bytes;
}

TEST(TNString, DiskFormsRoundTrip)
{
    const std::string_view text("Schůzka\0\xff ok", 12);
    for (int bits : {8, 16, 24, 32}) {
        for (bool inverted : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, inverted " << inverted);
            TNString s(text);
            std::string bytes;
            plat::ByteWriter writer(bytes);
            ASSERT_TRUE(s.Save(true, bits, 0, inverted, writer));
            EXPECT_EQ(bytes, StoredForm(text, bits / 8, inverted));

            TNString loaded("old");
            loaded.Tag1 = 9;
            plat::ByteReader reader(bytes);
            ASSERT_TRUE(loaded.Load(true, bits, 0, inverted, reader));
            EXPECT_EQ(loaded.View(), text);
            EXPECT_EQ(loaded.Tag1, 9);
            EXPECT_TRUE(reader.AtEnd());
            ExpectTerminated(loaded);
        }
    }
}

// Texts read a word at a time must end exactly where they end, whatever
// their length against the word, loaded into a used string or an empty one.
TEST(TNString, InvertedLoadOfEveryLengthAroundTheWord)
{
    for (size_t n = 0; n <= 25; ++n) {
        std::string text;
        for (size_t i = 0; i < n; ++i)
            text.push_back(static_cast<char>((i * 37 + 200) & 0xFF));
        std::string bytes = StoredForm(text, 1, true) + "\x01\x02";
        for (const char* before : {"old", ""}) {
            TNString loaded(before);
            plat::ByteReader reader(bytes);
            ASSERT_TRUE(loaded.Load(true, 8, 0, true, reader)) << n;
            EXPECT_EQ(loaded.View(), text) << n;
            EXPECT_EQ(reader.Remaining(), 2u) << n;
            ExpectTerminated(loaded);
        }
    }
}

TEST(TNString, DiskFormWithoutPrefix)
{
    for (bool inverted : {false, true}) {
        TNString s("abc");
        std::string bytes;
        plat::ByteWriter writer(bytes);
        ASSERT_TRUE(s.Save(false, 0, 2, inverted, writer));
        EXPECT_EQ(bytes, StoredForm("abc", 0, inverted));

        bytes += "rest";
        TNString loaded;
        plat::ByteReader reader(bytes);
        ASSERT_TRUE(loaded.Load(false, 0, 3, inverted, reader));
        EXPECT_EQ(Str(loaded), "abc");
        EXPECT_EQ(reader.Remaining(), 4u);
    }
}

TEST(TNString, SaveLimit)
{
    struct Case {
        int32_t limit;
        bool ignoreLimit;
        const char* stored;
    };
    const Case cases[] = {{3, false, "abc"},    {6, false, "abcdef"},  {7, false, "abcdef"},
                          {0, false, "abcdef"}, {-1, false, "abcdef"}, {3, true, "abcdef"}};
    for (const Case& c : cases) {
        TNString s("abcdef");
        std::string bytes;
        plat::ByteWriter writer(bytes);
        ASSERT_TRUE(s.Save(true, 8, c.limit, false, writer, c.ignoreLimit));
        EXPECT_EQ(bytes, StoredForm(c.stored, 1, false)) << "limit " << c.limit;
    }
}

TEST(TNString, SaveCutsTextToWhatThePrefixCounts)
{
    const std::string text = std::string(200, 'x') + std::string(100, 'y');
    TNString s(text);
    std::string bytes;
    plat::ByteWriter writer(bytes);
    ASSERT_TRUE(s.Save(true, 8, 0, true, writer));
    EXPECT_EQ(bytes, StoredForm(text.substr(0, 255), 1, true));

    TNString loaded;
    plat::ByteReader reader(bytes);
    ASSERT_TRUE(loaded.Load(true, 8, 0, true, reader));
    EXPECT_EQ(Str(loaded), text.substr(0, 255));
    EXPECT_TRUE(reader.AtEnd());
}

TEST(TNString, DiskFormsRefuseOtherPrefixWidths)
{
    TNString s("abc");
    std::string bytes;
    plat::ByteWriter writer(bytes);
    EXPECT_FALSE(s.Save(true, 12, 0, false, writer));
    EXPECT_TRUE(bytes.empty());

    const std::string stored = StoredForm("abc", 1, false);
    plat::ByteReader reader(stored);
    EXPECT_FALSE(s.Load(true, 0, 0, false, reader));
    EXPECT_EQ(reader.Position(), 0u);
}

// A damaged length fails before the string is touched: the buffer stays the
// same one, so nothing was allocated for it.
TEST(TNString, LoadRefusesLengthsBeyondTheData)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t bits;
    };
    const Case cases[] = {
        {"truncated text", StoredForm("abcdefghij", 4, true).substr(0, 7), 32},
        {"huge stored length", std::string("\xf0\xff\xff\xff", 4) + "abc", 32},
        {"largest 24-bit length", std::string("\xff\xff\xff", 3) + "abc", 24},
        {"truncated prefix", std::string("\x05", 1), 16},
        {"empty input", std::string(), 8},
    };
    for (const Case& c : cases) {
        TNString s("unchanged");
        s.Tag1 = 4;
        const char* buffer = s.Text;
        plat::ByteReader reader(c.bytes);
        EXPECT_FALSE(s.Load(true, c.bits, 0, true, reader)) << c.name;
        EXPECT_EQ(s.Text, buffer) << c.name;
        EXPECT_EQ(Str(s), "unchanged") << c.name;
        EXPECT_EQ(s.Tag1, 4) << c.name;
    }

    TNString s("unchanged");
    const std::string shortData = "ab";
    plat::ByteReader reader(shortData);
    EXPECT_FALSE(s.Load(false, 0, 3, false, reader));
    EXPECT_FALSE(s.Load(false, 0, -1, false, reader));
    EXPECT_EQ(Str(s), "unchanged");
}

// ---------------------------------------------------------------------------
// TNStringList

TEST(TNStringList, AddResizeAndClear)
{
    TNStringList list;
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_TRUE(list.AddWithTags("two", 5, -6));
    ASSERT_EQ(list.Count, 2);
    EXPECT_EQ(Str(*list.Items[0]), "one");
    EXPECT_EQ(Str(*list.Items[1]), "two");
    EXPECT_EQ(list.Items[1]->Tag1, 5);
    EXPECT_EQ(list.Items[1]->Tag2, -6);

    ASSERT_TRUE(list.Resize(4));
    EXPECT_EQ(list.Count, 4);
    EXPECT_EQ(Str(*list.Items[1]), "two");
    EXPECT_EQ(list.Items[3]->Length, 0);
    ExpectTerminated(*list.Items[3]);

    ASSERT_TRUE(list.Resize(1));
    EXPECT_EQ(list.Count, 1);
    EXPECT_EQ(Str(*list.Items[0]), "one");

    EXPECT_TRUE(list.Resize(0));
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.Items, nullptr);

    EXPECT_EQ(list.Add("again"), 0);
    list.Clear();
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.Items, nullptr);
}

} // namespace
