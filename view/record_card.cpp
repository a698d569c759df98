// The record card (kind 17): one record, organizer or loading placeholder
// painted off screen and shown as a picture, with a transparent label on top
// that catches the mouse. Hovering repaints with the element under the mouse
// highlighted; a click acts on that element.

#include "view/record_card.h"
#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "model/tags.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/core/clock.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "view/daybox_metrics.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr plat::TColor kCardPanelColor = 0xFDD8EC;
constexpr plat::TColor kTimeTagColor = 0x77CA90;
constexpr plat::TColor kTitleLabelColor = 0xDF8058;
constexpr plat::TColor kTagChipColor = 0xEBEBEB;
constexpr plat::TColor kLinkColor = 0x6A6764;
constexpr plat::TColor kLinkHoverColor = 0xC80000;
constexpr int32_t kMaxPaintedTextLength = 1024;
constexpr int32_t kDefaultMaxLines = 16;
constexpr int32_t kAutoHeightLines = 16 + 6;
constexpr int32_t kSideLineWidth = 3;
constexpr int32_t kLinkGap = 14;
constexpr int32_t kMonthGroup = 4;
constexpr int32_t kOrganizerIconSize = 48;

enum CardElement : uint8_t {
    elNone = 0,
    elCheckbox = 1,
    elCheckmark = 2,
    elDetail = 3,
    elEdit = 4,
    elSubtask = 5,
    elDelete = 6,
    elImportance = 7,
};

std::atomic<uint32_t> shownDataGeneration{0};

bool HasSideLine(int32_t displayType)
{
    return displayType != kCardTaskRow && displayType != kCardNote && displayType != kCardPlaceholder &&
           displayType != kCardPlain127 && displayType != kCardOrganizer;
}

// A named picture of the table, or none when it has no graphic.
const plat::TGraphic* TablePicture(const char* name)
{
    plat::TImage* image = ImageTable.GetImage(name);
    return image != nullptr ? image->Picture().Graphic() : nullptr;
}

int32_t PictureWidth(const plat::TGraphic* graphic)
{
    return graphic != nullptr ? graphic->Width() : 0;
}

const char* ImportanceImageName(int32_t importance)
{
    switch (importance) {
    case 10:
        return "imgImportance10";
    case 99:
        return "imgImportance99";
    case -10:
        return "imgImportanceMinus10";
    default:
        return "imgImportance0";
    }
}

bool Contains(const plat::TRect& rect, const plat::TPoint& point)
{
    return point.x >= rect.Left && point.x < rect.Right && point.y >= rect.Top && point.y < rect.Bottom;
}

