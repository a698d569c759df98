#include "foundation/string.h"
#include "platform/core/bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

// Randomised inputs for the readers. The iteration count comes from
// DALMORA_FUZZ_ITERATIONS (small by default so CI stays quick) and the seed
// from DALMORA_FUZZ_SEED, so a failing run can be repeated.

namespace {

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == 0)
        return fallback;
    return std::strtoull(value, nullptr, 10);
}

uint64_t Iterations()
{
    return EnvNumber("DALMORA_FUZZ_ITERATIONS", 20000);
}

class Random {
public:
    explicit Random(uint64_t seed) : engine_(seed) {}
    int Below(int n) { return static_cast<int>(engine_() % static_cast<uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, size_t N> const T& Pick(const T (&items)[N]) { return items[Below(static_cast<int>(N))]; }

private:
    std::mt19937_64 engine_;
};

class TNStringFuzz : public ::testing::Test {
protected:
    void SetUp() override
    {
        seed_ = EnvNumber("DALMORA_FUZZ_SEED", 20240611);
        RecordProperty("seed", std::to_string(seed_));
    }
    uint64_t seed_ = 0;
};

// Pieces that make answers look like the service's, broken in every way.
const char* const kPieces[] = {
    "<a>",  "</a>", "<A>",    "</A>",     "<ab>", "</ab>",  "<a ",    "<a x=\"1\">", ">",        "<",
    "</",   "<p>",  "</p>",   "<q>",      "</q>", "<P>",    "</Q>",   "<b>",         "</b>",     "&amp;",
    "&lt;", "&gt;", "&nbsp;", "&amp;lt;", "&br;", "&quot;", "&",      ";",           "\"",       ":",
    ",",    "{",    "}",      "%3A",      "%3a",  "\"k\":", "\"a\":", "\"a\": ",     "\"b\":\"", "č",
    "Č",    " ",    "\r\n",   "x",        "12",   "text",   "\",\"",  "\"}",         "},",       "%",
};

std::string RandomAnswer(Random& random)
{
    std::string answer;
    const int pieces = random.Chance(10) ? random.Between(40, 120) : random.Between(0, 30);
    for (int i = 0; i < pieces; ++i) {
        if (random.Chance(8))
            answer.push_back(static_cast<char>(random.Below(256)));
        else
            answer += random.Pick(kPieces);
    }
    return answer;
}

// A well-formed answer with a few bytes changed, inserted or removed.
std::string MutatedAnswer(Random& random)
{
    std::string answer = "<answer><handshake>1</handshake><p><q a=\"1\"><a>x&amp;lt;y</a><ab>2</ab></q>"
                         "<a></a><b>{\"k\":\"v%3A1\",\"a\":12,\"b\":\"c\"}</b></p></answer>";
    const int edits = random.Between(1, 6);
    for (int i = 0; i < edits && !answer.empty(); ++i) {
        const size_t at = static_cast<size_t>(random.Below(static_cast<int>(answer.size())));
        switch (random.Below(3)) {
        case 0:
            answer[at] = static_cast<char>(random.Below(256));
            break;
        case 1:
            answer.insert(at, random.Pick(kPieces));
            break;
        default:
            answer.erase(at, static_cast<size_t>(random.Between(1, 8)));
            break;
        }
    }
    return answer;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (TNString::ToLowerChar(text[i]) != TNString::ToLowerChar(prefix[i]))
            return false;
    }
    return true;
}

// Every "%3A" in any letter case becomes ":", left to right.
std::string DecodeColons(std::string_view text)
{
    std::string result;
    for (size_t i = 0; i < text.size();) {
        if (StartsWithIgnoringCase(text.substr(i), "%3A")) {
            result.push_back(':');
            i += 3;
        } else {
            result.push_back(text[i++]);
        }
    }
    return result;
}

void ExpectTerminated(const TNString& s)
{
    ASSERT_NE(s.Text, nullptr);
    ASSERT_EQ(s.Text[s.Length], 0);
    ASSERT_EQ(s.Text[s.Length + 1], 0);
}

TEST_F(TNStringFuzz, TagReaderSurvivesRandomAnswers)
{
    Random random(seed_);
    const char* const tags[] = {"a", "A", "ab", "p", "q", "b", "answer", "handshake", ""};
    const char* const parents[] = {nullptr, "", "p", "p q", "q,p", "a", "answer;p", "answer\r\np q"};
    // Reads that find something in the unbroken answer.
    const struct {
        const char* tag;
        const char* parents;
    } reads[] = {{"a", "p q"}, {"ab", "p"}, {"b", "answer p"}, {"handshake", "answer"}, {"a", nullptr}, {"a", "p"}};
    uint64_t found = 0;
    for (uint64_t i = 0; i < Iterations(); ++i) {
        const bool mutated = random.Chance(50);
        const std::string text = mutated ? MutatedAnswer(random) : RandomAnswer(random);
        TNString answer(text);
        TNString out("old");
        const char* tag = random.Pick(tags);
        const char* parent = random.Pick(parents);
        if (mutated && random.Chance(70)) {
            const auto& read = random.Pick(reads);
            tag = read.tag;
            parent = read.parents;
        }
        const int32_t index = random.Chance(60) ? 0 : random.Between(1, 3);
        const bool decode = random.Chance(50);
        const bool ok = answer.GetXmlValue(tag, parent, index, &out, decode);

        ASSERT_EQ(answer.View(), text) << "iteration " << i;
        ExpectTerminated(out);
        if (!ok) {
            ASSERT_EQ(out.Length, 0) << "iteration " << i;
            continue;
        }
        ++found;
        // The content sits between an opening form's ">" and the closing form.
        ASSERT_GE(answer.FoundStart, 1) << "iteration " << i;
        ASSERT_LE(answer.FoundStart, answer.FoundEnd + 1) << "iteration " << i;
        ASSERT_LT(answer.FoundEnd, answer.Length) << "iteration " << i;
        ASSERT_EQ(text[static_cast<size_t>(answer.FoundStart) - 1], '>') << "iteration " << i;
        const std::string close = std::string("</") + tag + ">";
        ASSERT_TRUE(
            StartsWithIgnoringCase(std::string_view(text).substr(static_cast<size_t>(answer.FoundEnd) + 1), close))
            << "iteration " << i;
        const std::string content = text.substr(static_cast<size_t>(answer.FoundStart),
                                                static_cast<size_t>(answer.FoundEnd - answer.FoundStart + 1));
        if (decode)
            ASSERT_LE(static_cast<size_t>(out.Length), content.size()) << "iteration " << i;
        else
            ASSERT_EQ(out.View(), content) << "iteration " << i;
    }
    // The inputs must reach the reading paths, not only the misses.
    EXPECT_GT(found, Iterations() / 10);
}

TEST_F(TNStringFuzz, KeyReaderSurvivesRandomAnswers)
{
    Random random(seed_ + 1);
    const char* const keys[] = {"a", "k", "b", "", "x"};
    uint64_t found = 0;
    for (uint64_t i = 0; i < Iterations(); ++i) {
        const std::string text = random.Chance(50) ? RandomAnswer(random) : MutatedAnswer(random);
        TNString answer(text);
        TNString out("keep");
        const char* key = random.Pick(keys);
        const bool ok = TNString::GetJsonValue(&answer, key, &out);

        ExpectTerminated(out);
        ExpectTerminated(answer);
        const std::string needle = std::string("\"") + key + "\":";
        const size_t at = text.find(needle);
        ASSERT_EQ(ok, at != std::string::npos) << "iteration " << i;
        if (!ok) {
            ASSERT_EQ(answer.View(), text) << "iteration " << i;
            ASSERT_EQ(out.View(), "keep") << "iteration " << i;
            continue;
        }
        ++found;
        // The value is taken from the text as it stood, right after the key.
        size_t start = at + needle.size();
        if (start < text.size() && text[start] == '"')
            ++start;
        ASSERT_EQ(out.View(), std::string_view(text).substr(start, static_cast<size_t>(out.Length)))
            << "iteration " << i;
        ASSERT_EQ(answer.View(), DecodeColons(text)) << "iteration " << i;
    }
    EXPECT_GT(found, Iterations() / 10);
}

TEST_F(TNStringFuzz, LoadSurvivesRandomBytes)
{
    Random random(seed_ + 2);
    const int32_t widths[] = {8, 16, 24, 32, 0, 12};
    uint64_t loaded = 0;
    for (uint64_t i = 0; i < Iterations(); ++i) {
        std::string bytes(static_cast<size_t>(random.Between(0, 40)), '\0');
        for (char& ch : bytes)
            ch = static_cast<char>(random.Chance(30) ? 0xFF : random.Below(256));
        // Often a plausible length, so that loads succeed too.
        if (!bytes.empty() && random.Chance(40))
            bytes[0] = static_cast<char>(random.Below(static_cast<int>(bytes.size())));
        const bool withPrefix = random.Chance(80);
        const int32_t bits = random.Pick(widths);
        const int32_t fixedLength = random.Between(-2, 45);
        const bool inverted = random.Chance(50);

        TNString s("before");
        const char* buffer = s.Text;
        plat::ByteReader reader(bytes);
        const bool ok = s.Load(withPrefix, bits, fixedLength, inverted, reader);
        ExpectTerminated(s);
        if (!ok) {
            ASSERT_EQ(s.Text, buffer) << "iteration " << i;
            ASSERT_EQ(s.View(), "before") << "iteration " << i;
            continue;
        }
        ++loaded;
        size_t width = 0;
        uint64_t stored = static_cast<uint64_t>(fixedLength);
        if (withPrefix) {
            width = static_cast<size_t>(bits / 8);
            stored = 0;
            for (size_t b = 0; b < width; ++b)
                stored |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[b])) << (8 * b);
        }
        ASSERT_EQ(static_cast<uint64_t>(s.Length), stored) << "iteration " << i;
        ASSERT_EQ(reader.Position(), width + stored) << "iteration " << i;
        for (size_t b = 0; b < stored; ++b) {
            const auto raw = static_cast<unsigned char>(bytes[width + b]);
            ASSERT_EQ(static_cast<unsigned char>(s.Text[b]), inverted ? 255 - raw : raw) << "iteration " << i;
        }
    }
    EXPECT_GT(loaded, Iterations() / 10);
}

