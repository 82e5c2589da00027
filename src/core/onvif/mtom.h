#pragma once
// SOAP messages with binary attachments (MTOM/XOP): the envelope as the
// root part of a multipart/related body, each attachment a part of its own
// that the envelope points at with <xop:Include href="cid:...">. Used for
// the device service's UpgradeSystemFirmware, RestoreSystem and
// GetSystemBackup. Pure: no sockets.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvif {

inline constexpr const char* kXopNamespace = "http://www.w3.org/2004/08/xop/include";

// The text around one attachment: a message is head + attachment + tail,
// so the attachment itself is never copied.
struct MtomFrame {
    std::string contentType; // the HTTP Content-Type of the whole body
    std::string head;        // the root part and the attachment's headers
    std::string tail;        // the closing boundary
};

// envelope: the SOAP envelope naming the attachment "cid:<contentId>";
// action: the SOAP action URI.
MtomFrame MakeMtomFrame(std::string_view envelope, std::string_view action, std::string_view contentId);

struct MimePart {
    std::string contentId; // without the angle brackets
    std::string contentType;
    std::string_view data; // into the body given to ParseMultipart
};

// The parts of a multipart body whose HTTP Content-Type is contentType;
// nullopt when it is not multipart or the body is not well formed. The
// first part is the root unless the type's start parameter names another.
struct Multipart {
    std::vector<MimePart> parts;
    std::size_t root = 0;
};
std::optional<Multipart> ParseMultipart(std::string_view contentType, std::string_view body);

// A parameter of a header value ("boundary" of "multipart/related;
// boundary=x"), unquoted; empty when absent.
std::string HeaderParameter(std::string_view value, std::string_view name);

// The content id a "cid:" URI names; empty for anything else.
std::string ContentIdOf(std::string_view href);

} // namespace onvif
