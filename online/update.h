#pragma once

#include "foundation/string.h"
#include "online/transport.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat {
class ByteReader;
class ByteWriter;
} // namespace plat

// One file of an update: where it goes and how much of it is on disk.
struct TNSouborAktualizace {
    uint8_t Stazeno = 0;
    uint8_t Zkopirovano = 0;
    TNString Nazev;
    // "?" (the program folder) or a relative folder of the program folder.
    TNString Slozka;
    uint32_t Velikost = 0;
    uint32_t StazenoBytu = 0;

    void Init();
    bool Load(plat::ByteReader& in);
    void Save(plat::ByteWriter& out) const;
};

// The automatic update: the list of a new version's files kept in
// "update.dat" in the update folder, their download in chunks into
// "<update folder>/<version>/", and their installation into the program
// folder when the program ends.
//
// The list belongs to the update thread while it runs; the close reads it
// only after that thread ended. The flags are shared with the close.
class TNUpdate {
public:
    static constexpr int32_t kMaxNameLength = 1023;
    static constexpr int32_t kChunkSize = 250000;
    // Pauses between attempts: the first, doubled after every attempt that
    // brought nothing, up to the longest.
    static constexpr int64_t kFirstPauseMs = 1500;
    static constexpr int64_t kLongestPauseMs = 300000;
    static constexpr const char* kListFileName = "update.dat";

    std::atomic<uint8_t> cleanUpdateFolder{1};
    std::atomic<uint8_t> stopStahniSoubor{0};
    std::atomic<uint8_t> runningStahniSoubor{0};
    std::atomic<uint8_t> DoNotUpdate{0};

    int32_t Version = 0;
    uint8_t PozadavekAktualizace = 0;
    uint8_t ProvestAktualizaci = 0;
    TNString Adresa;
    TNString FileList;
    TNString FolderList;
    std::vector<std::unique_ptr<TNSouborAktualizace>> Items;

    TNUpdate() = default;
    TNUpdate(const TNUpdate&) = delete;
    TNUpdate& operator=(const TNUpdate&) = delete;

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }

    // Takes a new list when the version differs, then downloads every file.
    // True when every file is on disk.
    bool PripravAktualizaci(int32_t newVersion, const char* adresa, const TNString& folderList,
                            const TNString& fileList);
    // Downloads file i to its end; false when it could not be completed
    // (the close stopped it, or i is no file).
    bool StahniSoubor(int32_t i);
    // Installs a complete update into the program folder when it can be
    // written; run by the close once the update thread has ended.
    bool DokonciAktualizaci();
    // Why the downloaded update cannot be installed here: the program folder
    // that cannot be written, or an installer nobody runs. Empty when the
    // close can install it.
    std::string InstallBlocker() const;
    // Set once an update turned out not to be installable: the rest of the
    // run neither checks nor downloads again.
    std::atomic<uint8_t> InstallBlocked{0};
    // Once per run (not in an update run): empties the update folder.
    void CleanUpdateFolder();

    // "update.dat" in the update folder: Load replaces the state only when
    // the file exists, carries our header and reads whole.
    bool Load();
    bool Save();
    // The bytes of "update.dat" for the current state.
    std::string Serialize() const;
    bool Deserialize(std::string_view bytes);

    // Builds the files from FileList and FolderList. The whole list is
    // checked first: a name or folder that could reach outside the update
    // or program folder refuses it, logged, and nothing is kept.
    bool ParseLists();
    // New file with the name at the end; its index, -1 when refused.
    int32_t AddFile(const TNString& name);
    void Clear();

    // The close: ends the downloads at once, pauses included, and turns on
    // the transport's cancel check for requests under way.
    void StopDownloads();
    void CancelTransfers() { cancelTransfers_ = true; }
    // What the update's requests poll.
    TNCancelCheck CancelCheck();
    // Back to the state of a new run: a test seam, as tests run many "runs"
    // in one process.
    void ResetRun();

    // https to any host, plain http only to a loopback host; anything else
    // is logged once per run.
    bool AddressAllowed(const char* url);
    // The update folder, "/" at the end; empty when it cannot be had.
    static std::string UpdateFolder();
    // The folder of the list's version inside the update folder, created.
    std::string VersionFolder() const;

private:
    enum class Attempt { Failed, Progress, Complete };
    // One request for file i; finished when it holds FileSize bytes and the
    // service said so.
    Attempt DownloadAttempt(int32_t i, bool& finished);
    // Waits ms or until StopDownloads; false when stopped.
    bool Pause(int64_t ms);
    bool CopyIntoProgramFolder(const std::string& programFolder);

    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;
    std::atomic<bool> cancelTransfers_{false};
    std::atomic<bool> refusedAddressLogged_{false};
};

// Built once for the program.
extern TNUpdate& AutoUpdate;

// Checks the names and folders of an update list (see ParseLists).
bool IsPlainUpdateName(std::string_view name);
bool IsUpdateFolder(std::string_view folder);
