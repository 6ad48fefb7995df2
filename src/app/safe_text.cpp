#include "app/safe_text.h"

namespace ktv {
namespace {

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when the bytes there are
// not valid UTF-8 (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t Utf8Sequence(std::string_view text, std::size_t i, char32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char c = b(0);
  std::size_t n = 0;
  char32_t min = 0;
  if (c < 0x80) {
    cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    n = 2, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool IsControl(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
}

}  // namespace

std::string OneLineText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t n = Utf8Sequence(text, i, cp);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else if (IsControl(cp)) {
      out += ' ';
      i += n;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string ValueExcerpt(std::string_view text, std::size_t max_chars) {
  const std::string line = OneLineText(text);
  std::size_t chars = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (chars++ == max_chars) return line.substr(0, i) + "…";
  }
  return line;
}

std::size_t CodePointCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    char32_t cp = 0;
    const std::size_t n = Utf8Sequence(text, i, cp);
    i += n == 0 ? 1 : n;
  }
  return count;
}

}  // namespace ktv
