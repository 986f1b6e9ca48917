// The language file reader on any bytes.
#include <string_view>

#include "i18n/language_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvel::LanguageTable table;
    morvel::ApplyLanguageFile(std::string_view(reinterpret_cast<const char*>(data), size), table);
    return 0;
}
