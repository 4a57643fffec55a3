#include "playback/AddressPolicy.h"

#include "files/TextCase.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace quorvel {
namespace {

constexpr std::array<std::string_view, 10> kNetworkSchemes = {
    "http", "https", "mms", "mmsh", "mmst", "rtsp", "rtmp", "rtmps", "rtp", "udp"};

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimSpace(std::string_view text) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HasControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

AddressCheck Refuse(std::string address, std::string reason) {
    return {AddressKind::Refused, std::move(address), std::move(reason)};
}

}  // namespace

std::string SchemeOf(std::string_view address) {
    const std::size_t end = address.find("://");
    if (end == std::string_view::npos || end == 0)
        return {};
    for (std::size_t i = 0; i < end; ++i) {
        const char c = address[i];
        const bool ok =
            i == 0 ? IsAsciiAlpha(c)
                   : IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.';
        if (!ok)
            return {};
    }
    return ToLowerAscii(address.substr(0, end));
}

bool IsNetworkScheme(std::string_view scheme) {
    for (const auto allowed : kNetworkSchemes) {
        if (scheme == allowed)
            return true;
    }
    return false;
}

AddressCheck CheckAddress(std::string_view raw) {
    const std::string_view address = TrimSpace(raw);
    if (address.empty())
        return Refuse({}, "The address is empty.");
    if (HasControlCharacter(address)) {
        return Refuse(std::string(address), "The address contains control characters.");
    }
    const std::string scheme = SchemeOf(address);
    if (!scheme.empty()) {
        if (!IsNetworkScheme(scheme)) {
            return Refuse(std::string(address),
                          "Addresses of the kind \"" + scheme + "://\" are not played.");
        }
        std::string normalized = scheme + std::string(address.substr(scheme.size()));
        if (normalized.size() == scheme.size() + 3) {
            return Refuse(std::move(normalized), "The address names no server.");
        }
        return {AddressKind::NetworkStream, std::move(normalized), {}};
    }
    // Only absolute paths: anything else is either relative to wherever the program
    // happens to run, or a name the engine treats specially ("-" is standard input).
    if (address.front() == '/')
        return {AddressKind::LocalPath, std::string(address), {}};
    return Refuse(std::string(address),
                  "Only stream addresses and absolute file paths can be played.");
}

std::string LocalPathProblem(const std::string& path) {
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    if (error || type == std::filesystem::file_type::not_found ||
        type == std::filesystem::file_type::regular) {
        return {};
    }
    return LocalPathProblem(type == std::filesystem::file_type::directory
                                ? FileReadStatus::Folder
                                : FileReadStatus::NotAFile);
}

std::string LocalPathProblem(FileReadStatus opened) {
    // The engine would walk a folder and everything below it as one playlist.
    if (opened == FileReadStatus::Folder)
        return "This is a folder, not a media file.";
    if (opened == FileReadStatus::NotAFile)
        return "This is a device, pipe or socket, not a media file.";
    return {};
}

bool EntryAllowed(const AddressCheck& entry, PlaylistOrigin origin) {
    if (entry.kind == AddressKind::NetworkStream)
        return true;
    return entry.kind == AddressKind::LocalPath && origin == PlaylistOrigin::Local;
}

}  // namespace quorvel