bool IsBreak(char c)
{
    return c == '\n' || c == '\r';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The state of one paint: where text goes next, the content's extent and
// the hover point.
struct CardPainter {
    plat::TCanvas& canvas;
    TNViewItem& item;
    bool hasHover = false;
    plat::TPoint hover{};
    int32_t cw = 0;
    int32_t lh = 0;
    int32_t iconGap = 0;
    int32_t textLeft = 7;
    int32_t rightLimit = 0;
    int32_t textTop = 2;
    int32_t indent = 0;
    plat::TCursor cursor = plat::crDefault;

    void Extend(int32_t left, int32_t bottom)
    {
        item.ExtentLeft = std::min(item.ExtentLeft, left);
        item.ExtentBottom = std::max(item.ExtentBottom, bottom);
    }

    // A hit marks the element hovered and asks for the hand cursor.
    bool HitTest(const plat::TRect& rect, uint8_t element)
    {
        if (!hasHover || !Contains(rect, hover))
            return false;
        item.HoveredElement = element;
        cursor = plat::crHandPoint;
        return true;
    }

    void DrawPicture(const plat::TGraphic* graphic, int32_t x, int32_t y)
    {
        if (graphic == nullptr)
            return;
        canvas.Draw(x, y, *graphic);
        Extend(x, y + graphic->Height());
    }

    // Text on a filled cell.
    int32_t DrawCell(int32_t x, int32_t y, const std::string& text, plat::TColor background)
    {
        canvas.Brush.Style = plat::TBrushStyle::bsSolid;
        canvas.Brush.Color = background;
        canvas.TextOut(x, y, text);
        const int32_t width = canvas.TextWidth(text);
        Extend(x, y + canvas.TextHeight(text));
        return width;
    }

    // Writes wrapped lines from `top`; returns the top of the last line
    // and leaves `lineEnd` at its right end.
    int32_t DrawLines(const std::vector<std::string>& lines, int32_t top, int32_t firstIndent, int32_t* lineEnd)
    {
        canvas.Brush.Style = plat::TBrushStyle::bsClear;
        int32_t y = top;
        for (size_t i = 0; i < lines.size(); ++i) {
            y = top + static_cast<int32_t>(i) * lh;
            const int32_t x = textLeft + (i == 0 ? firstIndent : 0);
            canvas.TextOut(x, y, lines[i]);
            *lineEnd = x + canvas.TextWidth(lines[i]);
            Extend(x, y + lh);
        }
        return y;
    }
};

// The organizer a card of display type 222 shows, from the card's data set
// or else from the public organizers; `list` gets the list it came from.
TNPIMOrganizer* CardOrganizer(const TNViewItem& item, const TNPIMRecord& record, TNPIMOrganizers** list)
{
    TNPIM* pim = PIM[PIM.Has(item.pimSrvPos) ? item.pimSrvPos : 0];
    if (pim != nullptr) {
        if (TNPIMOrganizer* own = pim->Organizers.GetOrganizerByID(record.OrganizerID)) {
            *list = &pim->Organizers;
            return own;
        }
    }
    if (g.AvailableOrganizers != nullptr) {
        if (TNPIMOrganizer* available = g.AvailableOrganizers->GetOrganizerByID(record.OrganizerID)) {
            *list = g.AvailableOrganizers.get();
            return available;
        }
    }
    return nullptr;
}

// Something placed after the last line: on it when it fits before the
// right limit, else at the text left of a new line.
void PlaceAfterLine(CardPainter& paint, int32_t width, int32_t gap, int32_t& lineTop, int32_t& lineEnd)
{
    if (lineEnd + gap + width > paint.rightLimit) {
        lineTop += paint.lh;
        lineEnd = paint.textLeft;
        return;
    }
    lineEnd += gap;
}

void PaintTagChip(CardPainter& paint, const TNPIMRecord& record, const std::string& fontName, int32_t fontSize,
                  int32_t& lineTop, int32_t& lineEnd)
{
    if (paint.item.TagDisplay == -1 || record.ParentPIM == nullptr)
        return;
    const TNPIMTag* tag = record.ParentPIM->TagsAssign.GetTag(record.ID);
    if (tag == nullptr || tag->Title.Text == nullptr || tag->Title.Length < 1 ||
        tag->Title.Length > kMaxPaintedTextLength)
        return;
    paint.canvas.Font.SetName(fontName);
    paint.canvas.Font.SetSize(fontSize - 2);
    const std::string chip = " " + std::string(tag->Title.Text, static_cast<size_t>(tag->Title.Length)) + " ";
    PlaceAfterLine(paint, paint.canvas.TextWidth(chip), paint.cw, lineTop, lineEnd);
    lineEnd += paint.DrawCell(lineEnd, lineTop, chip, kTagChipColor);
}

void PaintIcons(CardPainter& paint, const TNPIMRecord& record, int32_t& lineTop, int32_t& lineEnd,
                plat::TColor textColor)
{
    const bool shown[] = {
        record.Shared || (record.SharingRequest.Text != nullptr && record.SharingRequest.Length > 0),
        record.RecurrenceMasterID != 0 || record.RecurrenceFrequency != 0,
        record.Place.Length > 0,
        record.Note.Length > 0 && paint.item.DisplayType != kCardNote,
        record.AlertType0 > 0,
    };
    const char* names[] = {"imgSharedSilver12", "imgRecurringSilver12", "imgPlaceSilver12", "imgNoteSilver12",
                           "imgAlertSilver12"};
    for (size_t i = 0; i < std::size(names); ++i) {
        if (!shown[i])
            continue;
        const plat::TGraphic* icon = TablePicture(names[i]);
        const int32_t width = PictureWidth(icon);
        PlaceAfterLine(paint, width, paint.iconGap, lineTop, lineEnd);
        paint.DrawPicture(icon, lineEnd, lineTop + 2);
        lineEnd += width;
    }
    const int32_t type = paint.item.DisplayType;
    if (App.IsDevServer == 1 && type != kCardPlain111 && type != kCardPlaceholder && type != kCardPlain127 &&
        type != kCardOrganizer) {
        char id[24];
        std::snprintf(id, sizeof id, " ID:%u", record.ID);
        paint.canvas.Font.SetColor(textColor);
        paint.canvas.Brush.Style = plat::TBrushStyle::bsClear;
        const int32_t width = paint.canvas.TextWidth(id);
        PlaceAfterLine(paint, width, 0, lineTop, lineEnd);
        paint.canvas.TextOut(lineEnd, lineTop, id);
        paint.Extend(lineEnd, lineTop + paint.lh);
        lineEnd += width;
    }
}

// The task row's links under the text; returns the row's top.
int32_t PaintLinkRow(CardPainter& paint, const TNPIMRecord& record, const std::string& fontName, int32_t panelFontSize,
                     int32_t lineTop)
{
    plat::TCanvas& canvas = paint.canvas;
    const int32_t top = lineTop + paint.lh + 5;
    canvas.Font.SetName(fontName);
    canvas.Font.SetSize(panelFontSize - 1);
    canvas.Font.SetStyle(plat::fsUnderline);
    canvas.Brush.Style = plat::TBrushStyle::bsClear;
    struct Link {
        const char* text;
        uint8_t element;
    };
    const Link links[] = {{"Detail", elDetail}, {"Upravit", elEdit}, {"Podúkol", elSubtask}, {"Smazat", elDelete}};
    int32_t x = paint.textLeft;
    for (const Link& link : links) {
        const int32_t width = canvas.TextWidth(link.text);
        const int32_t height = canvas.TextHeight(link.text);
        const bool hot = paint.HitTest(plat::Bounds(x, top, width, height), link.element);
        canvas.Font.SetColor(hot ? kLinkHoverColor : kLinkColor);
        canvas.TextOut(x, top, link.text);
        paint.Extend(x, top + height);
        x += width + kLinkGap;
    }
    canvas.Font.SetStyle(0);
    if (record.Finished <= 0) {
        const plat::TGraphic* mark = TablePicture("imgCheckmarkSilver");
        if (paint.HitTest(plat::Bounds(x, top, PictureWidth(mark), mark != nullptr ? mark->Height() : 0), elCheckmark))
            mark = TablePicture("imgCheckmarkBlue");
        paint.DrawPicture(mark, x, top);
    }
    return top;
}
} // namespace

