#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {
class TPanel;
} // namespace plat

class TfrmMainDLMR1;
class TNViewItem;

// What the Tasks and Notes pages share: their sizes, the parts their boxes
// are built from, the callbacks of every record list, and the pure parts of
// the note editor.

constexpr int32_t kPageHeadHeight = 32;
// The strip above a page's columns.
constexpr int32_t kPageStripHeight = 8;
constexpr int32_t kTagColumnWidth = 256;
constexpr int32_t kPageColumnGap = 7;
constexpr int32_t kTagButtonHeight = 28;
constexpr uint32_t kPageHeadColor = 0x808080;
constexpr uint32_t kPageHeadText = 0xFFFFFF;
constexpr int32_t kPageHeadTitleWidth = 200;

// The layout, after-layout repaint and scroll callbacks of a record list.
void BindRecordsListCallbacks(TNViewItem* list);
// The head tool bar of a page's scroll box, and a button of it (an icon
// button is square; a caption button takes the rest of the bar).
TNViewItem* AddPageListHead(TfrmMainDLMR1& form, TNViewItem* box);
TNViewItem* AddPageHeadButton(TNViewItem* bar, const char* name, const char* caption, const char* icon, bool right);
plat::TPanel* MakePageStrip(TfrmMainDLMR1& form, plat::TPanel* desk, const char* name);
// Every tag not deleted of every data set (store, id, title), to see a
// change made elsewhere.
std::string TagsSignature();

// The text with every line end ("\r\n", "\r") as "\n".
std::string NormalizedLineEnds(const std::string& text);
// A note's fields from an editor's text: Note with "<br />" for each line
// end (kept raw otherwise, as the service expects), PlainNote as typed.
struct TNNoteFields {
    std::string Note;
    std::string PlainNote;
};
TNNoteFields NoteFieldsFromMemo(const std::string& memoText);
// The editor's text says what the stored plain text says, line ends aside.
bool NoteTextUnchanged(const char* plainNote, const std::string& memoText);

// One candidate of a restored selection, in the order met: the specials in
// table order, then the tags in store and list order.
struct TNSelectionCandidate {
    uint32_t Id = 0;
    int32_t PimSrvPos = 0;
    bool Selected = false;
};
// The last selected candidate; Id 0 when none is.
TNSelectionCandidate RestoredSelection(const std::vector<TNSelectionCandidate>& candidates);
// Appends every live tag of every store, in store and list order, with its
// mark for one page (`selected`), under the model's read lock.
class TNPIMTag;
void AppendTagCandidates(std::vector<TNSelectionCandidate>& candidates, bool TNPIMTag::*selected);
