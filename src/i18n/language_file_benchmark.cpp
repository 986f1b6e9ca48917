#include <benchmark/benchmark.h>

#include <string>

#include "i18n/language_file.h"

namespace morvel {
namespace {

// A full translation: every text of the table under its group, as translators write them.
std::string fullTranslation() {
    std::string file = "\xEF\xBB\xBF";
    for (const TextEntry& entry : LanguageTable::entries()) {
        // Appended piece by piece: GCC 12 warns of an overlapping copy (-Wrestrict) in an
        // inlined "[" + ... when optimising.
        file += '[';
        file += entry.group;
        file += "]\r\n";
        file += std::string(entry.key) + " = " + std::string(entry.germanDefault) + "\r\n";
    }
    return file;
}

void BM_ParseTranslation(benchmark::State& state) {
    const std::string file = fullTranslation();
    for (auto _ : state) benchmark::DoNotOptimize(ParseLanguageFile(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseTranslation);

// Hostile files up to the size limit must stay linear: megabyte lines, or millions of short
// lines in a known group.
void BM_ParseMegabyteLines(benchmark::State& state) {
    std::string file = "[Tools]\n";
    while (file.size() < kMaxLanguageFileBytes) file += "zoom=" + std::string(1 << 20, 'z') + "\n";
    for (auto _ : state) benchmark::DoNotOptimize(ParseLanguageFile(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseMegabyteLines);

void BM_ParseManyShortLines(benchmark::State& state) {
    std::string file;
    while (file.size() < kMaxLanguageFileBytes) file += "[Tools]\nzoom=z\n";
    for (auto _ : state) benchmark::DoNotOptimize(ParseLanguageFile(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseManyShortLines);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
