#pragma once

#include <string>
#include <string_view>

#include "files/FileDescriptor.h"

namespace quorvel {

// What the player may open. Addresses come from a downloaded catalogue, favorites and
// playlists found on the network, so only stream schemes and plain local paths pass;
// the media engine's own schemes (file, av, lavfi, fd, ytdl, edl, memory...) never do.
enum class AddressKind { NetworkStream, LocalPath, Refused };

struct AddressCheck {
    AddressKind kind = AddressKind::Refused;
    // The address to hand on: blanks trimmed, scheme in lower case.
    std::string address;
    // Why a refused address is refused, for the user.
    std::string reason;
};

AddressCheck CheckAddress(std::string_view address);

// Scheme as the media engine sees it: letters, digits, "+", "-", "." before "://",
// starting with a letter. Lower case; empty when the address has none.
std::string SchemeOf(std::string_view address);

bool IsNetworkScheme(std::string_view scheme);

// Why a local path may not be played although its text passes: it names a folder (the
// engine would play everything below it), a device, a pipe or a socket (reading one could
// wait for ever or read without end). Empty when it names a file, or nothing at all (the
// engine then says the file is missing).
std::string LocalPathProblem(const std::string& path);
// The same for what opening the path found.
std::string LocalPathProblem(FileReadStatus opened);

// Where an entry of a playlist may lead: a playlist read from the network may only name
// network streams; a local one may also name local files.
enum class PlaylistOrigin { Network, Local };
bool EntryAllowed(const AddressCheck& entry, PlaylistOrigin origin);

}  // namespace quorvel
