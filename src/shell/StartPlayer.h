#pragma once

#include "shell/player/SessionOptions.h"

namespace quorvel {

class CatalogueWindow;
class MediaPlayer;

// Puts the media player into the start window's player area: a channel click plays the
// channel, and closing the window stops and closes the player so nothing plays on.
MediaPlayer* AttachPlayer(CatalogueWindow& window, const SessionOptions& options = {});

}  // namespace quorvel
