#pragma once

#include <ostream>
#include <string>

// Word and position helpers with which URLs and reply lines are taken apart.

// The n-th field (from 1) of `text` split at `delim`. Fields may be empty (two delimiters
// in a row); when the text has fewer than n fields, or is empty, the result is empty.
std::string NthWord(const std::string& text, char delim, int n);

// The position (from 1) of the n-th `delim` in `text`. When that delimiter is the text's
// last character, or the text has fewer than n delimiters, the result is the text's length
// plus one. An empty text gives 1.
size_t NthPos(const std::string& text, char delim, int n);

// Writes `text` followed by CR LF to `out`.
void StreamLn(std::ostream& out, const std::string& text);
