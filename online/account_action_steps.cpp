#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/online_steps.h"

#include <string>
#include <vector>

namespace online {

namespace {

constexpr int32_t kContactAnswersPerPass = 3;

struct TNContactAnswer {
    int32_t Position = 0;
    uint32_t RequestID = 0;
    int32_t Action = 0;
};

// The answers chosen by the user that have not reached the service yet.
std::vector<TNContactAnswer> PendingContactAnswers()
{
    std::vector<TNContactAnswer> answers;
    TNModelReadGuard lock;
    for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
        TNPIM* pim = PIM[position];
        if (pim == nullptr)
            continue;
        const TNPIMContactsRequests& requests = pim->ContactsRequests;
        for (int32_t pos = 0; pos < requests.Count; ++pos) {
            const TNPIMContactsRequest* request = requests.Items[pos];
            if (request == nullptr || request->Deleted != 0 || request->AcceptanceType <= 0 ||
                request->AcceptanceTimestamp != 0)
                continue;
            answers.push_back({position, request->ID, request->AcceptanceType});
            if (static_cast<int32_t>(answers.size()) == kContactAnswersPerPass)
                return answers;
        }
    }
    return answers;
}

} // namespace

void onlineSaveBasicProfileSettings()
{
    Guarded("[TOnline::onlineSaveBasicProfileSettings]", [] {
        if (g.pleaseSaveBasicProfileSettings != 1)
            return;
        TNAccount account = g.Account();
        LogWrite("[TOnline::onlineSaveBasicProfileSettings] g.newFirstName = ", account.NewFirstName.Text, false);
        LogWrite("[TOnline::onlineSaveBasicProfileSettings] g.newLastName = ", account.NewLastName.Text, false);
        g.pleaseSaveBasicProfileSettings = 0;
        g.Sync2SaveBasicProfileSettings(0);
    });
}

void onlineIgnoreOrAcceptContactsRequests()
{
    Guarded("[TOnline::onlineIgnoreOrAcceptContactsRequests]", [] {
        for (const TNContactAnswer& answer : PendingContactAnswers())
            g.Sync2IgnoreOrAcceptContactRequest(answer.Action, answer.RequestID, answer.Position);
    });
}

void onlineMarkAllNotificationsAsRead()
{
    Guarded("[TOnline::onlineMarkAllNotificationsAsRead]", [] {
        for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
            TNPIM* pim = PIM[position];
            bool wanted = false;
            if (pim != nullptr) {
                TNModelReadGuard lock;
                wanted = pim->pleaseMarkAllNotificationsAsRead;
            }
            if (wanted)
                g.Sync2MarkAllNotificationsAsRead(position);
        }
    });
}

} // namespace online
