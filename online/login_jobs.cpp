// The job thread's jobs that serve the pages and the alert windows: the
// new-account statistics, a series deletion, the search, a postponed alert
// and a subscription.

#include "foundation/app_info.h"
#include "foundation/day_names.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/pim.h"
#include "model/record_lists.h"
#include "online/global.h"
#include "online/login.h"
#include "online/window_calls.h"

#include <memory>
#include <string>
#include <vector>

void TLogin::SendNewAccountStats()
{
    g.SendStatsToServer_NewAccountButtonClick(pim_srv_pos);
}

void TLogin::DeleteRecurringSeries()
{
    g.DeleteRecurringRecordUsingThread(RecordID, Value, pim_srv_pos);
}

void TLogin::Search()
{
    TNString text = g.SearchText();
    // The job's own list: the page takes it on the main thread, so the job
    // never writes a list the page may be reading.
    auto results = std::make_shared<TNPIMRecordList>();
    int32_t count = 0;
    // The name days do not depend on the server: searched once.
    std::vector<TNDayNameMatch> matches;
    if (ProgramDayNames().SearchDayNames(std::string(text.View()).c_str(), matches))
        AppendDayNameRecords(matches, results.get(), &count);
    bool showHidden = Setup.GetBool("Settings_ShowHiddenRecords");
    for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
        if (TNPIM* pim = PIM[position])
            pim->SearchInRecords(text, results.get(), 0, showHidden, &count);
    }
    TNWindowCalls::HandOverSearchResults(std::move(results), count);
}

void TLogin::PostponeAlert()
{
    g.PostponeAlert(Value, AlertID, pim_srv_pos, AlertType, OrganizerID, RecordID, AlertUserID);
    g.FastSync("[TLogin][Tag=8]");
}

void TLogin::SubscribeOrganizer()
{
    g.Sync2SubscribeOrganizer(OrganizerID, pim_srv_pos, Value);
}