int32_t WrapRecordText(const plat::TFont& font, std::string_view text, int32_t indent, int32_t width, int32_t maxLines,
                       std::vector<std::string>* lines)
{
    return Guarded("[WrapRecordText]", 0, [&] {
        if (lines == nullptr)
            return 0;
        lines->clear();
        if (maxLines < 1)
            return 0;
        size_t at = 0;
        while (at < text.size() && (IsBlank(text[at]) || IsBreak(text[at])))
            ++at;

        std::string line;
        int32_t lineWidth = 0;
        bool lineBroken = false;
        auto closeLine = [&] {
            lines->push_back(std::move(line));
            line.clear();
            lineWidth = 0;
            return static_cast<int32_t>(lines->size()) < maxLines;
        };
        while (at < text.size()) {
            const size_t separatorStart = at;
            while (at < text.size() && IsBlank(text[at]))
                ++at;
            const std::string_view separator = text.substr(separatorStart, at - separatorStart);
            if (at < text.size() && IsBreak(text[at])) {
                while (at < text.size() && (IsBreak(text[at]) || IsBlank(text[at])))
                    ++at;
                if (!line.empty())
                    lineBroken = true;
                continue;
            }
            const size_t wordStart = at;
            while (at < text.size() && !IsBlank(text[at]) && !IsBreak(text[at]))
                ++at;
            const std::string_view word = text.substr(wordStart, at - wordStart);
            if (word.empty())
                break;
            if (lineBroken) {
                lineBroken = false;
                if (!closeLine())
                    return static_cast<int32_t>(lines->size());
            }
            const int32_t wordWidth = plat::TextMetrics::TextWidth(font, word);
            if (line.empty()) {
                line.assign(word);
                lineWidth = wordWidth;
                continue;
            }
            const int32_t separatorWidth = plat::TextMetrics::TextWidth(font, separator);
            const int32_t available = width - (lines->empty() ? indent : 0);
            if (lineWidth + separatorWidth + wordWidth <= available) {
                line.append(separator);
                line.append(word);
                lineWidth += separatorWidth + wordWidth;
                continue;
            }
            if (!closeLine())
                return static_cast<int32_t>(lines->size());
            line.assign(word);
            lineWidth = wordWidth;
        }
        if (!line.empty())
            lines->push_back(std::move(line));
        return static_cast<int32_t>(lines->size());
    });
}

