// Documents and files: reading an import document, and writing an export document to a
// file or to standard output.
#pragma once

#include <optional>
#include <string>

#include "commands.h"

namespace calvoro_cli {

/// The whole text of `file`. UsageError for a folder or a file that cannot be read.
std::string ReadDocumentFile(const std::string& file);

/// Writes `document` to `file`, or to `out` when there is none. UsageError when `file` is
/// the simulated machine's state file; 1, said on `err`, when it cannot be written.
int WriteDocument(const std::string& document, const std::optional<std::string>& file,
                  const Output& output);

}  // namespace calvoro_cli
