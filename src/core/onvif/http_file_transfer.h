#pragma once
// Files to and from a device over HTTP: a firmware image or a configuration
// backup posted to the address the device named, a backup fetched from it.
// The body of an upload is a list of byte ranges the caller keeps alive (a
// shared read-only image, a short head and tail around it); they are read
// straight into the HTTP library's buffer, so an upload neither copies the
// image nor allocates per chunk. An interface, so the operations can be
// tested without sockets; CreateCurlFileTransport gives the real one.
#include "onvif/soap_transport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace onvif {

using ByteRange = std::span<const uint8_t>;

struct FileTransfer {
    std::string url;
    bool upload = false;     // POST of the ranges; otherwise a GET
    std::string contentType; // of the upload
    std::vector<ByteRange> body;
    HttpAuth auth = HttpAuth::Digest;
    std::string user;
    std::string password; // wiped by the destructor
    std::size_t maxReplyBytes = kMaxReplyBytes;
    long connectTimeoutMs = 5000;
    // The transfer fails when fewer than 1 byte per second moved for this
    // long (a device that stopped taking or sending).
    long stallTimeoutMs = 30000;
    // Bytes sent so far and in all; called from the transfer's thread.
    std::function<void(uint64_t sent, uint64_t total)> progress;
    // Tested while the transfer runs; true ends it (TransportResult::Failed).
    std::function<bool()> cancelled;

    FileTransfer() = default;
    FileTransfer(const FileTransfer&) = default;
    FileTransfer& operator=(const FileTransfer&) = default;
    ~FileTransfer();
};

struct FileReply {
    TransportResult result = TransportResult::Failed;
    long httpStatus = 0;
    std::string contentType;
    std::string body; // at most maxReplyBytes
};

class FileTransport {
public:
    virtual ~FileTransport() = default;
    // Safe to call from several threads at once.
    virtual FileReply Transfer(const FileTransfer& transfer) = 0;
};

std::shared_ptr<FileTransport> CreateCurlFileTransport();

uint64_t TotalSize(const std::vector<ByteRange>& ranges);

} // namespace onvif