namespace {

// A task row: the check box and the importance, each a hit area.
void PaintTaskRowMarks(CardPainter& paint, const TNPIMRecord& record)
{
    const int32_t elementTop = 9;
    paint.textTop = 8;
    const plat::TGraphic* checkbox =
        TablePicture(record.Finished > 0 ? "imgCheckboxCheckedWhiteBG" : "imgCheckboxUncheckedWhiteBG");
    int32_t x = 10;
    paint.HitTest(plat::Bounds(x, elementTop, PictureWidth(checkbox), checkbox ? checkbox->Height() : 0), elCheckbox);
    paint.DrawPicture(checkbox, x, elementTop);
    x += PictureWidth(checkbox) + paint.cw;
    const plat::TGraphic* importance = TablePicture(ImportanceImageName(record.Importance));
    if (paint.HitTest(plat::Bounds(x, elementTop, PictureWidth(importance), importance ? importance->Height() : 0),
                      elImportance))
        importance = TablePicture("imgImportanceBlank");
    paint.DrawPicture(importance, x, elementTop);
    paint.textLeft = x + PictureWidth(importance) + paint.cw;
}

void PaintTimeAndFinished(CardPainter& paint, const TNPIMRecord& record, bool month, plat::TColor background,
                          plat::TColor textColor)
{
    plat::TCanvas& canvas = paint.canvas;
    plat::TLabel* timeLabel = paint.item.Labels[1].Get();
    if (timeLabel != nullptr && !timeLabel->Caption().empty() &&
        static_cast<int32_t>(timeLabel->Caption().size()) <= kMaxPaintedTextLength) {
        canvas.Font.Assign(timeLabel->Font());
        canvas.Font.SetSize(timeLabel->Font().Size() - 1);
        canvas.Font.SetColor(month ? textColor : timeLabel->Font().Color());
        const int32_t tagWidth = paint.DrawCell(paint.textLeft + paint.indent, paint.textTop, timeLabel->Caption(),
                                                month ? background : timeLabel->Color());
        paint.indent += tagWidth + paint.cw;
    }
    if (record.Finished > 0) {
        const plat::TGraphic* mark = TablePicture("imgFinishedGreen12");
        paint.DrawPicture(mark, paint.textLeft + paint.indent, paint.textTop + (month ? 0 : 2));
        paint.indent += PictureWidth(mark) + paint.iconGap;
    }
}

// A note's text fills the card; a placeholder waits beside an hourglass; an
// organizer shows its icon, its name a size larger and its relation below.
void SetUpCardKind(CardPainter& paint, TNPIMRecord& record, int32_t type, int32_t width, int32_t* maxLines,
                   int32_t* fontSize, std::string* secondary)
{
    if (type == kCardNote) {
        paint.textLeft = 10;
        paint.textTop = 8;
        paint.rightLimit = width - 11;
        paint.indent = 0;
    } else if (type == kCardPlaceholder) {
        paint.textTop = 10;
        *maxLines = 2;
        const plat::TGraphic* clock = TablePicture("imgSandClock24");
        paint.DrawPicture(clock, 7, 7);
        paint.textLeft = 7 + PictureWidth(clock) + 2 + paint.cw;
    } else if (type == kCardOrganizer) {
        TNPIMOrganizers* organizers = nullptr;
        if (TNPIMOrganizer* organizer = CardOrganizer(paint.item, record, &organizers)) {
            *fontSize += 1;
            *maxLines = 2;
            paint.textTop = 3;
            plat::TImage* icon = ImageTable.GetOrganizerIconImage(organizers, organizer, kOrganizerIconSize);
            paint.DrawPicture(icon != nullptr ? icon->Picture().Graphic() : nullptr, 1, 1);
            paint.textLeft = 1 + kOrganizerIconSize + 2 + paint.cw;
            TNString relation;
            g.GetOrganizerRelationText(true, organizer, &relation, nullptr);
            if (relation.Text != nullptr)
                secondary->assign(relation.Text, static_cast<size_t>(relation.Length));
        }
    }
}

void PaintSecondaryText(CardPainter& paint, const std::string& secondary, const std::string& fontName, int32_t fontSize,
                        plat::TColor textColor, int32_t lineTop)
{
    plat::TCanvas& canvas = paint.canvas;
    canvas.Font.SetName(fontName);
    canvas.Font.SetSize(fontSize);
    canvas.Font.SetColor(textColor);
    std::vector<std::string> secondaryLines;
    WrapRecordText(canvas.Font, secondary, 0, paint.rightLimit - paint.textLeft, kDefaultMaxLines, &secondaryLines);
    int32_t secondaryEnd = 0;
    paint.DrawLines(secondaryLines, lineTop + paint.lh, 0, &secondaryEnd);
}

} // namespace

