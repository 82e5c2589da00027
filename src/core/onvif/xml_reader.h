#pragma once
// Bounded XML reading for the ONVIF codecs: documents over the size limit or
// not well formed are refused, and elements are found by their local name,
// whatever prefix the sender bound to their namespace.
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace onvif {

inline constexpr std::size_t kMaxDocumentBytes = 64 * 1024;

// nullptr when the text is empty, too long or not well formed.
std::unique_ptr<pugi::xml_document> ParseDocument(std::string_view text);

// The name after the prefix: "Probe" for "d:Probe".
std::string_view LocalName(const pugi::xml_node& node);

// The first child element with this local name (null node when none).
pugi::xml_node Child(const pugi::xml_node& node, std::string_view localName);

// Follows a path of local names from node; null node when a step is missing.
pugi::xml_node Path(pugi::xml_node node, std::initializer_list<std::string_view> localNames);

// The element's text without surrounding white space.
std::string Text(const pugi::xml_node& node);

// The text as a non-negative number, or fallback when it is not one or
// exceeds limit.
long Number(const pugi::xml_node& node, long limit, long fallback = -1);

// "true" or "1".
bool Flag(const pugi::xml_node& node);

// The text with &, <, >, " and ' escaped for use in element content.
std::string Escape(std::string_view text);

} // namespace onvif
