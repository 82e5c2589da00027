#include "onvif/xml_reader.h"

#include <charconv>

namespace onvif {

std::unique_ptr<pugi::xml_document> ParseDocument(std::string_view text) {
    if (text.empty() || text.size() > kMaxDocumentBytes) {
        return nullptr;
    }
    auto document = std::make_unique<pugi::xml_document>();
    // Default parsing: no DOCTYPE entities are expanded and nothing is fetched.
    const pugi::xml_parse_result result =
        document->load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result || !document->document_element()) {
        return nullptr;
    }
    return document;
}

std::string_view LocalName(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view localName) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == localName) {
            return child;
        }
    }
    return {};
}

pugi::xml_node Path(pugi::xml_node node, std::initializer_list<std::string_view> localNames) {
    for (const std::string_view name : localNames) {
        if (!node) {
            break;
        }
        node = Child(node, name);
    }
    return node;
}

std::string Text(const pugi::xml_node& node) {
    std::string_view text = node.child_value();
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

long Number(const pugi::xml_node& node, long limit, long fallback) {
    const std::string text = Text(node);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0 ||
        value > limit) {
        return fallback;
    }
    return value;
}

bool Flag(const pugi::xml_node& node) {
    const std::string text = Text(node);
    return text == "true" || text == "1";
}

std::string Escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace onvif
