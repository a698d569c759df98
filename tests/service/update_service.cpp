#include "tests/service/update_service.h"

#include "tests/service/bracket_writer.h"
#include "tests/service/form_decoder.h"
#include "tests/service/test_service.h"

#include <algorithm>
#include <cstdlib>

namespace test_service {
namespace {

// A digits-only value, else -1.
long long Number(const FormFields& fields, const char* key)
{
    std::string text = FieldValue(fields, key);
    if (text.empty() || text.size() > 12 ||
        !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return -1;
    return std::strtoll(text.c_str(), nullptr, 10);
}

} // namespace

UpdateService::UpdateService(TestService& service) : service_(service)
{
    service_.Route(kCheckPath, [this](const Request& request) { return Check(request); });
    service_.Route(kDownloadPath, [this](const Request& request) { return Download(request); });
}

void UpdateService::SetNewestVersion(int version)
{
    std::lock_guard<std::mutex> guard(mutex_);
    newestVersion_ = version;
}

void UpdateService::AddFile(const std::string& name, const std::string& folder, std::string bytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    files_.push_back({name, folder, std::move(bytes), ""});
}

void UpdateService::SetRawLists(const std::string& fileList, const std::string& folderList)
{
    std::lock_guard<std::mutex> guard(mutex_);
    rawLists_ = true;
    rawFileList_ = fileList;
    rawFolderList_ = folderList;
}

void UpdateService::SetCheckError(const std::string& text)
{
    std::lock_guard<std::mutex> guard(mutex_);
    checkError_ = text;
}

void UpdateService::ArmChunkError(const std::string& name, size_t from, int times)
{
    std::lock_guard<std::mutex> guard(mutex_);
    chunkErrors_[{name, from}] = times;
}

void UpdateService::ArmShortChunk(const std::string& name, size_t from, size_t bytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    shortChunks_[{name, from}] = bytes;
}

void UpdateService::SetFileSizeText(const std::string& name, const std::string& text)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (File& file : files_)
        if (file.Name == name)
            file.SizeText = text;
}

void UpdateService::OnDownload(std::function<void(const std::string&, size_t)> observer)
{
    std::lock_guard<std::mutex> guard(mutex_);
    observer_ = std::move(observer);
}

int UpdateService::CheckCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return checks_;
}

std::vector<std::pair<std::string, size_t>> UpdateService::Downloads() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return downloads_;
}

Response UpdateService::Check(const Request& request)
{
    FormFields fields = DecodeFormLeniently(request.Query);
    std::lock_guard<std::mutex> guard(mutex_);
    ++checks_;
    if (!checkError_.empty())
        return Response::Text(BracketItem("ErrorCode", checkError_));
    long long version = Number(fields, "Version");
    if (version < 0 || version >= newestVersion_ || (files_.empty() && !rawLists_))
        return Response::Text("");
    std::string fileList = rawFileList_;
    std::string folderList = rawFolderList_;
    if (!rawLists_) {
        for (const File& file : files_) {
            fileList += file.Name + ";";
            folderList += file.Folder + ";";
        }
    }
    return Response::Text(BracketItem("NewVersion", std::to_string(newestVersion_)) +
                          BracketItem("FileList", fileList) + BracketItem("FolderList", folderList));
}

Response UpdateService::Download(const Request& request)
{
    FormFields fields = DecodeFormLeniently(request.Query);
    std::string name = FieldValue(fields, "File");
    long long from = Number(fields, "From");
    long long maxLength = Number(fields, "MaxLength");
    long long version = Number(fields, "Version");
    std::function<void(const std::string&, size_t)> observer;
    Response response;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        downloads_.emplace_back(name, from < 0 ? 0 : static_cast<size_t>(from));
        observer = observer_;
        auto file = std::find_if(files_.begin(), files_.end(), [&](const File& f) { return f.Name == name; });
        auto error = chunkErrors_.find({name, static_cast<size_t>(from)});
        if (error != chunkErrors_.end() && error->second > 0) {
            --error->second;
            response = Response::Text(BracketItem("ErrorCode", "Chyba pri stahovani"));
        } else if (file == files_.end() || from < 0 || maxLength <= 0 || version != newestVersion_ ||
                   static_cast<size_t>(from) > file->Bytes.size()) {
            response = Response::Text(BracketItem("ErrorCode", "Neznamy soubor"));
        } else {
            size_t begin = static_cast<size_t>(from);
            size_t count = std::min(static_cast<size_t>(maxLength), file->Bytes.size() - begin);
            bool finished = begin + count == file->Bytes.size();
            auto cut = shortChunks_.find({name, begin});
            if (cut != shortChunks_.end()) {
                count = std::min(count, cut->second);
                finished = true;
                shortChunks_.erase(cut);
            }
            std::string size = file->SizeText.empty() ? std::to_string(file->Bytes.size()) : file->SizeText;
            response = Response::Text(BracketItem("FileSize", size) + BracketItem("DataLength", std::to_string(count)) +
                                      BracketItem("Finished", finished ? "1" : "0") +
                                      BracketItem("Data", std::string_view(file->Bytes).substr(begin, count)));
        }
    }
    if (observer)
        observer(name, from < 0 ? 0 : static_cast<size_t>(from));
    return response;
}

} // namespace test_service
