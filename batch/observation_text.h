#pragma once
// What the hand-typed observation files (traverse, network) share: the test that bytes are
// text at all, the misspelled-keyword rule and the reasons they give for it.
#include <span>
#include <string>
#include <string_view>

#include "common/text_files.h"

namespace vantrel::batch {

// Text has no NUL and no control bytes beyond tabs and line ends, and is well-formed UTF-8
// or GBK; UTF-16 and binary files are neither.
bool IsGbkOrUtf8Text(std::string_view bytes);

// The reason given, once for the whole file, when IsGbkOrUtf8Text is false.
inline constexpr const char* kNotTextReason =
    "不是 GBK 或 UTF-8 文本 (UTF-16 或二进制文件?), 请存为 GBK 或 UTF-8 文本!";

// The keyword a first word is one letter off (a letter changed, added, dropped or two
// swapped), when the word is all Chinese and it or the keyword has three letters or more;
// nullptr otherwise. Such a word is a misspelled keyword, not a point name.
const char* MisspeltKeyword(const std::string& word, std::span<const char* const> keywords);

// The reason for a packed angle written finer than 0.1″.
std::string FinerThanTenths(const std::string& text);

// A whole file read and parsed; a file that cannot be read gives a Result whose error is
// "PATH: reason", as every reader of observation files reports it.
template <class Result, class Parse>
Result ReadAndParse(const std::string& path, Parse parse) {
  FileBytesResult file = ReadFileBytes(path);
  if (!file.ok) {
    Result r;
    r.error = path + ": " + file.error;
    return r;
  }
  return parse(std::string_view(file.bytes));
}

}  // namespace vantrel::batch
