// What the program does differently on Windows, in one place: the command line and the
// console in UTF-16 (and, in windows_console.cpp, the platform steps of platform_steps.h).
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace calvoro_cli::windows {

/// The program's arguments from the wide command line, as UTF-8: the ANSI code page cannot
/// carry every name.
std::vector<std::string> Utf8Arguments();

/// While it lives, standard output and standard error go through WriteConsoleW where they
/// are a console; redirected, they stay UTF-8 bytes.
class UnicodeConsole {
public:
    struct Route;  // one stream sent to its console

    UnicodeConsole();
    ~UnicodeConsole();
    UnicodeConsole(const UnicodeConsole&) = delete;
    UnicodeConsole& operator=(const UnicodeConsole&) = delete;

private:
    std::unique_ptr<Route> out_;
    std::unique_ptr<Route> err_;
};

}  // namespace calvoro_cli::windows
