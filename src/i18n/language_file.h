#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/language_table.h"

namespace morvel {

// A language file larger than this is not read at all (the defaults stay); real ones hold a few
// kilobytes.
constexpr std::size_t kMaxLanguageFileBytes = std::size_t{4} << 20;

// A line longer than this (line end not counted) is skipped as a whole, as if it were not in the
// file: cutting it would give a text the translator never wrote.
constexpr std::size_t kMaxLanguageLineBytes = std::size_t{64} << 10;

// What a language file says about each text of the table: its value (UTF-8), or nothing when
// the file has no entry for it.
using LanguageFileValues = std::array<std::optional<std::string>, kTextCount>;

// Reads the bytes of a language file. The format:
// - The bytes EF BB BF at the start mark a UTF-8 file; a value that is malformed UTF-8 or holds a
//   character above U+00FF reads as "". Without them the file is Windows-1252 and its values are
//   converted to UTF-8.
// - Lines end with CR, LF or CR LF. Blanks and tabs at the start of a line are ignored, empty
//   lines too. A line starting with ";" is a comment.
// - "[" opens a group named by the text after it up to "]" or the line end; the rest is ignored.
//   A group whose header appears again later simply continues.
// - Any other line holding "=" is an entry: the key is the text before the first "=" without
//   trailing blanks and tabs; the value is the text after it without leading and trailing blanks
//   and tabs. Lines without "=" are ignored.
// - Groups and keys are compared without regard to the case of A to Z. Entries before the first
//   group belong to no group and are never read. When a key appears twice in a group, the first
//   one counts.
// The work is linear in the size of the file and holds on to no more than the table's values.
LanguageFileValues ParseLanguageFile(std::string_view bytes);

// The same, and what the file says about the texts `added` to a table (LanguageTable::add), in
// their order.
using AddedTextValues = std::vector<std::optional<std::string>>;
LanguageFileValues ParseLanguageFile(std::string_view bytes, const std::vector<TextEntry>& added,
                                     AddedTextValues& addedValues);

// Every text at its built-in default, then each value the file gives in its place; also for the
// texts added to the table.
void ApplyLanguageFile(std::string_view bytes, LanguageTable& table);

}  // namespace morvel
