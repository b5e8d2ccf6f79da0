// What ends a run of the program, by exit status.
#pragma once

#include <stdexcept>

namespace calvoro_cli {

/// The command line asks for something that cannot be done as asked (exit status 2).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The simulated machine's state file cannot be read or written (exit status 1).
struct StateFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace calvoro_cli