uint32_t TNView::ShownDataGeneration()
{
    return shownDataGeneration.load(std::memory_order_acquire);
}

void TNView::NoteShownDataReplaced()
{
    shownDataGeneration.fetch_add(1, std::memory_order_acq_rel);
}

void TNView::CreateRecord(TNViewItem* item)
{
    Guarded("[TNView::CreateRecord]", [&] {
        if (item == nullptr)
            return;
        plat::TForm* owner = item->OwnerForm.Get();
        auto* panel = new plat::TPanel(owner);
        panel->SetBevelInner(plat::TBevelCut::bvNone);
        panel->SetBevelOuter(plat::TBevelCut::bvNone);
        panel->SetBounds(-100, -100, 16, 16);
        panel->SetColor(kCardPanelColor);
        panel->SetCaption("");
        panel->Font().SetName(FontName);
        const int32_t parentFontSize = item->ParentItem != nullptr ? item->ParentItem->RecordFontSize : 0;
        panel->Font().SetSize(parentFontSize > 0 ? parentFontSize : FontSize);
        item->Panel = panel;

        auto* timeLabel = new plat::TLabel(owner);
        timeLabel->SetParent(panel);
        timeLabel->SetAutoSize(false);
        timeLabel->SetBounds(-999, timeLabel->Top(), 0, 0);
        timeLabel->SetTransparent(false);
        timeLabel->SetColor(kTimeTagColor);
        timeLabel->Font().SetName(FontName);
        timeLabel->Font().SetColor(plat::clWhite);
        timeLabel->Font().SetSize(9);
        timeLabel->SetAlignment(plat::TAlignment::taCenter);
        timeLabel->SetShowAccelChar(false);
        item->Labels[1] = timeLabel;

        auto* titleLabel = new plat::TLabel(owner);
        titleLabel->SetParent(panel);
        titleLabel->Font().Assign(panel->Font());
        titleLabel->Font().SetColor(plat::clWhite);
        titleLabel->SetColor(kTitleLabelColor);
        titleLabel->SetTransparent(true);
        titleLabel->SetWordWrap(true);
        titleLabel->SetShowAccelChar(false);
        item->TitleLabel = titleLabel;

        auto* picture = new plat::TImage(owner);
        picture->SetParent(panel);
        picture->SetVisible(true);
        item->Images[1] = picture;

        auto* overlay = new plat::TLabel(owner);
        overlay->SetParent(panel);
        overlay->SetTransparent(true);
        overlay->SetAutoSize(false);
        overlay->OnMouseEnter = [](plat::TComponent* sender) { View.RecordMouseEnter(sender); };
        overlay->OnMouseLeave = [](plat::TComponent* sender) { View.RecordMouseLeave(sender); };
        overlay->OnMouseMove = [](plat::TComponent* sender, plat::TShiftState, int, int) {
            View.RecordMouseMove(sender);
        };
        item->CaptionLabel = overlay;

        panel->SetParent(item->ParentControl.Get());
    });
}

