// The record editor's coupling of begin, end, length and task box, and the
// heading that names what the record is becoming.

#include "dialog/unidlg.h"

#include "dialog/record_editor_logic.h"
#include "foundation/log.h"
#include "model/record.h"
#include "platform/gui/edit.h"
#include "view/view.h"

namespace {

constexpr plat::TColor kAlertRed = 0x0000FF;
constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr int32_t kProgramValueTag = 99;

// Values the handlers write fire the fields' change events again.
class TimeLogicGuard {
public:
    explicit TimeLogicGuard(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
    ~TimeLogicGuard()
    {
        if (entered_)
            flag_ = false;
    }
    bool Entered() const { return entered_; }

private:
    bool& flag_;
    bool entered_;
};

// The length field's edits carry tag 99 while the program writes them.
bool ProgramValue(TNViewItem* item)
{
    for (auto& edit : item->Edits) {
        if (edit.Get() != nullptr && edit->Tag() == kProgramValueTag)
            return true;
    }
    return false;
}

void MarkProgramValue(TNViewItem* item, bool marked)
{
    for (auto& edit : item->Edits) {
        if (edit.Get() != nullptr)
            edit->SetTag(marked ? kProgramValueTag : 0);
    }
}

void SetLengthEnabled(TNViewItem* item, bool enabled)
{
    item->Enabled = enabled ? 1 : 0;
    for (auto& edit : item->Edits) {
        if (edit.Get() != nullptr)
            edit->SetEnabled(enabled);
    }
}

void SetLengthColor(TNViewItem* item, plat::TColor color)
{
    for (auto& edit : item->Edits) {
        if (edit.Get() != nullptr)
            edit->SetColor(color);
    }
}

} // namespace

void TfrmUnidlgDLMR1::ApplyLengthField(const TNTimeLogicResult& result)
{
    TNViewItem* length = View.GetComponent("edit3EventLength");
    if (length == nullptr || !result.LengthRefreshed)
        return;
    MarkProgramValue(length, true);
    // Straight into the edit: the view's number setter writes "0" for "".
    if (plat::TFlatEdit* edit = length->Edits[1].Get())
        edit->SetText(result.LengthText);
    MarkProgramValue(length, false);
    SetLengthEnabled(length, result.LengthField.Enabled);
    SetLengthColor(length, !result.LengthField.Enabled ? View.DialogColor
                           : result.LengthField.Alert  ? kAlertRed
                                                       : kWhite);
}

void TfrmUnidlgDLMR1::ApplyEnd(const TNTimeLogicResult& result)
{
    if (!result.EndChanged)
        return;
    SetDateItemValue("date3End", result.End);
    endHasValue = result.End.HasDate;
}

TNTimeLogicState TfrmUnidlgDLMR1::TimeLogicState() const
{
    TNTimeLogicState state;
    state.Begin = DateItemValue("date3Begin");
    state.End = DateItemValue("date3End");
    state.OldBegin = shownBegin;
    state.LengthText = View.GetText("edit3EventLength");
    state.LastLength = lastEventLengthInMinutes;
    return state;
}

void TfrmUnidlgDLMR1::RefreshLengthField()
{
    TimeLogicGuard guard(inTimeLogic);
    const TNTimeLogicState state = TimeLogicState();
    TNTimeLogicResult shown;
    const int32_t length = EditorEventLength(state.Begin, state.End);
    shown.LengthRefreshed = true;
    shown.LengthField = EditorLengthFieldState(state.End, length);
    shown.LengthText = shown.LengthField.Enabled ? std::to_string(length) : "";
    ApplyLengthField(shown);
    if (lastEventLengthInMinutes == -1)
        lastEventLengthInMinutes = length;
}

void TfrmUnidlgDLMR1::RecordLengthChange(TNViewItem* item)
{
    TimeLogicGuard guard(inTimeLogic);
    if (!guard.Entered() || item == nullptr || ProgramValue(item))
        return;
    TNTimeLogicResult result = EditorLengthTyped(TimeLogicState());
    // Rewriting an unchanged text would move the caret while the user types.
    if (result.LengthText == View.GetText("edit3EventLength") && result.LengthField.Enabled) {
        SetLengthColor(item, result.LengthField.Alert ? kAlertRed : kWhite);
        result.LengthRefreshed = false;
    }
    ApplyLengthField(result);
    ApplyEnd(result);
}

void TfrmUnidlgDLMR1::RecordTypeOrTimeChange(TNViewItem* item)
{
    TimeLogicGuard guard(inTimeLogic);
    if (!guard.Entered() || item == nullptr)
        return;
    LogText("[RecordTypeOrTimeChange][BEGIN]");
    TNTimeChange change = TNTimeChange::End;
    if (item->Type == cmpNumberEdit) {
        if (ProgramValue(item))
            return;
        change = TNTimeChange::Length;
    } else if (item->Type == cmpCheckbox) {
        taskFlag = View.GetCheckboxValue("check3Task");
        change = TNTimeChange::Task;
    } else if (std::string_view(item->Name.Text != nullptr ? item->Name.Text : "") == "date3Begin") {
        change = TNTimeChange::Begin;
    }
    const TNTimeLogicState state = TimeLogicState();
    UpdateEditRecordHeading(state.Begin, state.End);
    const TNTimeLogicResult result = EditorTimeChange(change, state);
    ApplyEnd(result);
    ApplyLengthField(result);
    lastEventLengthInMinutes = result.LastLength;
    shownBegin = state.Begin;
    LogText("[RecordTypeOrTimeChange][END]");
}

void TfrmUnidlgDLMR1::UpdateEditRecordHeading(const TNEditorDate& begin, const TNEditorDate& end)
{
    TNHeadingInput input;
    input.IsNew = i1() == 0;
    input.IsSubRecord = i3() != 0;
    input.Task = taskFlag;
    input.Type = workingRecord != nullptr ? workingRecord->Type : 0;
    input.Begin = begin;
    input.End = end;
    const std::string heading = EditorHeading(input);
    NastavNadpis(heading, "", true);
    if (Caption() != heading)
        SetCaption(heading);
}
