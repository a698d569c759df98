#include "platform/gui/text_metrics.h"

#include "platform/core/codepage.h"
#include "platform/gui/internal/font_face.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

#include <cmath>
#include <memory>
#include <unordered_map>

namespace plat {
namespace {

constexpr int kFixedAdvance = 7;
constexpr int kFixedLineHeight = 15;
constexpr int kFixedAscent = 12;

bool fixedMetrics = false;

enum class Family { RobotoCondensed, LiberationSans, DejaVuSans };

struct FamilyChoice {
    Family family;
    bool webdings;
};

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

FamilyChoice ChooseFamily(std::string_view name)
{
    if (EqualsNoCase(name, "Roboto Condensed"))
        return {Family::RobotoCondensed, false};
    if (EqualsNoCase(name, "Arial") || EqualsNoCase(name, "Liberation Sans"))
        return {Family::LiberationSans, false};
    return {Family::DejaVuSans, EqualsNoCase(name, "Webdings")};
}

const char* FamilyName(Family family)
{
    switch (family) {
    case Family::RobotoCondensed:
        return "Roboto Condensed";
    case Family::LiberationSans:
        return "Liberation Sans";
    case Family::DejaVuSans:
        break;
    }
    return "DejaVu Sans";
}

char16_t DisplayedCodePoint(unsigned char byte, bool webdings)
{
    if (webdings && byte == '6')
        return u'\u25BC';
    if (byte == '\t')
        return u' ';
    // Control characters (character 26 included) show the replacement glyph.
    if (byte < 0x20)
        return u'\uFFFD';
    return static_cast<char16_t>(Cp1250ToCodePoint(byte));
}

QFont MakeQFont(const char* family, int pixelSize, bool bold, bool italic)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    font.setBold(bold);
    font.setItalic(italic);
    font.setKerning(false);
    font.setStyleStrategy(static_cast<QFont::StyleStrategy>(QFont::PreferNoShaping | QFont::NoFontMerging));
    return font;
}

std::unique_ptr<FontFace> BuildFace(FamilyChoice choice, int pixelSize, bool bold, bool italic)
{
    auto face = std::make_unique<FontFace>();
    face->font = MakeQFont(FamilyName(choice.family), pixelSize, bold, italic);
    face->raw[0] = QRawFont::fromFont(face->font);
    face->raw[1] = QRawFont::fromFont(MakeQFont("DejaVu Sans", pixelSize, bold, italic));
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t codePoint = DisplayedCodePoint(static_cast<unsigned char>(byte), choice.webdings);
        const QString text{QChar(codePoint)};
        int index = 0;
        quint32 glyph = 0;
        for (int candidate = 0; candidate < 2; ++candidate) {
            if (!face->raw[candidate].isValid() || !face->raw[candidate].supportsCharacter(QChar(codePoint)))
                continue;
            const QList<quint32> glyphs = face->raw[candidate].glyphIndexesForString(text);
            if (!glyphs.isEmpty() && glyphs.first() != 0) {
                index = candidate;
                glyph = glyphs.first();
                break;
            }
        }
        face->rawIndex[byte] = static_cast<uint8_t>(index);
        face->glyph[byte] = static_cast<uint16_t>(glyph);
        const QList<QPointF> advances = face->raw[index].advancesForGlyphIndexes(QList<quint32>{glyph});
        face->advance[byte] = advances.isEmpty() ? 0 : static_cast<int>(std::lround(advances.first().x()));
    }
    const QFontMetrics metrics(face->font);
    face->ascent = metrics.ascent();
    face->descent = metrics.descent();
    face->averageCharWidth = metrics.averageCharWidth();
    face->underlinePosition = std::max(1, metrics.underlinePos());
    face->lineThickness = std::max(1, metrics.lineWidth());
    return face;
}

uint32_t FaceKey(FamilyChoice choice, int pixelSize, bool bold, bool italic)
{
    return static_cast<uint32_t>(choice.family) | (choice.webdings ? 4u : 0u) | (bold ? 8u : 0u) | (italic ? 16u : 0u) |
           (static_cast<uint32_t>(pixelSize) << 8);
}

} // namespace

