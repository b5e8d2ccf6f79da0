#include "arguments.h"

#include <algorithm>
#include <iterator>

#include "errors.h"
#include "source_words.h"

namespace calvoro_cli {

std::string Lower(std::string word) {
    for (char& c : word) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return word;
}

bool ParseSource(const std::string& word) {
    const std::string source = Lower(word);
    if (source != "ac" && source != "dc") {
        throw UsageError("unknown power source \"" + word + "\"; use ac or dc");
    }
    return source == "ac";
}

const char* SourceName(bool onAC) { return onAC ? "AC" : "DC"; }

Calvoro::PowerMode ParseMode(const std::string& word) {
    const std::optional<Calvoro::PowerMode> mode = ModeFromWord(Lower(word));
    if (!mode) {
        throw UsageError("unknown power mode \"" + word +
                         "\"; use efficiency, balanced or performance");
    }
    return *mode;
}

std::uint32_t ParseWhole(const std::string& word, const char* what, std::uint32_t most) {
    const bool digitsOnly = !word.empty() && word.size() <= 10 &&
                            word.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || std::stoull(word) > most) {
        throw UsageError(std::string(what) + " must be a whole number from 0 to " +
                         std::to_string(most) + ", not \"" + word + "\"");
    }
    return static_cast<std::uint32_t>(std::stoull(word));
}

std::uint32_t ParseMinutes(const std::string& word) {
    return ParseWhole(word, "MINUTES", Calvoro::MaxTimerMinutes);
}

std::filesystem::path PathArgument(const std::string& word) {
#if defined(_WIN32)
    return std::filesystem::u8path(word);  // wide on Windows: every language's file names
#else
    return std::filesystem::path(word);
#endif
}

}  // namespace calvoro_cli
