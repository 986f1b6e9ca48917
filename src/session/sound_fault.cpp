#include "session/sound_fault.h"

#include "sound/sound_decoder.h"

namespace morvel {

namespace {

// The language table's text for a reason of DecodeSoundFile.
Text reasonText(const std::string& error) {
    struct Reason {
        const char* error;
        Text text;
    };
    static const Reason reasons[] = {
        {sound_error::kNotSound, Text::ErrorsSoundnotsound},
        {sound_error::kNoSound, Text::ErrorsSoundnosound},
        {sound_error::kCoding, Text::ErrorsSoundcodec},
        {sound_error::kFormat, Text::ErrorsSoundcodec},
        {sound_error::kDamaged, Text::ErrorsSounddamaged},
        {sound_error::kEmpty, Text::ErrorsSoundempty},
        {sound_error::kLayout, Text::ErrorsSoundlayout},
    };
    for (const Reason& reason : reasons)
        if (error == reason.error) return reason.text;
    return Text::ErrorsSoundnotsound;
}

}  // namespace

void ReportSoundFault(Services& services, const std::string& file, const std::string& error,
                      int nr) {
    services.reporter().report(ErrorKind::LoadSound, ErrorPlace::SoundTrack, nr,
                               file + "|" + services.language.texts[reasonText(error)]);
}

}  // namespace morvel
