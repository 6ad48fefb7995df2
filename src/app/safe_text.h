#pragma once
// Texts that come from outside the program (a project file, a database engine's error) are made
// safe to show on one line before they go into a message.
#include <cstddef>
#include <string>
#include <string_view>

namespace ktv {

// The text on one line: every control character (C0, DEL, C1, line and paragraph separators)
// becomes a blank and every byte that is not part of valid UTF-8 becomes U+FFFD.
std::string OneLineText(std::string_view text);

// A stored value for a message: OneLineText, cut after max_chars code points with "…".
std::string ValueExcerpt(std::string_view text, std::size_t max_chars = 40);

// Number of code points of a UTF-8 text (an invalid byte counts as one).
std::size_t CodePointCount(std::string_view text);

}  // namespace ktv
