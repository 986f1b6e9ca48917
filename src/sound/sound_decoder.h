#pragma once

#include <string>

#include "sound/sound_samples.h"

namespace morvel {

// The reasons DecodeSoundFile gives.
namespace sound_error {
inline constexpr const char* kNotSound = "it is not a file whose format is known, or it cannot be read";
inline constexpr const char* kNoSound = "the file holds no sound";
inline constexpr const char* kCoding = "its sound is in a coding that cannot be decoded";
inline constexpr const char* kDamaged = "the file is damaged or cut short";
inline constexpr const char* kEmpty = "the sound is empty";
inline constexpr const char* kLayout = "its channel layout cannot be mixed down to stereo";
inline constexpr const char* kFormat = "its sample format cannot be converted";
}  // namespace sound_error

// Decodes the first sound stream of any file FFmpeg reads (WAV, FLAC, MP3, Ogg, M4A, ...) whole,
// resampled to SoundSamples' rate and channels. On failure `sound` is left as it was and `error`
// says why in a short English sentence that the caller puts into its own message.
bool DecodeSoundFile(const std::string& path, SoundSamples& sound, std::string& error);

}  // namespace morvel
