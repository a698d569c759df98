#pragma once

#include "foundation/record_file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TNString;

// The program's table of record files, addressed by slot number (fid). The
// caller adds a slot, sets its raFile, raHeader and raVersion, opens it,
// writes records through the slot's stream and closes it.
class TNRAF {
public:
    int32_t Count = 0;
    std::vector<std::unique_ptr<TNRAFile>> Items;

    TNRAF();
    TNRAF(const TNRAF&) = delete;
    TNRAF& operator=(const TNRAF&) = delete;

    void Destroy();
    bool Resize(int32_t n);
    // The new slot's fid, or -1.
    int32_t AddFile();

    bool isValidFid(int32_t fid) const;
    bool isFileReady(int32_t fid);
    // A slot a save can write to: valid and open.
    bool indexOk(int32_t fid);

    // Opens (creating when missing) the data file and its index; rebuilds
    // the index from the data file when the two disagree. Returns the data
    // file, or null.
    plat::File* openFile(int32_t fid);
    void closeFile(int32_t fid, bool reset);
    void closeAllFiles();
    // The end of a save pass: writes what it staged, safe against a power
    // cut (TNRAFile::commit). A pass that staged nothing writes and syncs nothing.
    bool flushFile(int32_t fid);

    void resetStream(int32_t fid);
    // Appends the n low bytes of the value to the slot's stream, lowest first.
    int32_t writeNumber(uint32_t value, int32_t n, int32_t fid);
    // A uint32 length, then each byte stored as 255 minus the byte.
    bool writeString(const TNString& text, int32_t fid);

    bool saveStream(int32_t fid, int32_t tsp);
    int64_t loadStreamHeader(int32_t fid, uint32_t position, uint8_t type, uint32_t id);

    // Rebuilds the slot's index by scanning its data file.
    bool reindexFile(int32_t fid);

    // The index path beside a data file: a short extension of the file name
    // becomes ".dli", otherwise ".dli" is appended.
    static std::string IndexPathFor(const std::string& dataPath);

private:
    bool createNewFile(int32_t fid);
    bool createNewIndexFile(int32_t fid);
    bool openRAFFile(int32_t fid);
    // A data file whose header does not read: repaired when the records
    // behind it check out, else moved aside and replaced by a new file.
    bool repairDataHeader(int32_t fid);
    bool openIndexFile(int32_t fid);
};

// Built and destroyed by the globals table (globals.h).
extern TNRAF& raf;
