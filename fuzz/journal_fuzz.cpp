// The session journal reader on any bytes (the journal has no checksum: it is replaced whole).
// What it takes must be a list the file could hold, with no negative mask numbers.
#include <cstdlib>

#include "project/session_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<morvel::JournalContents> journal = morvel::ParseJournal({data, size});
    if (!journal) return 0;
    if (journal->frames.size() > size / 8) std::abort();
    for (const morvel::JournalFrame& frame : journal->frames)
        if (frame.maskNumber < 0) std::abort();
    return 0;
}
