#include "online/update.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "online/form_builder.h"
#include "online/http_send.h"
#include "online/web_answer.h"
#include "online/window_calls.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

// Polls of the stop flag while a pause waits for the clock; a stop through
// StopDownloads wakes the pause at once.
constexpr int64_t kPauseSliceMs = 20;
constexpr uint32_t kColourSilver = 0xC0C0C0;
constexpr uint32_t kColourBlack = 0x000000;
constexpr uint32_t kColourBlue = 0xFF0000;
constexpr uint64_t kLargestListFile = 64u << 20;
constexpr const char* kInstallerName = "update.exe";

TNUpdate updateObject;

std::string ToStd(const TNString& text)
{
    return std::string(text.View());
}

// The elements of a list where every element is followed by ";"; what
// follows the last ";" is no element.
std::vector<std::string_view> TerminatedElements(std::string_view list)
{
    std::vector<std::string_view> elements;
    size_t start = 0;
    for (size_t end = list.find(';'); end != std::string_view::npos; end = list.find(';', start)) {
        elements.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return elements;
}

bool IsLoopbackHost(std::string_view host)
{
    if (host == "localhost" || host == "[::1]")
        return true;
    if (host.substr(0, 4) != "127.")
        return false;
    return std::all_of(host.begin(), host.end(), [](char ch) { return (ch >= '0' && ch <= '9') || ch == '.'; });
}

// The host of an "http://" address, without port.
std::string_view HttpHost(std::string_view url)
{
    std::string_view rest = url.substr(7);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    size_t at = rest.rfind('@');
    if (at != std::string_view::npos)
        rest = rest.substr(at + 1);
    if (!rest.empty() && rest.front() == '[')
        return rest.substr(0, rest.find(']') + 1);
    return rest.substr(0, rest.find(':'));
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

TNUpdate& AutoUpdate = updateObject;

// ---------------------------------------------------------------------------
// Names and folders of a list

bool IsPlainUpdateName(std::string_view name)
{
    if (name.empty() || name == "." || name == ".." || name.size() > TNUpdate::kMaxNameLength)
        return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        auto byte = static_cast<unsigned char>(ch);
        return byte < 0x20 || byte == 0x7F || ch == '/' || ch == '\\' || ch == ':' || ch == ';' || ch == ']';
    });
}