const FontFace& FaceFor(const TFont& font)
{
    static std::unordered_map<uint32_t, std::unique_ptr<FontFace>> faces;
    const FamilyChoice choice = ChooseFamily(font.Name());
    const int pixelSize = std::clamp(font.PixelSize(), 1, 4096);
    const bool bold = (font.Style() & fsBold) != 0;
    const bool italic = (font.Style() & fsItalic) != 0;
    auto& slot = faces[FaceKey(choice, pixelSize, bold, italic)];
    if (!slot)
        slot = BuildFace(choice, pixelSize, bold, italic);
    return *slot;
}

int AdvanceOf(const FontFace& face, unsigned char byte)
{
    return fixedMetrics ? kFixedAdvance : face.advance[byte];
}

int DrawTextLine(QPainter& painter, const TFont& font, int x, int top, std::string_view text, const QColor& color)
{
    const FontFace& face = FaceFor(font);
    const int ascent = fixedMetrics ? kFixedAscent : face.ascent;
    const int baseline = top + ascent;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    int pen = x;
    int runFont = -1;
    painter.save();
    painter.setPen(color);
    const auto flush = [&] {
        if (glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(face.raw[runFont]);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        glyphs.clear();
        positions.clear();
    };
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (face.rawIndex[byte] != runFont) {
            flush();
            runFont = face.rawIndex[byte];
        }
        glyphs.push_back(face.glyph[byte]);
        positions.push_back(QPointF(pen, baseline));
        pen += AdvanceOf(face, byte);
    }
    flush();
    const int width = pen - x;
    if (font.Style() & fsUnderline)
        painter.fillRect(QRect(x, baseline + face.underlinePosition, width, face.lineThickness), color);
    if (font.Style() & fsStrikeOut)
        painter.fillRect(QRect(x, baseline - face.ascent / 3, width, face.lineThickness), color);
    painter.restore();
    return width;
}

int TextMetrics::TextWidth(const TFont& font, std::string_view text)
{
    if (fixedMetrics)
        return kFixedAdvance * static_cast<int>(text.size());
    const FontFace& face = FaceFor(font);
    int width = 0;
    for (const char c : text)
        width += face.advance[static_cast<unsigned char>(c)];
    return width;
}

int TextMetrics::LineHeight(const TFont& font)
{
    if (fixedMetrics)
        return kFixedLineHeight;
    const FontFace& face = FaceFor(font);
    return face.ascent + face.descent;
}

int TextMetrics::Ascent(const TFont& font)
{
    return fixedMetrics ? kFixedAscent : FaceFor(font).ascent;
}

int TextMetrics::AverageCharWidth(const TFont& font)
{
    return fixedMetrics ? kFixedAdvance : FaceFor(font).averageCharWidth;
}

std::vector<std::string> TextMetrics::SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = ++i;
            continue;
        }
        ++i;
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

// Blanks stay as typed inside a line and as a paragraph's indentation, so
// aligned note text keeps its shape; the blanks at a break are dropped.
std::vector<std::string> TextMetrics::WrapText(const TFont& font, std::string_view text, int width)
{
    std::vector<std::string> result;
    for (const std::string& paragraph : SplitLines(text)) {
        std::string line;
        int lineWidth = 0;
        bool lineHasWord = false;
        size_t pos = 0;
        while (pos < paragraph.size()) {
            const size_t wordStart = std::min(paragraph.find_first_not_of(' ', pos), paragraph.size());
            if (wordStart == paragraph.size())
                break;
            const size_t end = std::min(paragraph.find(' ', wordStart), paragraph.size());
            const std::string_view gap(paragraph.data() + pos, wordStart - pos);
            const std::string_view word(paragraph.data() + wordStart, end - wordStart);
            const int wordWidth = TextWidth(font, word);
            const int gapWidth = gap.empty() ? 0 : TextWidth(font, gap);
            if (!lineHasWord || lineWidth + gapWidth + wordWidth <= width) {
                line += gap;
                line += word;
                lineWidth += gapWidth + wordWidth;
                lineHasWord = true;
            } else {
                result.push_back(std::move(line));
                line.assign(word);
                lineWidth = wordWidth;
            }
            pos = end;
        }
        result.push_back(std::move(line));
    }
    return result;
}

void TextMetrics::SetFixed(bool fixed)
{
    fixedMetrics = fixed;
}

bool TextMetrics::IsFixed()
{
    return fixedMetrics;
}

std::string TextMetrics::ResolvedFamily(const std::string& requested)
{
    return FamilyName(ChooseFamily(requested).family);
}

} // namespace plat
