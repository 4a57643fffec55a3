#include "midi/SoundFont.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quorvel {
namespace {

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string FindSoundFont() {
    if (const char* chosen = std::getenv("QUORVEL_MIDI_SOUNDFONT"); chosen && *chosen)
        return IsFile(chosen) ? std::string(chosen) : std::string();
    // The "default-GM" names are the alternatives the packages register; the rest are
    // their own files, for systems where the alternative was removed.
    static const char* const kPlaces[] = {
        "/usr/share/sounds/sf2/default-GM.sf2",        "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf3/MuseScore_General.sf3", "/usr/share/soundfonts/default.sf2",
    };
    for (const char* place : kPlaces) {
        if (IsFile(place))
            return place;
    }
    return {};
}

}  // namespace quorvel
