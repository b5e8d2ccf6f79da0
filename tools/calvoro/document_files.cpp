#include "document_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "arguments.h"
#include "errors.h"

namespace calvoro_cli {

namespace fs = std::filesystem;

std::string ReadDocumentFile(const std::string& file) {
    const fs::path path = PathArgument(file);
    std::error_code error;
    if (fs::is_directory(path, error)) {
        throw UsageError(file + " is a folder, not a document");
    }
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (!in && !in.eof()) {
        throw UsageError("cannot read " + file + ": " + std::strerror(errno));
    }
    return text;
}

int WriteDocument(const std::string& document, const std::optional<std::string>& file,
                  const Output& output) {
    if (!file) {
        output.out << document;
        return 0;
    }
    if (output.stateFile) {
        std::error_code error;
        if (fs::equivalent(PathArgument(*file), *output.stateFile, error)) {
            throw UsageError("--output " + *file + " is the simulated machine's state file");
        }
    }
    std::ofstream out(PathArgument(*file), std::ios::binary | std::ios::trunc);
    out << document;
    out.close();
    if (!out) {
        output.err << "calvoro: cannot write " << *file << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    return 0;
}

}  // namespace calvoro_cli