int32_t TNView::PaintRecordImage(TNViewItem* item, TNPIMRecord* record, const char* caller, const char* text,
                                 bool hover, int32_t height, int32_t width)
{
    return Guarded("[TNView::PaintRecordImage]", 0, [&]() -> int32_t {
        // 1. Nothing to paint on or with.
        if (width < 1 || height < 1)
            return 0;
        if (item == nullptr) {
            LogText("[TNView::PaintRecordImage][ERROR][NULL][A] item = NULL");
            return 0;
        }
        plat::TPanel* panel = item->Panel.Get();
        plat::TImage* picture = item->Images[1].Get();
        if (panel == nullptr) {
            LogText("[TNView::PaintRecordImage][ERROR][NULL][B]");
            return 0;
        }
        if (picture == nullptr) {
            LogText("[TNView::PaintRecordImage][ERROR][NULL][C]");
            return 0;
        }
        if (text == nullptr) {
            LogText("[TNView::PaintRecordImage][ERROR][NULL][E] original_record_text = NULL");
            return 0;
        }
        if (record == nullptr) {
            LogWrite("[TNView::PaintRecordImage][ERROR][NULL][F] record = NULL; caller = ",
                     caller != nullptr ? caller : "", false);
            return 0;
        }
        TNModelReadGuard readGuard;
        ++item->PaintCount;

        // 2. The kind shown, the font and its measures.
        if (record->Type == kCardPlain111 || record->Type == kCardPlaceholder || record->Type == kCardPlain127)
            item->DisplayType = record->Type;
        item->HoveredElement = elNone;
        const int32_t type = item->DisplayType;
        const bool month = item->IsDayboxMode(kMonthGroup);

        plat::TBitmap bitmap;
        plat::TCanvas& canvas = bitmap.Canvas();
        canvas.Font.SetName(FontName);
        canvas.Font.SetSize(FontSize);
        const std::string probe(1, '\x1a');
        CardPainter paint{canvas, *item};
        paint.cw = canvas.TextWidth(probe);
        paint.lh = canvas.TextHeight(probe);
        paint.iconGap = (paint.cw * 100 / 3 * 2) / 100;
        paint.rightLimit = width - 8;
        int32_t maxLines = kDefaultMaxLines;
        int32_t bitmapHeight = height;
        if (item->AutoHeight != 0) {
            bitmapHeight = kAutoHeightLines * paint.lh;
            item->ExtentLeft = 99;
            item->ExtentBottom = 0;
        }

        // 3. The background in the card's colours.
        bool shifted = hover;
        // The row's accent is the side line; its frame mostly equals the
        // panel and would not show.
        plat::TColor background = 0, frame = 0, sideLine = 0, textColor = 0;
        item->GetRecordColors(static_cast<int8_t>(item->ColorCombination), &shifted, &background, &frame, &sideLine,
                              &textColor);
        bitmap.SetSize(width, bitmapHeight);
        canvas.Brush.Style = plat::TBrushStyle::bsSolid;
        canvas.Brush.Color = background;
        canvas.FillRect(plat::Rect(0, 0, width, bitmapHeight));

        // 4. Where the mouse is, for the hover of an element.
        if (hover) {
            const plat::TPoint at = panel->ScreenToClient(plat::Mouse::CursorPos());
            if (at.x >= 0 && at.y >= 0 && at.x < panel->Width() && at.y < panel->Height()) {
                paint.hasHover = true;
                paint.hover = at;
            }
        }

        // 5. A task row begins with its check box and importance.
        if (type == kCardTaskRow) {
            maxLines = 2;
            PaintTaskRowMarks(paint, *record);
        }

        // 6-7. The time tag and the finished mark before the text.
        PaintTimeAndFinished(paint, *record, month, background, textColor);

        // 8-10. What a note, a placeholder or an organizer puts first.
        std::string secondary;
        int32_t fontSize = FontSize;
        SetUpCardKind(paint, *record, type, width, &maxLines, &fontSize, &secondary);

        // 11. The text, struck out when finished.
        if (month)
            paint.textTop = 0;
        canvas.Font.SetName(FontName);
        canvas.Font.SetSize(fontSize);
        canvas.Font.SetColor(textColor);
        canvas.Font.SetStyle(record->Finished != 0 ? plat::fsStrikeOut : 0);
        std::vector<std::string> lines;
        WrapRecordText(canvas.Font, text, paint.indent, paint.rightLimit - paint.textLeft, maxLines, &lines);
        int32_t lineEnd = paint.textLeft + paint.indent;
        int32_t lineTop = paint.DrawLines(lines, paint.textTop, paint.indent, &lineEnd);
        canvas.Font.SetStyle(0);

        // 12. The tag chip after the text.
        PaintTagChip(paint, *record, FontName, FontSize, lineTop, lineEnd);

        // 13-14. The icons of its properties.
        PaintIcons(paint, *record, lineTop, lineEnd, textColor);

        // 15. A task row's links.
        if (type == kCardTaskRow && item->LinksShown != 0)
            lineTop = PaintLinkRow(paint, *record, FontName, panel->Font().Size(), lineTop);

        // 16. An organizer's relation under its name.
        if (!secondary.empty())
            PaintSecondaryText(paint, secondary, FontName, FontSize, textColor, lineTop);

        // 18 (auto height first: the side line runs the whole card).
        int32_t result = height;
        if (item->AutoHeight != 0) {
            result = 2 * item->ExtentLeft + item->ExtentBottom;
            bitmap.SetHeight(result);
        }

        // 17. The side line in the card's accent.
        if (HasSideLine(type)) {
            canvas.Brush.Style = plat::TBrushStyle::bsSolid;
            canvas.Brush.Color = sideLine;
            canvas.FillRect(plat::Rect(0, 0, kSideLineWidth, bitmap.Height()));
        }

        picture->SetBounds(picture->Left(), picture->Top(), width, result);
        picture->Picture().Assign(bitmap);
        if (plat::TLabel* overlay = item->CaptionLabel.Get())
            overlay->SetCursor(paint.cursor);
        return result;
    });
}

