#include "foundation/record_file_set.h"

#include "foundation/file_numbers.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/string.h"
#include "platform/core/paths.h"

#include <algorithm>
#include <new>


namespace {

constexpr const char* kIndexHeader = "rafIndexFile";
// Longest header a file can have: uint16 length, 65535 id bytes, uint16 version.
constexpr size_t kLongestHeader = 2 + 0xFFFF + 2;

void ShowError(const std::string& text)
{
    ShowMessageBox(text.c_str(), "Chyba", mbOk | mbIconError);
}

// 20 bytes for a header id of 12 characters: the header and a count of 0.
std::string NewFileBytes(const std::string& id, int32_t version)
{
    std::string bytes;
    plat::ByteWriter writer(bytes);
    WriteHeader(id, version, writer);
    WriteUNumber(0, 4, writer);
    return bytes;
}

} // namespace

TNRAF::TNRAF() = default;

void TNRAF::Destroy()
{
    LogText("[TNRAF::Destroy][BEGIN]");
    Items.clear();
    Items.shrink_to_fit();
    Count = 0;
    LogText("[TNRAF::Destroy][END]");
}

bool TNRAF::Resize(int32_t n)
{
    if (n <= 0) {
        Items.clear();
        Items.shrink_to_fit();
        Count = 0;
        return true;
    }
    try {
        Items.reserve(static_cast<size_t>(n));
        while (Items.size() < static_cast<size_t>(n))
            Items.push_back(std::make_unique<TNRAFile>());
        Items.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        LogWrite("[TNRAF::Resize] ", "ERROR", false);
        Count = static_cast<int32_t>(Items.size());
        return false;
    }
    Count = n;
    return true;
}

int32_t TNRAF::AddFile()
{
    if (!Resize(Count + 1))
        return -1;
    return Count - 1;
}

bool TNRAF::isValidFid(int32_t fid) const
{
    return fid >= 0 && fid < Count;
}

bool TNRAF::isFileReady(int32_t fid)
{
    if (!isValidFid(fid))
        return false;
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    if (file.raFile.empty() || file.raHeader.empty() || file.raVersion < 1 || !file.handle.IsOpen())
        return false;
    uint64_t size = 0;
    if (!file.handle.Size(size)) {
        file.handle.Close();
        return false;
    }
    return true;
}

bool TNRAF::indexOk(int32_t fid)
{
    return isValidFid(fid) && isFileReady(fid);
}

