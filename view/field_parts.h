#pragma once

// The parts every form field kind builds its controls from: the frame
// panel, the caption label and plain labels, flat edits, buttons and combo
// boxes in the view's look. Used only by the kinds' create operations.

#include "platform/gui/control.h"
#include "platform/gui/types.h"
#include "view/view.h"

#include <cstdint>
#include <string>

namespace plat {
class TFlatButton;
class TFlatComboBox;
class TFlatEdit;
class TJvPanel;
class TLabel;
class TPanel;
class TWinControl;
} // namespace plat

namespace field_parts {

// An event slot that runs one of the view's handlers with the sender.
inline plat::TNotifyEvent Notify(TNView& view, void (TNView::*handler)(plat::TComponent*))
{
    return [&view, handler](plat::TComponent* sender) { (view.*handler)(sender); };
}

// The field's outer panel on the item's parent control, in the owner
// form's colour, at (8, 8, width, height); hidden when asked.
plat::TPanel* MakeFramePanel(TNView& view, TNViewItem* item, int width, int height, bool hidden);
// The caption label ("<caption>:") on the frame panel, entered into its
// caption column. With `emptyWhenNoCaption` an empty caption gives an empty
// text instead of ":".
plat::TLabel* MakeCaptionLabel(TNView& view, TNViewItem* item, bool emptyWhenNoCaption);
// The grey one-pixel frame panel on the frame panel and the inner panel in
// the owner form's colour inside it (FramePanel1 and FramePanel2).
plat::TJvPanel* MakeGreyFrame(TNViewItem* item);
// A transparent label in the view's font at `size` points.
plat::TLabel* MakeLabel(TNView& view, TNViewItem* item, plat::TWinControl* parent, const std::string& text, int size);
// A flat edit in white with the grey border and the text popup menu.
plat::TFlatEdit* MakeFlatEdit(TNViewItem* item, plat::TWinControl* parent);
// A flat button with tab stop, its caption and font size.
plat::TFlatButton* MakeFlatButton(TNView& view, TNViewItem* item, plat::TWinControl* parent, const std::string& caption,
                                  int size);
// A drop-down list combo box with the grey border.
plat::TFlatComboBox* MakeComboBox(TNViewItem* item, plat::TWinControl* parent);
// The text popup menu of the window that owns the item.
void SetTextPopup(TNViewItem* item, plat::TWinControl* control);
// The width of a text in a control's font.
int TextWidthIn(const plat::TControl* control, const std::string& text);
// The absolute path of a picture in the program's images folder; empty
// when the file is not there.
std::string ProgramImage(const std::string& name);

// The grey of field frames and borders.
constexpr plat::TColor kFrameGrey = 0xA9A9A9;

} // namespace field_parts