bool TNView::ResizeRecord(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return Guarded("[TNView::ResizeRecord]", false, [&] {
        // 1. No card, nothing to lay out.
        if (item == nullptr) {
            LogWrite("[TNView::ResizeRecord] item = ", "NULL", false);
            return false;
        }
        plat::TPanel* panel = item->Panel.Get();
        if (panel == nullptr)
            return false;
        if (item->LayoutNeeded == 0 && !force && width == item->LastWidth && height == item->LastHeight &&
            item->LinksShown == item->LastLinksShown)
            return item->Shown == 1;

        // 2. What this layout was made for.
        item->LastLeft = left;
        item->LastTop = top;
        item->LastWidth = width;
        item->LastHeight = height;
        item->LastLinksShown = item->LinksShown;
        item->LayoutNeeded = 0;
        TNPIMRecord* record = RecordOfCard(item);
        if (record == nullptr) {
            LogWrite("[TNView::ResizeRecord][ERROR][NULL] item->recordPointer = ", "NULL", false);
            LogTextUInt("[TNView::ResizeRecord][ERROR][NULL] record_id = ", item->record_id);
        }

        // 3. The bounds; -1 keeps the panel's own.
        int32_t L = left >= 0 ? left : panel->Left();
        int32_t T = top >= 0 ? top : panel->Top();
        int32_t W = width;
        int32_t H = height >= 0 ? height : panel->Height();
        if (width < 0 && !CardWidthFromParent(item, &L, &T, &W, &H))
            return false;

        // 4. The panel, then the card painted at its size.
        panel->SetBounds(L, T, W, H);
        const plat::TLabel* title = item->TitleLabel.Get();
        const int32_t painted = PaintRecordImage(item, record, "TNView::ResizeRecord",
                                                 title != nullptr ? title->Caption().c_str() : "", false, H, W);
        if (painted >= 0 && painted != panel->Height())
            panel->SetHeight(painted);
        plat::TImage* picture = item->Images[1].Get();
        plat::TLabel* overlay = item->CaptionLabel.Get();
        if (overlay != nullptr)
            overlay->SetBounds(0, 0, panel->Width(), panel->Height());
        if (picture != nullptr)
            picture->BringToFront();
        if (overlay != nullptr)
            overlay->BringToFront();
        return item->Shown == 1;
    });
}

bool TNView::CardWidthFromParent(TNViewItem* item, int32_t* left, int32_t* top, int32_t* width, int32_t* height)
{
    TNViewItem* parent = item->ParentItem;
    if (parent == nullptr) {
        LogWrite("[TNView::ResizeRecord][ERROR] item->ParentItem == ", "NULL", false);
        return false;
    }
    plat::TPanel* parentPanel = parent->Panel.Get();
    if (parentPanel == nullptr) {
        LogWrite("[TNView::ResizeRecord][ERROR] item->ParentItem->Desk == ", "NULL", false);
        return false;
    }
    if (parent->Type != cmpDaybox)
        return true;
    if (parent->IsDayboxMode(kMonthGroup)) {
        GetMonthViewRecordBounds(item->MonthPos, item->dayPos, parent, left, top, width, height);
        return true;
    }
    const TNDayboxMetrics metrics = DayboxMetrics();
    TNViewItem* daybox = parent;
    if (parent->ParentItem != nullptr && parent->ParentItem->DayboxItem != nullptr &&
        parent->ParentItem->DayboxItem->Panel.Get() != nullptr)
        daybox = parent->ParentItem->DayboxItem;
    const int32_t days = std::max(1, item->shownDaysCount);
    const int32_t dayWidth = (daybox->Panel.Get()->Width() - metrics.TimeColumnWidth + 1) / days;
    const int32_t columns = std::max(1, item->ColumnsCount);
    *width = dayWidth - metrics.RecordMargin;
    if (columns == 1) {
        *left = metrics.TimeColumnWidth + item->dayPos * dayWidth;
        return true;
    }
    *width = (*width - (3 * columns - 3)) / columns;
    *left = metrics.TimeColumnWidth + item->ColumnPos * 3 + item->ColumnPos * *width + item->dayPos * dayWidth;
    return true;
}

