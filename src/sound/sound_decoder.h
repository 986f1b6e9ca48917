#pragma once

#include <string>

#include "sound/sound_samples.h"

namespace morvel {

// Decodes the first sound stream of any file FFmpeg reads (WAV, FLAC, MP3, Ogg, M4A, ...) whole,
// resampled to SoundSamples' rate and channels. On failure `sound` is left as it was and `error`
// says why in a short English sentence that the caller puts into its own message.
bool DecodeSoundFile(const std::string& path, SoundSamples& sound, std::string& error);

}  // namespace morvel
