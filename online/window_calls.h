#pragma once

#include <cstdint>
#include <memory>

class TNPIMRecord;
class TNPIMRecordList;
class TNPIMSharing;

// How the online layer reaches the windows: every call is posted to the main
// loop and returns at once, so no worker ever waits for the main thread.
// Texts are copied. Calls made before a main loop exists are logged and
// dropped. Each call runs the entry of the same name in hooks.h.
namespace TNWindowCalls {

void SetStatusBarText(int32_t item, const char* text);
void SetStatusBarIcon(int32_t item, int32_t iconIndex);
void SetStatusBarGradient(int32_t item, uint32_t colourFrom, uint32_t colourTo);
void SetStatusBarHint(int32_t item, const char* hint);
void ResizeMainStatusBar();
void SetComponentText(const char* name, const char* text);
void DeleteAllDeletableComponents();
void SetClosing(bool closing);

void ArmOnlineTimer(int32_t intervalMs);
void SetOnlineTimerTag(int32_t tag);
void WakeUiTagConsumer();
void ArmAfterOnlineLogin(int32_t tag);
void ArmAutoLogin(int32_t tag, int32_t intervalMs);
void ArmNotTimer(int32_t tag, int32_t intervalMs);
void ArmMainFromOnline(int32_t tag);
// Arms the strip for the message with the key at its index when the call
// runs; a message removed by then is not shown.
void ArmInfoPruhForMessage(uint64_t key);
void ArmHintTimer(int32_t tag, int32_t intervalMs);
void ShowApplication(const char* caller, int32_t showCommand);
void UpozorniNaNovouVerzi();
// A null text changes only the colour.
void StatusVersionBlink(uint32_t colour, const char* text);
void CloseNotWindow(int32_t slot);
void UpdateNotWindowPosition(int32_t slot);
void TurnMonitorOn();
void ReplaceShownNoteId(uint32_t oldId, uint32_t newId);
void UnregisterAllHotkeys();
void UlozHodnotyNastaveni(bool flag);
void PlaySoundA(int32_t sound);
void gDeskPageChanged();
void ZavriInfoPanel();

void SaveEditedNote(int32_t mode);
void DestroyCalendarComponents();
void HandOverSearchResults(std::shared_ptr<TNPIMRecordList> results, int32_t count);
void SetOrganizerToOpen(uint32_t organizerId);

void HandOverRecordFromServer(int32_t dialogIndex, uint64_t dialogId, std::shared_ptr<const TNPIMRecord> record,
                              std::shared_ptr<const TNPIMSharing> sharing);

// The foundation's message box and cursor, posted; nobody waits for the
// button chosen.
void ShowMessageBox(const char* text, const char* caption, uint32_t flags);
void ResetCursor();
void SetWaitCursor();

} // namespace TNWindowCalls
