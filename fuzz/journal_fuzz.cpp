// The session journal readers on any bytes (the journal has no checksum: it is replaced whole).
// What they take must be a list the file could hold, with no negative mask numbers; the strict
// reader takes only what the reader past damage finds whole.
#include <cstdlib>

#include "project/session_journal.h"

namespace {

void check(const morvel::JournalContents& journal, std::size_t size) {
    if (journal.frames.size() > size / 8) std::abort();
    for (const morvel::JournalFrame& frame : journal.frames)
        if (frame.maskNumber < 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const morvel::JournalReading reading = morvel::ReadJournal({data, size});
    if (reading.contents) check(*reading.contents, size);
    const std::optional<morvel::JournalContents> journal = morvel::ParseJournal({data, size});
    if (!journal) return 0;
    if (reading.damaged || !reading.contents) std::abort();
    check(*journal, size);
    return 0;
}
