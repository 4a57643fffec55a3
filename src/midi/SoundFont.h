#pragma once

#include <string>

namespace quorvel {

// The General MIDI sound font that MIDI files are played with: the file named by
// QUORVEL_MIDI_SOUNDFONT when that is set, otherwise the first of the places where Debian's
// sound font packages put theirs. Empty when there is none.
std::string FindSoundFont();

}  // namespace quorvel
