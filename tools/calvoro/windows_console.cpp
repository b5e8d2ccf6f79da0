// The Windows console and command line: the arguments from the wide command line, and UTF-8
// output written to a console as UTF-16.
#include "windows_console.h"

#include "text.h"
#include "windows_memory.h"  // <windows.h>, as the program includes it

#include <shellapi.h>

#include <cstring>
#include <iostream>
#include <streambuf>

namespace calvoro_cli::windows {
namespace {

// A stream buffer that writes UTF-8 text to a console as UTF-16. Bytes are held back until a
// character is whole, so that a character is never split between two writes.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ConsoleBuffer(const ConsoleBuffer&) = delete;
    ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;
    ~ConsoleBuffer() override { Flush(true); }

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += static_cast<char>(c);
            if (c == '\n') {
                Flush(false);
            }
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        Flush(false);
        return count;
    }

    int sync() override {
        Flush(false);
        return 0;
    }

private:
    void Flush(bool all) {
        // Up to the last whole UTF-8 character: a lead byte whose sequence is not complete
        // yet waits for the next write.
        std::size_t whole = pending_.size();
        if (!all) {
            std::size_t back = 0;
            while (back < 4 && back < pending_.size() &&
                   (static_cast<unsigned char>(pending_[pending_.size() - 1 - back]) & 0xC0) == 0x80) {
                ++back;
            }
            if (back < pending_.size()) {
                const auto lead = static_cast<unsigned char>(pending_[pending_.size() - 1 - back]);
                const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                if (length > back + 1) {
                    whole = pending_.size() - 1 - back;
                }
            }
        }
        if (whole == 0) {
            return;
        }
        const std::u16string wide = ToUtf16Lenient(pending_.substr(0, whole));
        DWORD written = 0;
        ::WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        pending_.erase(0, whole);
    }

    static std::u16string ToUtf16Lenient(const std::string& utf8) {
        try {
            return ToUtf16(utf8, "output");
        } catch (const std::exception&) {
            return std::u16string(utf8.begin(), utf8.end());  // not UTF-8: show the bytes
        }
    }

    HANDLE console_;
    std::string pending_;
};

}  // namespace

std::vector<std::string> Utf8Arguments() {
    int count = 0;
    const LocalMemory<LPWSTR> words(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    if (words.get() == nullptr) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        const std::u16string word(reinterpret_cast<const char16_t*>(words.get()[i]));
        arguments.push_back(ToUtf8ForDisplay(word));  // a lone surrogate cannot be a plan's name anyway
    }
    return arguments;
}

// One stream sent to its console, and put back as it was when the route goes.
struct UnicodeConsole::Route {
    Route(std::ostream& routed, HANDLE console)
        : stream(routed), buffer(console), previous(routed.rdbuf(&buffer)) {}
    ~Route() {
        stream.flush();
        stream.rdbuf(previous);
    }
    Route(const Route&) = delete;
    Route& operator=(const Route&) = delete;

    std::ostream& stream;
    ConsoleBuffer buffer;
    std::streambuf* previous;
};

namespace {

// A route for `stream` when the handle is a console; none for a pipe or a file.
std::unique_ptr<UnicodeConsole::Route> RouteWhenConsole(std::ostream& stream, DWORD handle) {
    HANDLE console = ::GetStdHandle(handle);
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || console == nullptr || !::GetConsoleMode(console, &mode)) {
        return nullptr;
    }
    stream.flush();
    return std::make_unique<UnicodeConsole::Route>(stream, console);
}

}  // namespace

UnicodeConsole::UnicodeConsole()
    : out_(RouteWhenConsole(std::cout, STD_OUTPUT_HANDLE)),
      err_(RouteWhenConsole(std::cerr, STD_ERROR_HANDLE)) {}

UnicodeConsole::~UnicodeConsole() = default;

}  // namespace calvoro_cli::windows
