// Stand-ins for the AVIServ library in the export's tests: each logs its calls, one per line, to
// the file named by AVISERV_FAKE_LOG, and answers as its build options say. An entry left out by
// the options is not exported at all.

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "aviserv/aviserv.h"

#define FAKE_ENTRY extern "C" __attribute__((visibility("default")))

namespace {

void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log(const char* format, ...) {
    const char* path = std::getenv("AVISERV_FAKE_LOG");
    if (!path) return;
    FILE* file = std::fopen(path, "a");
    if (!file) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file, format, arguments);
    va_end(arguments);
    std::fputc('\n', file);
    std::fclose(file);
}

}  // namespace

#ifndef FAKE_WITHOUT_INIT
FAKE_ENTRY int32_t AVI_Init(void) {
    log("AVI_Init");
    return FAKE_INIT_RESULT;
}
#endif

#ifndef FAKE_WITHOUT_OPEN
FAKE_ENTRY int32_t OpenAVIforWrite(const char* path, const AviWriterRecord* record) {
    unsigned char bytes[20];
    std::memcpy(bytes, record, sizeof bytes);
    char hex[41] = {};
    for (int i = 0; i < 20; ++i) std::snprintf(hex + 2 * i, 3, "%02x", bytes[i]);
    log("OpenAVIforWrite %s %s", path, hex);
    return FAKE_OPEN_RESULT;
}
#endif

FAKE_ENTRY int32_t AddFrameToAVI(const AviBitmap* bitmap, int32_t flags) {
    log("AddFrameToAVI %dx%d %d %d", bitmap->width, bitmap->height, bitmap->pixels[0], flags);
    return FAKE_ADD_RESULT;
}

FAKE_ENTRY int32_t CloseAVIStreams(void) {
    log("CloseAVIStreams");
    return 1;
}

FAKE_ENTRY int32_t AVI_Quit(void) {
    log("AVI_Quit");
    return 1;
}
