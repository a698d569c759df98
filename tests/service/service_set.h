#pragma once

#include "tests/service/account_actions.h"
#include "tests/service/account_service.h"
#include "tests/service/one_shot_routes.h"
#include "tests/service/sync_service.h"
#include "tests/service/update_service.h"

#include <cstdint>
#include <string>

namespace test_service {

class TestService;

// Every part of the account and update services on one test service, wired
// to each other: the set of routes the hand-run service serves, and the one
// a test takes when it wants the service whole.
class ServiceSet {
public:
    explicit ServiceSet(TestService& service);

    // The controls of the item store and of the demo under "/__test/".
    void RegisterControls();

    // ---- The demo's controls, also for tests.
    // A record of organizer 501 beginning `seconds` from now with a desktop
    // alert at its begin; the alert's id.
    uint32_t AddAlert(int64_t seconds, const std::string& text);
    // Announces this version and serves it with one small file for the
    // program folder.
    void OfferUpdate(int version);
    // A message for every account, sent until the account flags it.
    void PostMessage(const PendingMessage& message);

    TestService& Service;
    AccountService Accounts;
    SyncService Sync;
    OneShotRoutes OneShot;
    AccountActions Actions;
    UpdateService Updates;
};

// The demo account: alice (user 1001) with `password`, whose records, tasks,
// notes and alerts are dated around `now` (Unix seconds), read in the local
// time zone.
void SeedDemoAccount(ServiceSet& set, int64_t now, const std::string& password);

// What the controls do, one line each, for --help.
const char* ControlsHelp();

} // namespace test_service
