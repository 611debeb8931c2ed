// Text helpers shared by the framework's stages: counting user-perceived characters for
// column alignment, comparing option names without regard to letter case, and writing
// lines of normal output.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cmdkit {

// The number of user-perceived characters (extended grapheme clusters) in UTF-8 text;
// "e" followed by a combining accent counts 1. Each byte that is not valid UTF-8 counts
// as one character.
long characterCount(std::string_view text);

// The user-perceived characters of UTF-8 text, in order, as pieces of it: "e" followed by
// a combining accent is one piece. Each byte that is not valid UTF-8 is a piece of its
// own, so the pieces always join back into the text.
std::vector<std::string_view> characters(std::string_view text);

// True when the texts are equal after Unicode case folding and canonical composition,
// so "--É" equals "--é" and a precomposed letter equals its decomposed spelling. Text
// that is not valid UTF-8 is compared with ASCII letters folded only.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The texts with `separator` between each two.
std::string join(const std::vector<std::string>& texts, std::string_view separator);

// `count` spaces; none when `count` is not positive.
std::string spaces(long count);

// Writes `text` and a line break to standard output.
void printLine(std::string_view text);

}  // namespace cmdkit
