// The header list and the word functions, on any bytes. Words: the fields of a text split
// at a delimiter, joined again, give the text, and NthPos points at the delimiters. Header
// list: a value set under a name reads back, a sorted list stays sorted and finds the same
// line as a plain search.
#include "FuzzCheck.h"

#include "net/THeaderList.h"
#include "net/TextWords.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void CheckWords(const std::string& text, char delim)
{
    const auto delimiters = static_cast<int>(std::count(text.begin(), text.end(), delim));
    std::string joined;
    for (int n = 1; n <= delimiters + 1; ++n) {
        if (n > 1) joined += delim;
        joined += NthWord(text, delim, n);
    }
    FUZZ_CHECK(text.empty() || joined == text, "the words joined by their delimiter give the text");
    FUZZ_CHECK(NthWord(text, delim, delimiters + 2).empty(), "there is no word after the last");
    FUZZ_CHECK(NthWord(text, delim, 0).empty(), "there is no word 0");
    for (int n = 1; n <= delimiters; ++n) {
        const std::size_t pos = NthPos(text, delim, n);
        if (pos == text.size() + 1) {
            FUZZ_CHECK(n == delimiters && text.back() == delim, "only a last delimiter at the end gives length + 1");
        } else {
            FUZZ_CHECK(pos >= 1 && pos <= text.size() && text[pos - 1] == delim, "NthPos points at a delimiter");
            const std::size_t start = n == 1 ? 0 : NthPos(text, delim, n - 1);
            FUZZ_CHECK(NthWord(text, delim, n) == text.substr(start, pos - 1 - start), "a word ends where NthPos says");
        }
    }
    FUZZ_CHECK(NthPos(text, delim, delimiters + 1) == text.size() + 1, "a missing delimiter gives length + 1");
}

bool IsNamed(const std::string& line, const std::string& name)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon != name.size()) return false;
    for (std::size_t k = 0; k < colon; ++k)
        if (std::tolower(static_cast<unsigned char>(line[k])) != std::tolower(static_cast<unsigned char>(name[k])))
            return false;
    return true;
}

// The first line whose name (the text before its first ":") is `name` in any letter case,
// or -1; and how many lines have that name.
int PlainSearch(const THeaderList& list, const std::string& name, std::size_t* count = nullptr)
{
    int first = -1;
    if (count) *count = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (!IsNamed(list[i], name)) continue;
        if (first < 0) first = static_cast<int>(i);
        if (count) ++*count;
    }
    return first;
}

bool NoCaseLess(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const char delim = in.ConsumeIntegral<char>();
    const std::string text = in.ConsumeRandomLengthString(512);
    CheckWords(text, delim);

    THeaderList list;
    list.Sorted = in.ConsumeBool();
    for (int step = 0; step < 32 && in.remaining_bytes() > 0; ++step) {
        const int op = in.ConsumeIntegralInRange(0, 2);
        std::string name = in.ConsumeRandomLengthString(16);
        const std::string value = in.ConsumeRandomLengthString(32);
        if (op == 0) {
            list.Add(name + value); // any line, with or without a colon
            continue;
        }
        name.erase(std::remove(name.begin(), name.end(), ':'), name.end());
        const std::size_t before = list.Count();
        std::size_t named = 0;
        const bool had = PlainSearch(list, name, &named) >= 0;
        list.SetValue(name, op == 1 ? value : std::string());
        if (op == 1 && !value.empty()) {
            // (A sorted list with two lines of one name keeps the new one at its sorted place,
            // which need not be the first.)
            if (!list.Sorted || named <= 1)
                FUZZ_CHECK(list.GetValue(name) == value, "a value set under a name reads back");
            FUZZ_CHECK(list.Count() == before + (had ? 0 : 1), "setting a name adds a line only when it had none");
        } else {
            FUZZ_CHECK(list.Count() == before - (had ? 1 : 0), "an empty value removes the name's line");
        }
        FUZZ_CHECK(list.IndexOfName(name) == PlainSearch(list, name), "the list finds a name's first line");
    }
    if (list.Sorted) {
        for (std::size_t i = 1; i < list.Count(); ++i) {
            const std::string& a = list[i - 1];
            const std::string& b = list[i];
            const std::string keyA = a.substr(0, a.find(':'));
            const std::string keyB = b.substr(0, b.find(':'));
            FUZZ_CHECK(!NoCaseLess(keyB, keyA), "a sorted list keeps its names in order");
        }
    }
    return 0;
}