void TNView::RepaintCardHover(TNViewItem* item, bool hover)
{
    plat::TPanel* panel = item->Panel.Get();
    if (panel == nullptr)
        return;
    const plat::TLabel* title = item->TitleLabel.Get();
    PaintRecordImage(item, RecordOfCard(item), "TNView::RecordMouseMove",
                     title != nullptr ? title->Caption().c_str() : "", hover, panel->Height(), panel->Width());
}

void TNView::RecordMouseEnter(plat::TComponent* sender)
{
    RecordMouseMove(sender);
}

void TNView::RecordMouseMove(plat::TComponent* sender)
{
    Guarded("[TNView::RecordMouseMove]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item != nullptr && item->Enabled == 1)
            RepaintCardHover(item, true);
    });
}

void TNView::RecordMouseLeave(plat::TComponent* sender)
{
    Guarded("[TNView::RecordMouseLeave]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        item->HoveredElement = elNone;
        RepaintCardHover(item, false);
    });
}

bool TNView::RecordMouseClick(TNViewItem* item, TNPIMRecord* record, plat::TComponent* sender)
{
    (void)sender;
    return Guarded("[TNView::RecordMouseClick]", false, [&] {
        if (item == nullptr || record == nullptr || item->Enabled != 1)
            return false;
        const uint32_t componentId = item->ComponentId;
        const int32_t pimPos = PIM.Has(item->pimSrvPos) ? item->pimSrvPos : 0;
        const uint32_t recordId = record->ID;
        switch (item->HoveredElement) {
        case elCheckbox:
        case elCheckmark:
            ToggleFinished(record, pimPos);
            break;
        case elDetail:
            ViewMain::OpenSideboard(recordId, 0);
            break;
        case elEdit:
            ViewMain::EditRecord(record, record->ParentID, nullptr);
            break;
        case elSubtask:
            ViewMain::EditRecord(nullptr, recordId, nullptr);
            break;
        case elDelete:
            if (ViewMain::DeleteRecordById(recordId, pimPos))
                AskForQuickSync();
            break;
        case elImportance:
            ViewMain::SetRecordImportancePimPos(pimPos);
            if (auto* menu = dynamic_cast<plat::TPopupMenu*>(ViewMain::popupRecordImportance())) {
                menu->SetTag(recordId);
                const plat::TPoint at = plat::Mouse::CursorPos();
                menu->Popup(at.x, at.y);
            }
            break;
        default:
            return false;
        }
        // The calls above may run nested loops in which a refill frees the
        // card: only a card that is still registered is repainted.
        if (TNViewItem* still = GetComponentById(componentId))
            RepaintCardHover(still, true);
        return true;
    });
}

void TNView::ToggleFinished(TNPIMRecord* record, int32_t pimPos)
{
    {
        // Released, with the UI-update flag cleared, on every way out.
        TNUiJobLock jobLock = g.WaitUntilSyncJobIsDone("RecordMouseClick", 1);
        record->Finished = record->Finished > 0 ? 0 : 1;
        record->FinishedTime = static_cast<uint32_t>(plat::UnixSeconds());
        ViewMain::ChangedRecordSaveSequence(pimPos, record, "RecordMouseClick");
    }
    AskForQuickSync();
}

void TNView::AskForQuickSync()
{
    g.FastSync("RecordMouseClick");
    g.SetUpdateUiTag(__uiUpdateShownData, 0);
}

TNPIMRecord* TNView::RecordOfCard(TNViewItem* item)
{
    if (item == nullptr)
        return nullptr;
    if (item->recordPointer != nullptr && item->RecordPointerGeneration == ShownDataGeneration())
        return item->recordPointer;
    item->recordPointer = nullptr;
    TNPIM* pim = PIM[PIM.Has(item->pimSrvPos) ? item->pimSrvPos : 0];
    if (pim == nullptr || pim->Records == nullptr)
        return nullptr;
    TNModelReadGuard readGuard;
    return pim->Records->GetRecordByID(item->record_id);
}

void TNView::SetCardRecord(TNViewItem* item, TNPIMRecord* record)
{
    if (item == nullptr)
        return;
    item->recordPointer = record;
    item->record_id = record != nullptr ? record->ID : 0;
    item->RecordPointerGeneration = ShownDataGeneration();
}
