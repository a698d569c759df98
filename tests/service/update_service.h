#pragma once

#include "tests/service/service_types.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace test_service {

class TestService;

// The update service on a test service: "/api/get-update.php" answers with
// the configured newest version's lists while the asking version is older,
// "/api/download.php" sends the files statelessly in chunks. Controls break
// it on purpose: an ErrorCode for the check or one chunk, chunks cut short
// that still claim to finish, a FileSize that is no number, lists that break
// the rules.
class UpdateService {
public:
    static constexpr const char* kCheckPath = "/api/get-update.php";
    static constexpr const char* kDownloadPath = "/api/download.php";

    explicit UpdateService(TestService& service);

    void SetNewestVersion(int version);
    // Adds a file to the list, in order. Folder "?" is the program folder.
    void AddFile(const std::string& name, const std::string& folder, std::string bytes);
    // Sends these lists as they are instead of the files' own.
    void SetRawLists(const std::string& fileList, const std::string& folderList);
    // The check answers with this ErrorCode (empty: normal answers again).
    void SetCheckError(const std::string& text);
    // The next `times` downloads of the file at From answer with ErrorCode.
    void ArmChunkError(const std::string& name, size_t from, int times);
    // The next download of the file at From sends only `bytes` bytes and
    // still says Finished 1.
    void ArmShortChunk(const std::string& name, size_t from, size_t bytes);
    // FileSize of the file is sent as this text.
    void SetFileSizeText(const std::string& name, const std::string& text);

    // Called on the connection's thread for every download: file, From.
    void OnDownload(std::function<void(const std::string&, size_t)> observer);

    int CheckCount() const;
    // Every download request as (file, From), in order.
    std::vector<std::pair<std::string, size_t>> Downloads() const;

private:
    struct File {
        std::string Name;
        std::string Folder;
        std::string Bytes;
        std::string SizeText;
    };
    Response Check(const Request& request);
    Response Download(const Request& request);

    TestService& service_;
    mutable std::mutex mutex_;
    int newestVersion_ = 0;
    std::vector<File> files_;
    bool rawLists_ = false;
    std::string rawFileList_;
    std::string rawFolderList_;
    std::string checkError_;
    std::map<std::pair<std::string, size_t>, int> chunkErrors_;
    std::map<std::pair<std::string, size_t>, size_t> shortChunks_;
    std::function<void(const std::string&, size_t)> observer_;
    int checks_ = 0;
    std::vector<std::pair<std::string, size_t>> downloads_;
};

} // namespace test_service