bool IsUpdateFolder(std::string_view folder)
{
    if (StartsWith(folder, "?"))
        return true;
    if (folder.empty() || folder.size() > TNUpdate::kMaxNameLength)
        return false;
    size_t start = 0;
    while (true) {
        size_t end = folder.find('/', start);
        if (!IsPlainUpdateName(folder.substr(start, end == std::string_view::npos ? end : end - start)))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

// ---------------------------------------------------------------------------
// One file of the list

void TNSouborAktualizace::Init()
{
    Stazeno = 0;
    Zkopirovano = 0;
    Nazev.Clear();
    Slozka.Clear();
    Velikost = 0;
    StazenoBytu = 0;
}

bool TNSouborAktualizace::Load(plat::ByteReader& in)
{
    uint32_t stazeno = 0;
    uint32_t zkopirovano = 0;
    if (!TNCommon::ReadUNumber(1, in, stazeno) || !TNCommon::ReadUNumber(1, in, zkopirovano) ||
        !Nazev.Load(true, 16, 0, true, in) || !Slozka.Load(true, 16, 0, true, in) ||
        !TNCommon::ReadUNumber(4, in, Velikost) || !TNCommon::ReadUNumber(4, in, StazenoBytu))
        return false;
    Stazeno = stazeno != 0 ? 1 : 0;
    Zkopirovano = zkopirovano != 0 ? 1 : 0;
    return true;
}

void TNSouborAktualizace::Save(plat::ByteWriter& out) const
{
    TNCommon::WriteUNumber(Stazeno, 1, out);
    TNCommon::WriteUNumber(Zkopirovano, 1, out);
    Nazev.Save(true, 16, 0, true, out);
    Slozka.Save(true, 16, 0, true, out);
    TNCommon::WriteUNumber(Velikost, 4, out);
    TNCommon::WriteUNumber(StazenoBytu, 4, out);
}

// ---------------------------------------------------------------------------
// The list and "update.dat"

void TNUpdate::Clear()
{
    Items.clear();
}

int32_t TNUpdate::AddFile(const TNString& name)
{
    if (!IsPlainUpdateName(name.View()))
        return -1;
    auto file = std::make_unique<TNSouborAktualizace>();
    file->Nazev = name;
    Items.push_back(std::move(file));
    return Count() - 1;
}

bool TNUpdate::ParseLists()
{
    std::vector<std::string_view> names = TerminatedElements(FileList.View());
    std::vector<std::string_view> folders = TerminatedElements(FolderList.View());
    std::set<std::string_view> seen;
    const char* fault = nullptr;
    if (names.empty())
        fault = "no file";
    for (size_t i = 0; fault == nullptr && i < names.size(); ++i) {
        if (!IsPlainUpdateName(names[i]) || !seen.insert(names[i]).second)
            fault = "bad or repeated file name";
        else if (i >= folders.size())
            fault = "a file without a folder";
        else if (!IsUpdateFolder(folders[i]))
            fault = "bad folder";
    }
    if (fault != nullptr) {
        LogWrite("[TNUpdate::ParseLists][ERROR] the update list is refused: ", fault, false);
        LogWrite("[TNUpdate::ParseLists] FileList = ", FileList.Text, false);
        LogWrite("[TNUpdate::ParseLists] FolderList = ", FolderList.Text, false);
        Clear();
        return false;
    }
    if (folders.size() > names.size())
        LogTextInt("[TNUpdate::ParseLists] folder entries without a file, not kept: ",
                   static_cast<int32_t>(folders.size() - names.size()));
    Clear();
    for (size_t i = 0; i < names.size(); ++i) {
        int32_t index = AddFile(TNString(names[i]));
        if (index < 0)
            return false;
        Items[index]->Slozka.Set(folders[i]);
    }
    return true;
}

std::string TNUpdate::Serialize() const
{
    std::string bytes;
    plat::ByteWriter out(bytes);
    TNCommon::WriteHeader(App.UpdateFileId, 1, out);
    TNCommon::WriteNumber(Version, 4, out);
    TNCommon::WriteUNumber(PozadavekAktualizace, 1, out);
    TNCommon::WriteUNumber(ProvestAktualizaci, 1, out);
    Adresa.Save(true, 32, 0, true, out);
    FileList.Save(true, 32, 0, true, out);
    FolderList.Save(true, 32, 0, true, out);
    TNCommon::WriteNumber(Count(), 4, out);
    for (const auto& file : Items)
        file->Save(out);
    return bytes;
}

bool TNUpdate::Deserialize(std::string_view bytes)
{
    plat::ByteReader in(bytes);
    int32_t fileVersion = 0;
    // A foreign header id reads as version 0.
    if (!TNCommon::ReadHeader(App.UpdateFileId, in, fileVersion) || fileVersion != 1)
        return false;
    int32_t version = 0;
    uint32_t request = 0;
    uint32_t perform = 0;
    TNString adresa;
    TNString fileList;
    TNString folderList;
    int32_t count = 0;
    if (!TNCommon::ReadNumber(4, in, version) || !TNCommon::ReadUNumber(1, in, request) ||
        !TNCommon::ReadUNumber(1, in, perform) || !adresa.Load(true, 32, 0, true, in) ||
        !fileList.Load(true, 32, 0, true, in) || !folderList.Load(true, 32, 0, true, in) ||
        !TNCommon::ReadNumber(4, in, count) || count < 0 || static_cast<size_t>(count) > in.Remaining())
        return false;
    std::vector<std::unique_ptr<TNSouborAktualizace>> items;
    for (int32_t i = 0; i < count; ++i) {
        auto file = std::make_unique<TNSouborAktualizace>();
        // A list that could reach outside the folders is not taken from
        // disk either.
        if (!file->Load(in) || !IsPlainUpdateName(file->Nazev.View()) || !IsUpdateFolder(file->Slozka.View()))
            return false;
        items.push_back(std::move(file));
    }
    Version = version;
    PozadavekAktualizace = request != 0 ? 1 : 0;
    ProvestAktualizaci = perform != 0 ? 1 : 0;
    Adresa = std::move(adresa);
    FileList = std::move(fileList);
    FolderList = std::move(folderList);
    Items = std::move(items);
    return true;
}

bool TNUpdate::Load()
{
    return Guarded("[TNUpdate::Load]", false, [&] {
        std::string folder = UpdateFolder();
        std::string bytes;
        if (folder.empty() || !plat::ReadRegularFile(folder + kListFileName, bytes, kLargestListFile))
            return false;
        if (!Deserialize(bytes)) {
            LogWrite("[TNUpdate::Load] not our update list, ignored: ", (folder + kListFileName).c_str(), false);
            return false;
        }
        return true;
    });
}

bool TNUpdate::Save()
{
    return Guarded("[TNUpdate::Save]", false, [&] {
        std::string folder = UpdateFolder();
        if (!folder.empty() && plat::WriteFileAtomically(folder + kListFileName, Serialize()))
            return true;
        LogWrite("[TNUpdate::Save][ERROR] can't write ", (folder + kListFileName).c_str(), false);
        return false;
    });
}

std::string TNUpdate::UpdateFolder()
{
    if (!Dirs.GoToUpdateDir(IsPortable != 0))
        return std::string();
    return EnteredFolderOfThread();
}

std::string TNUpdate::VersionFolder() const
{
    std::string folder = UpdateFolder();
    if (folder.empty())
        return folder;
    folder += std::to_string(Version) + "/";
    return plat::CreateFolders(folder) ? folder : std::string();
}

void TNUpdate::CleanUpdateFolder()
{
    if (cleanUpdateFolder == 0 || App.IsUpdate != 0)
        return;
    cleanUpdateFolder = 0;
    std::string folder = UpdateFolder();
    if (!folder.empty())
        Dirs.DeleteDirTree(folder.c_str(), "*.*");
}

// ---------------------------------------------------------------------------
// Addresses, stopping

bool TNUpdate::AddressAllowed(const char* url)
{
    std::string_view address = url != nullptr ? url : "";
    if (StartsWith(address, "https://"))
        return true;
    if (StartsWith(address, "http://") && IsLoopbackHost(HttpHost(address)))
        return true;
    if (!refusedAddressLogged_.exchange(true))
        LogWrite("[TNUpdate][ERROR] program files are fetched only over https; the automatic update is off for ", url,
                 false);
    return false;
}

void TNUpdate::StopDownloads()
{
    {
        std::lock_guard<std::mutex> lock(pauseMutex_);
        stopStahniSoubor = 1;
    }
    pauseWake_.notify_all();
}

void TNUpdate::ResetRun()
{
    Clear();
    Version = 0;
    PozadavekAktualizace = 0;
    ProvestAktualizaci = 0;
    Adresa.Clear();
    FileList.Clear();
    FolderList.Clear();
    cleanUpdateFolder = 1;
    stopStahniSoubor = 0;
    runningStahniSoubor = 0;
    DoNotUpdate = 0;
    InstallBlocked = 0;
    cancelTransfers_ = false;
    refusedAddressLogged_ = false;
}

TNCancelCheck TNUpdate::CancelCheck()
{
    return [this] { return cancelTransfers_.load(); };
}

bool TNUpdate::Pause(int64_t ms)
{
    const int64_t deadline = plat::MonotonicMilliseconds() + ms;
    std::unique_lock<std::mutex> lock(pauseMutex_);
    while (stopStahniSoubor == 0) {
        int64_t left = deadline - plat::MonotonicMilliseconds();
        if (left <= 0)
            return true;
        pauseWake_.wait_for(lock, std::chrono::milliseconds(std::min(left, kPauseSliceMs)));
    }
    return false;
}

// ---------------------------------------------------------------------------
// Download

bool TNUpdate::PripravAktualizaci(int32_t newVersion, const char* adresa, const TNString& folderList,
                                  const TNString& fileList)
{
    return Guarded("[TNUpdate::PripravAktualizaci]", false, [&] {
        CleanUpdateFolder();
        Load();
        if (Version == newVersion && PozadavekAktualizace != 0 && ProvestAktualizaci != 0)
            return true;
        if (newVersion != Version) {
            Clear();
            PozadavekAktualizace = 0;
            ProvestAktualizaci = 0;
            Adresa.Set(adresa != nullptr ? adresa : "");
            FileList = fileList;
            FolderList = folderList;
            if (!ParseLists()) {
                // Nothing of a refused list is kept, so the next check
                // reads it again.
                Version = 0;
                return false;
            }
            Version = newVersion;
            Save();
        }
        PozadavekAktualizace = 1;
        ProvestAktualizaci = 0;
        for (int32_t i = 0; i < Count(); ++i)
            if (!StahniSoubor(i))
                return false;
        ProvestAktualizaci = 1;
        Save();
        return true;
    });
}

bool TNUpdate::StahniSoubor(int32_t i)
{
    runningStahniSoubor = 1;
    TNScopeExit running([this] { runningStahniSoubor = 0; });
    return Guarded("[TNUpdate::StahniSoubor]", false, [&] {
        if (i < 0 || i >= Count() || Items[i] == nullptr)
            return false;
        TNSouborAktualizace& file = *Items[i];
        if (file.Stazeno != 0)
            return true;
        bool finished = false;
        int64_t pause = kFirstPauseMs;
        while (stopStahniSoubor == 0) {
            Attempt attempt = DownloadAttempt(i, finished);
            TNWindowCalls::StatusVersionBlink(kColourBlack, nullptr);
            if (finished || stopStahniSoubor != 0)
                break;
            if (attempt == Attempt::Progress)
                pause = kFirstPauseMs;
            if (!Pause(pause))
                break;
            if (attempt != Attempt::Progress)
                pause = std::min(pause * 2, kLongestPauseMs);
        }
        // A file the close interrupted stays unfinished: the list must
        // never count it as downloaded.
        if (!finished)
            return false;
        file.Stazeno = 1;
        Save();
        TNWindowCalls::StatusVersionBlink(
            kColourBlue, "Aktualizace je připravena k instalaci.\nInstalaci aktualizace zahájíte ukončením programu.");
        return true;
    });
}

TNUpdate::Attempt TNUpdate::DownloadAttempt(int32_t i, bool& finished)
{
    TNSouborAktualizace& file = *Items[i];
    finished = false;
    std::string folder = VersionFolder();
    if (folder.empty() || !AddressAllowed(App.UpdateDownloadUrl))
        return Attempt::Failed;
    const std::string path = folder + ToStd(file.Nazev);
    int64_t onDisk = std::max<int64_t>(plat::RegularFileSize(path), 0);
    if (file.Velikost > 0 && onDisk > file.Velikost) {
        // Longer than the file can be: something else wrote it. Start over.
        LogWrite("[TNUpdate::StahniSoubor] local file larger than FileSize, downloaded again: ", path.c_str(), false);
        plat::RemoveFile(path);
        onDisk = 0;
    }
    file.StazenoBytu = static_cast<uint32_t>(std::min<int64_t>(onDisk, UINT32_MAX));
    TNWindowCalls::StatusVersionBlink(kColourSilver, "Probíhá stahování dat pro automatickou aktualizaci...");

    TNFormBuilder query;
    query.Add("File", file.Nazev)
        .AddInt("Version", Version)
        .AddInt("From", file.StazenoBytu)
        .AddInt("MaxLength", kChunkSize)
        .AddInt("AppID", App.AppID)
        .Add("AppPrefix", App.AppPrefix);
    std::string url = std::string(App.UpdateDownloadUrl) + "?" + ToStd(query.Text());
    TNWebAnswer answer;
    HttpSend(url.c_str(), &answer, true, CancelCheck());

    int32_t error = answer.FindByName("ErrorCode");
    if (error >= 0) {
        LogText("[TNUpdate::StahniSoubor][B][UpozorniNaNovouVerzi]");
        TNWindowCalls::UpozorniNaNovouVerzi();
        return Attempt::Failed;
    }
    int32_t size = answer.FindByName("FileSize");
    int32_t done = answer.FindByName("Finished");
    int32_t data = answer.FindByName("Data");
    if (size < 0 || done < 0 || data < 0 || answer.FindByName("DataLength") < 0)
        return Attempt::Failed;
    if (!answer.Items[size]->IsNumber) {
        LogWrite("[TNUpdate::StahniSoubor][ERROR] FileSize is no number: ", answer.Items[size]->Value.Text, false);
        return Attempt::Failed;
    }
    file.Velikost = answer.Items[size]->Number;
    bool serviceFinished = answer.Items[done]->Number != 0;

    if (file.StazenoBytu > file.Velikost) {
        // Longer than the file can be: something else wrote it. Start over.
        LogWrite("[TNUpdate::StahniSoubor] local file larger than FileSize, downloaded again: ", path.c_str(), false);
        plat::RemoveFile(path);
        file.StazenoBytu = 0;
        return Attempt::Progress;
    }
    Attempt attempt = Attempt::Complete;
    if (file.StazenoBytu < file.Velikost) {
        LogWrite("[TNUpdate::StahniSoubor] file = ", path.c_str(), false);
        std::string_view bytes = answer.Items[data]->Value.View();
        if (!plat::AppendToFile(path, bytes)) {
            LogText("[TNUpdate::StahniSoubor][A][UpozorniNaNovouVerzi] fw = fopen(file.Text,ab)) == NULL");
            TNWindowCalls::UpozorniNaNovouVerzi();
            return Attempt::Failed;
        }
        file.StazenoBytu =
            static_cast<uint32_t>(std::min<int64_t>(std::max<int64_t>(plat::RegularFileSize(path), 0), UINT32_MAX));
        attempt = bytes.empty() ? Attempt::Failed : Attempt::Progress;
    }
    finished = serviceFinished && file.StazenoBytu == file.Velikost;
    char line[200];
    std::snprintf(line, sizeof(line),
                  "[TNUpdate::StahniSoubor] Items[%d]->StazenoBytu = %u; Items[%d]->Velikost = %u; Zbyva = %lld", i,
                  file.StazenoBytu, i, file.Velikost,
                  static_cast<long long>(file.Velikost) - static_cast<long long>(file.StazenoBytu));
    LogText(line);
    return attempt;
}

// ---------------------------------------------------------------------------
// Completion

bool TNUpdate::DokonciAktualizaci()
{
    return Guarded("[TNUpdate::DokonciAktualizaci]", false, [&] {
        LogText("[TNUpdate::DokonciAktualizaci][BEGIN]");
        LogTextInt("[TNUpdate::DokonciAktualizaci] PozadavekAktualizace = ", PozadavekAktualizace);
        LogTextInt("[TNUpdate::DokonciAktualizaci] ProvestAktualizaci = ", ProvestAktualizaci);
        if (PozadavekAktualizace != 0 && ProvestAktualizaci != 0) {
            LogTextInt("[TNUpdate::DokonciAktualizaci] Count = ", Count());
            if (Count() == 1 && Items[0]->Nazev.View() == kInstallerName) {
                // Installers are never run; the file stays for whoever
                // installs by hand.
                LogWrite("[TNUpdate::DokonciAktualizaci] update.exe is an installer and is not run; it stays in ",
                         VersionFolder().c_str(), false);
                return true;
            }
            std::string program = Dirs.GoToAppDir() ? EnteredFolderOfThread() : std::string();
            if (program.empty() || !plat::FolderTakesNewFiles(program)) {
                std::string line = "the program folder " + program + " can't be written; the update stays in " +
                                   VersionFolder() + " to be installed there";
                LogWrite("[TNUpdate::DokonciAktualizaci] ", line.c_str(), false);
                return false;
            }
            if (!CopyIntoProgramFolder(program))
                return false;
        }
        std::string folder = UpdateFolder();
        if (!folder.empty())
            plat::RemoveFile(folder + kListFileName);
        LogText("[TNUpdate::DokonciAktualizaci][END]");
        return true;
    });
}

std::string TNUpdate::InstallBlocker() const
{
    if (Count() == 1 && Items[0]->Nazev.View() == kInstallerName)
        return "an installer, which is never run";
    std::string program = Dirs.GoToAppDir() ? EnteredFolderOfThread() : std::string();
    if (program.empty() || !plat::FolderTakesNewFiles(program))
        return "the program folder " + program + " can't be written";
    return {};
}

bool TNUpdate::CopyIntoProgramFolder(const std::string& programFolder)
{
    const std::string source = VersionFolder();
    for (const auto& file : Items) {
        std::string name = ToStd(file->Nazev);
        std::string relative = StartsWith(file->Slozka.View(), "?") ? name : ToStd(file->Slozka) + "/" + name;
        std::string bytes;
        if (source.empty() || !plat::ReadRegularFile(source + name, bytes, UINT32_MAX) ||
            bytes.size() != file->Velikost) {
            LogWrite("[TNUpdate::DokonciAktualizaci][ERROR] can't install ", (programFolder + relative).c_str(), false);
            return false;
        }
        // A new file renamed over the old one: a running program keeps its
        // old file, and a crash leaves the old or the new one whole. A
        // symbolic link in the program folder is never written through.
        if (!plat::ReplaceFileBelowFolder(programFolder, relative, bytes, 0644)) {
            LogWrite("[TNUpdate::DokonciAktualizaci][ERROR] can't write ", (programFolder + relative).c_str(), false);
            return false;
        }
        file->Zkopirovano = 1;
        Save();
    }
    return true;
}
