// Uploads and downloads of files over libcurl. The upload reads the caller's
// ranges in order into libcurl's own buffer (and back from any offset when
// libcurl rewinds for the digest exchange); the download keeps the answer up
// to the transfer's limit.
#include "onvif/http_file_transfer.h"

#include "onvif/curl_common.h"

#include <algorithm>
#include <cstring>

namespace onvif {
namespace {

struct UploadCursor {
    const std::vector<ByteRange>* ranges;
    std::size_t range = 0;
    std::size_t offset = 0;
};

std::size_t ReadBody(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* cursor = static_cast<UploadCursor*>(user);
    const std::size_t room = size * count;
    std::size_t filled = 0;
    while (filled < room && cursor->range < cursor->ranges->size()) {
        const ByteRange& part = (*cursor->ranges)[cursor->range];
        const std::size_t take = std::min(room - filled, part.size() - cursor->offset);
        std::memcpy(buffer + filled, part.data() + cursor->offset, take);
        filled += take;
        cursor->offset += take;
        if (cursor->offset == part.size()) {
            ++cursor->range;
            cursor->offset = 0;
        }
    }
    return filled;
}

int SeekBody(void* user, curl_off_t offset, int origin) {
    auto* cursor = static_cast<UploadCursor*>(user);
    if (origin != SEEK_SET || offset < 0) {
        return CURL_SEEKFUNC_CANTSEEK;
    }
    auto left = static_cast<uint64_t>(offset);
    cursor->range = 0;
    cursor->offset = 0;
    while (cursor->range < cursor->ranges->size() && left >= (*cursor->ranges)[cursor->range].size()) {
        left -= (*cursor->ranges)[cursor->range].size();
        ++cursor->range;
    }
    if (cursor->range == cursor->ranges->size() && left > 0) {
        return CURL_SEEKFUNC_FAIL;
    }
    cursor->offset = static_cast<std::size_t>(left);
    return CURL_SEEKFUNC_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    const auto* transfer = static_cast<const FileTransfer*>(user);
    if (transfer->cancelled && transfer->cancelled()) {
        return 1;
    }
    if (transfer->upload && transfer->progress) {
        transfer->progress(static_cast<uint64_t>(sent), TotalSize(transfer->body));
    }
    return 0;
}

class CurlFileTransport final : public FileTransport {
public:
    CurlFileTransport() { StartCurl(); }

    FileReply Transfer(const FileTransfer& transfer) override {
        FileReply reply;
        CURL* curl = curl_easy_init();
        if (curl == nullptr) {
            return reply;
        }
        curl_slist* headers = nullptr;
        UploadCursor cursor{&transfer.body};
        if (transfer.upload) {
            headers = curl_slist_append(headers, ("Content-Type: " + transfer.contentType).c_str());
            headers = curl_slist_append(headers, "Expect:"); // no wait for "100 Continue"
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(TotalSize(transfer.body)));
            curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadBody);
            curl_easy_setopt(curl, CURLOPT_READDATA, &cursor);
            curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, SeekBody);
            curl_easy_setopt(curl, CURLOPT_SEEKDATA, &cursor);
            curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        }
        CurlSink sink{&reply.body, transfer.maxReplyBytes};
        SetDeviceOptions(curl, transfer.url, sink, transfer.auth, transfer.user, transfer.password);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, transfer.connectTimeoutMs);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, transfer.stallTimeoutMs / 1000));
        const CURLcode code = curl_easy_perform(curl);
        reply.result = FromCurl(code, sink);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.httpStatus);
        const char* type = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) {
            reply.contentType = type;
        }
        curl_easy_cleanup(curl);
        curl_slist_free_all(headers);
        return reply;
    }
};

} // namespace

FileTransfer::~FileTransfer() {
    Wipe(password);
}

uint64_t TotalSize(const std::vector<ByteRange>& ranges) {
    uint64_t total = 0;
    for (const ByteRange& range : ranges) {
        total += range.size();
    }
    return total;
}

std::shared_ptr<FileTransport> CreateCurlFileTransport() {
    return std::make_shared<CurlFileTransport>();
}

} // namespace onvif
