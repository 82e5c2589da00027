#pragma once
// The simulator's side of MTOM: the parts of a multipart/related request
// and a multipart answer with one attachment.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvifsim {

struct SimPart {
    std::string id; // Content-ID without angle brackets
    std::string_view data;
};

bool IsMultipart(std::string_view contentType);
// The parts; the root (the SOAP envelope) first. nullopt when broken.
std::optional<std::vector<SimPart>> SplitMultipart(std::string_view contentType, std::string_view body);

struct MultipartAnswer {
    std::string contentType;
    std::string body;
};
MultipartAnswer JoinMultipart(const std::string& envelope, const std::string& attachmentId,
                              std::string_view attachment);

// "x" of "cid:x"; empty otherwise.
std::string CidTarget(std::string_view href);

} // namespace onvifsim