std::string TNRAF::IndexPathFor(const std::string& dataPath)
{
    // Only a dot of the file name counts, never one of a folder.
    size_t nameStart = dataPath.rfind('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = dataPath.rfind('.');
    std::string base = dataPath;
    if (dot != std::string::npos && dot > nameStart && dataPath.size() - dot < 7)
        base.resize(dot);
    return base + ".dli";
}

bool TNRAF::createNewFile(int32_t fid)
{
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    if (!plat::WriteFileAtomically(file.raFile, NewFileBytes(file.raHeader, file.raVersion), 0600)) {
        LogWrite("[TNRAF::createNewFile] ERROR creating new file ", file.raFile.c_str(), false);
        return false;
    }
    return true;
}

bool TNRAF::createNewIndexFile(int32_t fid)
{
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    if (!plat::WriteFileAtomically(file.raIndexFile, NewFileBytes(kIndexHeader, file.raVersion), 0600)) {
        LogWrite("[TNRAF::createNewIndexFile] ERROR creating new index-file ", file.raIndexFile.c_str(), false);
        return false;
    }
    return true;
}

bool TNRAF::openRAFFile(int32_t fid)
{
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    if (!file.handle.Open(file.raFile, plat::File::Mode::ReadWrite)) {
        LogWrite("[TNRAF::openRAFFile][ERROR] Failed opening file for random access: ", file.raFile.c_str(), false);
        return false;
    }
    uint64_t size = 0;
    std::string head;
    if (file.handle.Size(size)) {
        head.resize(static_cast<size_t>(std::min<uint64_t>(size, kLongestHeader + 4)));
        if (!file.handle.ReadAt(0, head.data(), head.size()))
            head.clear();
    }
    plat::ByteReader reader(head);
    int32_t version = 0;
    ReadHeader(file.raHeader, reader, version);
    file.raVersion = version;
    LogTextInt("[TNRAF::openRAFFile] Items[fid]->version = ", version);
    file.itemsCountFilePos = static_cast<uint32_t>(reader.Position());
    if (version != 1 || !ReadUNumber(4, reader, file.itemsCount)) {
        file.handle.Close();
        return false;
    }
    LogTextUInt("[TNRAF::openRAFFile] Items[fid]->itemsCount = ", file.itemsCount);
    return true;
}

bool TNRAF::openIndexFile(int32_t fid)
{
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    file.clearIndex();
    if (!file.indexHandle.Open(file.raIndexFile, plat::File::Mode::ReadWrite)) {
        LogWrite("[TNRAF::openIndexFile] ERROR opening file for random access: ", file.raIndexFile.c_str(), false);
        return false;
    }
    uint64_t size = 0;
    std::string head;
    if (file.indexHandle.Size(size)) {
        head.resize(static_cast<size_t>(std::min<uint64_t>(size, kLongestHeader + 4)));
        if (!file.indexHandle.ReadAt(0, head.data(), head.size()))
            head.clear();
    }
    plat::ByteReader reader(head);
    int32_t version = 0;
    ReadHeader(kIndexHeader, reader, version);
    file.raIndexVersion = version;
    file.indexCountFilePos = static_cast<uint32_t>(reader.Position());
    uint32_t count = 0;
    // The count is checked against the bytes the file holds before anything
    // is allocated for it.
    uint64_t first = file.indexCountFilePos + 4u;
    if (version != 1 || !ReadUNumber(4, reader, count) || count > INT32_MAX ||
        first + static_cast<uint64_t>(count) * kIndexEntrySize > size) {
        file.indexHandle.Close();
        return false;
    }
    std::string entries;
    try {
        entries.resize(static_cast<size_t>(count) * kIndexEntrySize);
    } catch (const std::bad_alloc&) {
        file.indexHandle.Close();
        return false;
    }
    if (!file.indexHandle.ReadAt(first, entries.data(), entries.size()) ||
        !file.resize_index(static_cast<int32_t>(count), false)) {
        file.indexHandle.Close();
        return false;
    }
    plat::ByteReader entryReader(entries);
    for (uint32_t i = 0; i < count; ++i)
        file.readIndexEntry(entryReader, static_cast<uint32_t>(first), file.index[i]);
    return true;
}

plat::File* TNRAF::openFile(int32_t fid)
{
    // 1. The slot must be configured.
    if (!isValidFid(fid)) {
        ShowError("[TNRAF::openFile] Hodnota fid = " + std::to_string(fid) + " není platná!");
        return nullptr;
    }
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    const char* missing = file.raFile.empty()     ? "raFile"
                          : file.raHeader.empty() ? "raHeader"
                          : file.raVersion < 1    ? "raVersion"
                                                  : nullptr;
    if (missing != nullptr) {
        ShowError(std::string("[TNRAF::openFile] Hodnota ") + missing + "[" + std::to_string(fid) +
                  "] není nastavena!");
        return nullptr;
    }

    // 2.
    if (file.raIndexFile.empty())
        file.raIndexFile = IndexPathFor(file.raFile);

    // 3. The folder first, then each file, created when missing.
    size_t slash = file.raFile.rfind('/');
    if (slash != std::string::npos && slash > 0 && file.raFile[0] == '/' &&
        !plat::CreateFolders(file.raFile.substr(0, slash))) {
        LogWrite("[TNRAF::openFile][ERROR] cannot create the folder of ", file.raFile.c_str(), false);
        return nullptr;
    }
    bool wereOpen = file.handle.IsOpen() && file.indexHandle.IsOpen();
    bool indexOpened = file.indexHandle.IsOpen();
    if (!indexOpened && (plat::FileExists(file.raIndexFile) || createNewIndexFile(fid)))
        indexOpened = openIndexFile(fid);
    if (!file.handle.IsOpen() && (plat::FileExists(file.raFile) || createNewFile(fid)))
        openRAFFile(fid);
    if (!file.handle.IsOpen())
        return nullptr;
    if (wereOpen)
        return &file.handle;

    // 4. The index is trusted only when it describes the data file exactly.
    bool consistent = indexOpened && file.raIndexVersion == file.raVersion && file.indexCount == file.itemsCount &&
                      file.checkIndexAgainstData();
    if (!consistent)
        reindexFile(fid);
    return &file.handle;
}

void TNRAF::closeFile(int32_t fid, bool reset)
{
    if (!isValidFid(fid)) {
        ShowError("[TNRAF::closeFile] Hodnota fid = " + std::to_string(fid) + " není platná!");
        return;
    }
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    bool dataWasOpen = file.handle.IsOpen();
    bool indexWasOpen = file.indexHandle.IsOpen();
    file.closeFiles();
    if (reset && dataWasOpen) {
        LogWrite("[TNRAF::closeFile][RESET_DATA_FILE] ", file.raFile.c_str(), false);
        if (plat::RemoveFile(file.raFile))
            LogText("[TNRAF::closeFile][RESET_DATA_FILE][SUCCESS]");
    }
    if (reset && indexWasOpen) {
        LogWrite("[TNRAF::closeFile][RESET_INDEX_FILE] ", file.raIndexFile.c_str(), false);
        if (plat::RemoveFile(file.raIndexFile))
            LogText("[TNRAF::closeFile][RESET_INDEX_FILE][SUCCESS]");
    }
}

void TNRAF::closeAllFiles()
{
    for (int32_t fid = 0; fid < Count; ++fid)
        closeFile(fid, false);
}

bool TNRAF::flushFile(int32_t fid)
{
    if (!isValidFid(fid))
        return false;
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    bool ok = (!file.handle.IsOpen() || file.handle.Sync()) && (!file.indexHandle.IsOpen() || file.indexHandle.Sync());
    if (!ok)
        LogTextInt("[TNRAF::flushFile][ERROR] sync failed; fid = ", fid);
    return ok;
}

void TNRAF::resetStream(int32_t fid)
{
    if (isValidFid(fid))
        Items[static_cast<size_t>(fid)]->resetStream();
}

int32_t TNRAF::writeNumber(uint32_t value, int32_t n, int32_t fid)
{
    if (!isValidFid(fid) || n <= 0)
        return 0;
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    if (file.streamState == -1)
        file.resetStream();
    try {
        plat::ByteWriter writer(file.stream);
        return WriteUNumber(value, n, writer);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

bool TNRAF::writeString(const TNString& text, int32_t fid)
{
    if (!isValidFid(fid))
        return false;
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    if (file.streamState == -1)
        file.resetStream();
    try {
        plat::ByteWriter writer(file.stream);
        return text.Save(true, 32, 0, true, writer);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TNRAF::saveStream(int32_t fid, int32_t tsp)
{
    if (!isValidFid(fid))
        return false;
    try {
        // A failed write left the files to be checked again before the next one.
        if (Items[static_cast<size_t>(fid)]->needsReindex() && !reindexFile(fid))
            return false;
        return Items[static_cast<size_t>(fid)]->save_stream(tsp);
    } catch (...) {
        ExceptionHandler("TNRAF::saveStream", 0, 0);
        return false;
    }
}

int64_t TNRAF::loadStreamHeader(int32_t fid, uint32_t position, uint8_t type, uint32_t id)
{
    if (!isValidFid(fid))
        return -1;
    return Items[static_cast<size_t>(fid)]->loadStreamHeader(position, type, id);
}

bool TNRAF::reindexFile(int32_t fid)
{
    if (!isValidFid(fid))
        return false;
    LogTextInt("[TNRAF::reindexFile] fid = ", fid);
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    uint32_t oldCount = 0;
    uint32_t newCount = 0;
    bool ok = file.handle.IsOpen() && file.rebuildIndex(oldCount, newCount);
    LogTextUInt("[TNRAF::reindexFile] indexCount = ", oldCount);
    LogTextUInt("[TNRAF::reindexFile] itemsCount = ", newCount);
    if (!ok)
        LogTextInt("[TNRAF::reindexFile][ERROR] rebuild failed; fid = ", fid);
    return ok;
}
