#include "db/engine/postgresql/Address.h"

#include <algorithm>
#include <cctype>

namespace pelmora::engine::postgresql {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The parameters after '?' without password=...
std::string withoutPasswordParameter(const std::string& query) {
    std::string kept;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string parameter = query.substr(start, end - start);
        if (!parameter.empty() && !startsWith(lower(parameter), "password="))
            kept += (kept.empty() ? "" : "&") + parameter;
        start = end + 1;
    }
    return kept;
}

// %XX sequences decoded, as libpq reads a URI.
std::string decoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(text[i + 1]) &&
            std::isxdigit(text[i + 2])) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string passwordOf(const std::string& uri) {
    const size_t scheme = uri.find("://");
    if (scheme == std::string::npos) return "";
    const size_t authority = scheme + 3;
    const size_t end = std::min(uri.find_first_of("/?", authority), uri.size());
    const std::string host = uri.substr(authority, end - authority);
    const size_t at = host.rfind('@');
    const size_t colon = host.find(':');
    if (at != std::string::npos && colon < at)
        return decoded(host.substr(colon + 1, at - colon - 1));
    const size_t question = uri.find('?', end);
    if (question == std::string::npos) return "";
    for (size_t start = question + 1; start < uri.size();) {
        size_t stop = std::min(uri.find('&', start), uri.size());
        const std::string parameter = uri.substr(start, stop - start);
        if (startsWith(lower(parameter), "password=")) return decoded(parameter.substr(9));
        start = stop + 1;
    }
    return "";
}

bool isAddress(const std::string& text) {
    const std::string l = lower(text.substr(0, 13));
    return startsWith(l, "postgresql://") || startsWith(l, "postgres://");
}

std::string withoutPassword(const std::string& uri) {
    const size_t scheme = uri.find("://");
    if (scheme == std::string::npos) return uri;
    const size_t authority = scheme + 3;
    size_t end = uri.find_first_of("/?", authority);
    if (end == std::string::npos) end = uri.size();
    std::string host = uri.substr(authority, end - authority);
    const size_t at = host.rfind('@');
    if (at != std::string::npos) {
        const size_t colon = host.find(':');
        if (colon < at) host.erase(colon, at - colon);
    }
    std::string rest = uri.substr(end);
    const size_t question = rest.find('?');
    if (question != std::string::npos) {
        const std::string query = withoutPasswordParameter(rest.substr(question + 1));
        rest = rest.substr(0, question) + (query.empty() ? "" : "?" + query);
    }
    return uri.substr(0, authority) + host + rest;
}

std::optional<std::string> addressInFile(const std::string& bytes) {
    size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return std::nullopt;
    size_t end = bytes.find_first_of("\r\n", start);
    std::string line =
        bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (!isAddress(line)) return std::nullopt;
    return line;
}

}  // namespace pelmora::engine::postgresql
