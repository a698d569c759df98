#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"

#include <cstring>
#include <string>

namespace {

// The classes each command acts on.
const char* const kUndoClasses[] = {"TFlatEdit", "TEdit", "TFlatMemo", "TRichEdit", "TMemo", "TFlatSpinEditInteger",
                                    nullptr};
const char* const kCopyClasses[] = {"TFlatEdit", "TEdit", "TFlatComboBox",        "TFlatMemo",
                                    "TRichEdit", "TMemo", "TFlatSpinEditInteger", "TDateTimePicker",
                                    nullptr};
const char* const kPasteClasses[] = {"TFlatEdit", "TEdit", "TFlatComboBox",        "TFlatMemo",
                                     "TRichEdit", "TMemo", "TFlatSpinEditInteger", nullptr};
const char* const kSelectAllClasses[] = {"TFlatEdit", "TEdit",    "TFlatComboBox",        "TFlatMemo", "TRichEdit",
                                         "TMemo",     "TListBox", "TFlatSpinEditInteger", nullptr};

bool InTable(const char* const* table, const char* name)
{
    for (; *table != nullptr; ++table)
        if (std::strcmp(*table, name) == 0)
            return true;
    return false;
}

bool RunEditCommand(const char* command, void* form, TNEditOperation operation, const char* const* classes)
{
    const std::string caller = std::string("[TNCommon::") + command + "]";
    return Guarded(caller.c_str(), false, [&] {
        const char* className = form != nullptr && FoundationHooks.ActiveControlClass != nullptr
                                    ? FoundationHooks.ActiveControlClass(form)
                                    : nullptr;
        if (className == nullptr) {
            LogText((caller + " No Form->ActiveControl defined!").c_str());
            return false;
        }
        if (!InTable(classes, className) || FoundationHooks.EditActiveControl == nullptr)
            return false;
        FoundationHooks.EditActiveControl(form, operation);
        return true;
    });
}

} // namespace

bool TNCommon::Zpet(void* form)
{
    return RunEditCommand("Zpet", form, eoUndo, kUndoClasses);
}

bool TNCommon::KopirujDoSchranky(void* form)
{
    return RunEditCommand("KopirujDoSchranky", form, eoCopy, kCopyClasses);
}

bool TNCommon::VyjmiDoSchranky(void* form)
{
    return RunEditCommand("VyjmiDoSchranky", form, eoCut, kCopyClasses);
}

bool TNCommon::VlozZeSchranky(void* form)
{
    return RunEditCommand("VlozZeSchranky", form, eoPaste, kPasteClasses);
}

bool TNCommon::SmazVyber(void* form)
{
    return RunEditCommand("SmazVyber", form, eoClearSelection, kPasteClasses);
}

bool TNCommon::VyberVse(void* form)
{
    return RunEditCommand("VyberVse", form, eoSelectAll, kSelectAllClasses);
}