// The search compared with the plain reading of its rule: every candidate in
// turn, character by character through FindOneChar.
int64_t ReferenceFind(std::string_view text, std::string_view needle, int32_t start, int32_t limit, bool caseSensitive,
                      bool removeDiacritics)
{
    const int64_t length = static_cast<int64_t>(text.size());
    const int64_t n = static_cast<int64_t>(needle.size());
    if (n == 0)
        return -1;
    const int64_t from = start < 0 ? 0 : start;
    if (from >= length || length - from < n)
        return -1;
    const int64_t end = limit > 0 && limit < length ? limit : length;
    for (int64_t p = from; p + n <= end; ++p) {
        bool match = true;
        for (int64_t j = 0; j < n && match; ++j)
            match = TNString::FindOneChar(text[static_cast<size_t>(p + j)], needle[static_cast<size_t>(j)], false,
                                          removeDiacritics, caseSensitive);
        if (match)
            return p;
    }
    return -1;
}

TEST_F(TNStringFuzz, FindAgreesWithThePlainRule)
{
    Random random(seed_ + 3);
    const char alphabet[] = "aAbBxXuUúŮůčČcC<>/ 1\xff";
    const int letters = static_cast<int>(std::strlen(alphabet));
    uint64_t found = 0;
    for (uint64_t i = 0; i < Iterations(); ++i) {
        std::string text(static_cast<size_t>(random.Chance(30) ? random.Between(16, 200) : random.Between(0, 20)), ' ');
        for (char& ch : text)
            ch = alphabet[random.Below(letters)];
        std::string needle;
        if (!text.empty() && random.Chance(60)) {
            const size_t at = static_cast<size_t>(random.Below(static_cast<int>(text.size())));
            needle = text.substr(at, static_cast<size_t>(random.Between(1, 6)));
            for (char& ch : needle) {
                if (random.Chance(30))
                    ch = alphabet[random.Below(letters)];
            }
        } else {
            needle.resize(static_cast<size_t>(random.Between(0, 4)));
            for (char& ch : needle)
                ch = alphabet[random.Below(letters)];
        }
        const int32_t length = static_cast<int32_t>(text.size());
        const int32_t start = random.Chance(70) ? 0 : random.Between(-3, length + 2);
        const int32_t limit = random.Chance(50) ? 0 : random.Between(-2, length + 3);
        const bool caseSensitive = random.Chance(50);
        const bool removeDiacritics = random.Chance(50);
        const bool returnEnd = random.Chance(50);

        TNString s(text);
        const int32_t result = s.Find(needle.c_str(), start, limit, caseSensitive, returnEnd, removeDiacritics);
        const int64_t expected = ReferenceFind(text, needle, start, limit, caseSensitive, removeDiacritics);
        ASSERT_EQ(s.Found, expected >= 0 ? 1 : 0)
            << "iteration " << i << " text \"" << text << "\" needle \"" << needle << "\"";
        if (expected >= 0) {
            ++found;
            const int64_t position = returnEnd ? expected + static_cast<int64_t>(needle.size()) : expected;
            ASSERT_EQ(result, position) << "iteration " << i << " text \"" << text << "\" needle \"" << needle << "\"";
        }
    }
    EXPECT_GT(found, Iterations() / 10);
}

} // namespace
