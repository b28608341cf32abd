#include "batch/observation_text.h"

#include <algorithm>

#include "common/text_files.h"

namespace vantrel::batch {

namespace {

std::u32string Letters(std::string_view utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = utf8[i];
    const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? c : c & (0x3F >> (len - 1));
    for (int k = 1; k < len && i + k < utf8.size(); ++k) cp = cp << 6 | (utf8[i + k] & 0x3F);
    out.push_back(cp);
    i += len;
  }
  return out;
}

bool OneLetterOff(const std::u32string& a, const std::u32string& b) {
  if (a == b) return false;
  if (a.size() == b.size()) {
    size_t i = 0;
    while (a[i] == b[i]) ++i;
    if (a.substr(i + 1) == b.substr(i + 1)) return true;  // one changed
    return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.substr(i + 2) == b.substr(i + 2);
  }
  const std::u32string& longer = a.size() > b.size() ? a : b;
  const std::u32string& shorter = a.size() > b.size() ? b : a;
  if (longer.size() != shorter.size() + 1) return false;
  size_t i = 0;
  while (i < shorter.size() && longer[i] == shorter[i]) ++i;
  return longer.substr(i + 1) == shorter.substr(i);
}

}  // namespace

bool IsGbkOrUtf8Text(std::string_view bytes) {
  for (unsigned char c : bytes)
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
  return TakeAsUtf8(bytes) || IsGbkText(bytes);
}

const char* MisspeltKeyword(const std::string& word, std::span<const char* const> keywords) {
  for (char c : word)
    if (static_cast<unsigned char>(c) < 0x80) return nullptr;
  const std::u32string w = Letters(word);
  for (const char* k : keywords) {
    const std::u32string kw = Letters(k);
    if (std::max(w.size(), kw.size()) >= 3 && OneLetterOff(w, kw)) return k;
  }
  return nullptr;
}

std::string FinerThanTenths(const std::string& text) {
  return "角度最多写到 0.1″ (D.MMSSs): " + text + "!";
}

}  // namespace vantrel::batch
