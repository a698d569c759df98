#include "foundation/record_file_set.h"

#include "foundation/file_numbers.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/string.h"
#include "platform/core/paths.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

constexpr const char* kIndexHeader = "rafIndexFile";

void ShowError(const std::string& text)
{
    ShowMessageBox(text.c_str(), "Chyba", mbOk | mbIconError);
}

std::string HeaderBytes(const std::string& id, int32_t version)
{
    std::string bytes;
    plat::ByteWriter writer(bytes);
    WriteHeader(id, version, writer);
    return bytes;
}

// 20 bytes for a header id of 12 characters: the header and a count of 0.
std::string NewFileBytes(const std::string& id, int32_t version)
{
    std::string bytes = HeaderBytes(id, version);
    plat::ByteWriter writer(bytes);
    WriteUNumber(0, 4, writer);
    return bytes;
}

uint32_t GetU32At(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)])) << (8 * i);
    return value;
}

// True when, behind a header of `headerSize` bytes, the data holds exactly as
// many whole records as the count says, up to the last byte: the file is
// ours, only its header is damaged.
bool RecordsBehindHeaderCheckOut(std::string_view data, size_t headerSize)
{
    if (data.size() < headerSize + 4)
        return false;
    // In 64 bits: a damaged length must neither wrap the step to 0 (an endless
    // loop) nor step back; each step moves on by at least a record header.
    const uint64_t count = GetU32At(data, headerSize);
    uint64_t at = headerSize + 4;
    uint64_t records = 0;
    while (at + kRecordHeaderSize <= data.size() && records <= count) {
        at += uint64_t{kRecordHeaderSize} + GetU32At(data, static_cast<size_t>(at) + 6);
        ++records;
    }
    return at == data.size() && records == count;
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
    // The one read of the data file: the check of the index and the load use it.
    if (!file.readDataFile()) {
        LogWrite("[TNRAF::openRAFFile][ERROR] cannot read ", file.raFile.c_str(), false);
        file.handle.Close();
        return false;
    }
    plat::ByteReader reader(file.dataContent());
    int32_t version = 0;
    ReadHeader(file.raHeader, reader, version);
    LogTextInt("[TNRAF::openRAFFile] Items[fid]->version = ", version);
    if (version == 0 && !repairDataHeader(fid))
        return false;
    if (version == 0) {
        reader = plat::ByteReader(file.dataContent());
        ReadHeader(file.raHeader, reader, version);
    }
    file.raVersion = version;
    file.itemsCountFilePos = static_cast<uint32_t>(reader.Position());
    if (version != 1 || !ReadUNumber(4, reader, file.itemsCount)) {
        LogWrite("[TNRAF::openRAFFile][ERROR] data file of another version; nothing is saved to it: ",
                 file.raFile.c_str(), false);
        ShowError("Datový soubor " + file.raFile + " má jinou verzi (" + std::to_string(version) +
                  "), než jakou tento program zná. Nic se do něj neukládá.");
        file.closeFiles();
        return false;
    }
    LogTextUInt("[TNRAF::openRAFFile] Items[fid]->itemsCount = ", file.itemsCount);
    return true;
}

bool TNRAF::repairDataHeader(int32_t fid)
{
    TNRAFile& file = *Items[static_cast<size_t>(fid)];
    std::string header = HeaderBytes(file.raHeader, 1);
    std::string aside = file.asidePath();
    if (RecordsBehindHeaderCheckOut(file.dataContent(), header.size())) {
        // Our file with a damaged header: copied aside, then the header
        // written again; every record stays.
        if (!plat::WriteFileAtomically(aside, file.dataContent(), 0600) ||
            !file.handle.WriteAt(0, header.data(), header.size()) || !file.handle.Sync() || !file.readDataFile()) {
            LogWrite("[TNRAF::openRAFFile][ERROR] damaged header; cannot repair ", file.raFile.c_str(), false);
            file.closeFiles();
            return false;
        }
        LogWrite("[TNRAF::openRAFFile][ERROR] damaged header repaired; copy = ", aside.c_str(), false);
        return true;
    }
    // Not recognisable: moved aside untouched, and a new file takes its
    // place so that what follows is saved and the next synchronisation
    // fills it again.
    file.closeFiles();
    if (std::rename(file.raFile.c_str(), aside.c_str()) != 0) {
        LogWrite("[TNRAF::openRAFFile][ERROR] damaged header; cannot move the file aside: ", file.raFile.c_str(),
                 false);
        ShowError("Datový soubor " + file.raFile +
                  " je poškozený a nelze jej odložit stranou. Nic se do něj neukládá.");
        return false;
    }
    LogWrite("[TNRAF::openRAFFile][ERROR] damaged header; file moved aside to ", aside.c_str(), false);
    ShowError("Datový soubor " + file.raFile + " je poškozený. Byl odložen jako " + aside +
              " a program začíná s novým souborem; data se doplní při příští synchronizaci.");
    if (!createNewFile(fid) || !file.handle.Open(file.raFile, plat::File::Mode::ReadWrite) || !file.readDataFile()) {
        file.closeFiles();
        return false;
    }
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
    // An unusable index stays open: the repair that follows writes it anew.
    if (file.readIndexFile())
        return true;
    LogWrite("[TNRAF::openIndexFile][ERROR] unusable index file, rebuilt from the data file: ",
             file.raIndexFile.c_str(), false);
    return false;
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

    // 2. Without a name of its own, the index is named after the data file.
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
    if (!wereOpen) {
        // Left by a writer killed while it replaced one of the files.
        plat::RemoveStaleTemporaries(file.raFile);
        plat::RemoveStaleTemporaries(file.raIndexFile);
    }
    bool indexOpened = file.indexHandle.IsOpen();
    bool created = false;
    if (!indexOpened && (plat::FileExists(file.raIndexFile) || (created = createNewIndexFile(fid))))
        indexOpened = openIndexFile(fid);
    bool dataExists = file.handle.IsOpen() || plat::FileExists(file.raFile);
    if (!file.handle.IsOpen() && (dataExists || createNewFile(fid)))
        openRAFFile(fid);
    created = created && !dataExists;
    if (!file.handle.IsOpen())
        return nullptr;
    if (wereOpen)
        return &file.handle;

    // 4. The index is trusted only when it describes the data file exactly.
    bool consistent = indexOpened && file.raIndexVersion == file.raVersion && file.checkIndexAgainstData();
    if (!consistent)
        reindexFile(fid);
    else if (created)
        file.markStateDurable();
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
    if (!reset && dataWasOpen && !file.settle())
        LogTextInt("[TNRAF::closeFile][ERROR] the last save pass could not be written; fid = ", fid);
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
    // The save pass ends here: its records are written and synced now.
    bool ok = Items[static_cast<size_t>(fid)]->commit();
    if (!ok)
        LogTextInt("[TNRAF::flushFile][ERROR] the save pass could not be written; fid = ", fid);
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
