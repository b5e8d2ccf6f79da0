#include <calvoro/errors.h>

namespace Calvoro {

GuidParseError::GuidParseError(const std::string& message) : std::invalid_argument(message) {}
GuidParseError::~GuidParseError() = default;

RegistryAccessError::RegistryAccessError(const std::string& message)
    : std::system_error(std::make_error_code(std::errc::permission_denied), message) {}
RegistryAccessError::~RegistryAccessError() = default;

DocumentError::DocumentError(const std::string& message) : std::invalid_argument(message) {}
DocumentError::~DocumentError() = default;

}  // namespace Calvoro
