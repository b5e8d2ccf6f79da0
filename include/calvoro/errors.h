// The exceptions that Calvoro itself raises: two from reading the default plan, and one from
// reading an import document.
#pragma once

#include <calvoro/export.h>

#include <stdexcept>
#include <string>
#include <system_error>

// The bases are standard-library classes, the same in every module; MSVC's warning about
// exporting a class derived from a class without a DLL interface does not apply.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4275)
#endif

namespace Calvoro {

/// Text that should hold a GUID does not. The message quotes the text (at most 64
/// characters of it) and, when the text came from the registry, names the value.
class CALVORO_API GuidParseError : public std::invalid_argument {
public:
    explicit GuidParseError(const std::string& message);
    GuidParseError(const GuidParseError&) = default;
    GuidParseError& operator=(const GuidParseError&) = default;
    ~GuidParseError() override;
};

/// The registry refused to let the current user open the default-plan key or read one of
/// its values. code() is std::errc::permission_denied; the message names the key and value.
class CALVORO_API RegistryAccessError : public std::system_error {
public:
    explicit RegistryAccessError(const std::string& message);
    RegistryAccessError(const RegistryAccessError&) = default;
    RegistryAccessError& operator=(const RegistryAccessError&) = default;
    ~RegistryAccessError() override;
};

/// An import document that cannot be imported: what is wrong and where, as
/// "document.plans[1].settings[4].dc: Maximum processor state (PROCTHROTTLEMAX) takes 0 to
/// 100 %, not 101" (<calvoro/plan_document.h>). Nothing was changed.
class CALVORO_API DocumentError : public std::invalid_argument {
public:
    explicit DocumentError(const std::string& message);
    DocumentError(const DocumentError&) = default;
    DocumentError& operator=(const DocumentError&) = default;
    ~DocumentError() override;
};

}  // namespace Calvoro

#if defined(_MSC_VER)
#pragma warning(pop)
#endif
