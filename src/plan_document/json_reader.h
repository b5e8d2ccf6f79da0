// Reading a JSON document part by part, naming the path to each part in errors
// ("state.plans[1].seconds.sleep.ac"). The plan document (here) and the program's state file
// use it; it needs nlohmann-json and utfcpp, both header only, and nothing of the library but
// its identifiers.
#pragma once

#include <calvoro/guid.h>

#include <nlohmann/json.hpp>
#include <utf8.h>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace Calvoro::json_reading {

/// One part of a document and where it sits in it.
class Reader {
public:
    /// How a problem is reported: throws the caller's error type with the message.
    using Thrower = void (*)(const std::string& message);

    Reader(const nlohmann::json& value, std::string where, Thrower thrower)
        : value_(value), where_(std::move(where)), thrower_(thrower) {}

    /// Where the part sits: "document.plans[1].settings[4]".
    const std::string& Where() const { return where_; }

    [[noreturn]] void Fail(const std::string& problem) const {
        thrower_(where_ + ": " + problem);
        throw std::logic_error("a Reader's thrower returned");  // never reached
    }

    Reader Field(const char* name) const {
        if (auto found = OptionalField(name)) {
            return *found;
        }
        Fail(std::string("missing \"") + name + "\"");
    }

    std::optional<Reader> OptionalField(const char* name) const {
        ExpectObject();
        const auto found = value_.find(name);
        if (found == value_.end()) {
            return std::nullopt;
        }
        return Reader(*found, where_ + "." + name, thrower_);
    }

    /// Fails on the first member whose name is not among `known`.
    void OnlyFields(std::initializer_list<const char*> known) const {
        ExpectObject();
        for (const auto& member : value_.items()) {
            bool listed = false;
            for (const char* name : known) {
                listed = listed || member.key() == name;
            }
            if (!listed) {
                Fail("unknown field \"" + member.key() + "\"");
            }
        }
    }

    const nlohmann::json& Array() const {
        if (!value_.is_array()) {
            Fail("expected an array");
        }
        return value_;
    }

    Reader Element(std::size_t index) const {
        return Reader(value_.at(index), where_ + "[" + std::to_string(index) + "]", thrower_);
    }

    std::string Text() const {
        if (!value_.is_string()) {
            Fail("expected a string");
        }
        return value_.get<std::string>();
    }

    std::u16string Utf16() const {
        const std::string utf8 = Text();
        if (!utf8::is_valid(utf8.begin(), utf8.end())) {
            Fail("not valid UTF-8");
        }
        std::u16string utf16;
        utf8::utf8to16(utf8.begin(), utf8.end(), std::back_inserter(utf16));
        return utf16;
    }

    std::uint32_t Uint32() const {
        // A whole number, whether JSON's reader took it as signed or unsigned.
        const bool inRange =
            value_.is_number_unsigned()
                ? value_.get<std::uint64_t>() <= UINT32_MAX
                : value_.is_number_integer() && value_.get<std::int64_t>() >= 0 &&
                      value_.get<std::int64_t>() <= std::int64_t{UINT32_MAX};
        if (!inRange) {
            Fail("expected a whole number from 0 to 4294967295, not " + value_.dump());
        }
        return static_cast<std::uint32_t>(value_.get<std::uint64_t>());
    }

    Calvoro::Guid Id() const {
        try {
            return Calvoro::Guid::Parse(Text());
        } catch (const Calvoro::GuidParseError& error) {
            Fail(error.what());
        }
    }

    bool Bool() const {
        if (!value_.is_boolean()) {
            Fail("expected true or false");
        }
        return value_.get<bool>();
    }

    bool IsNull() const { return value_.is_null(); }

    void ExpectObject() const {
        if (!value_.is_object()) {
            Fail("expected an object");
        }
    }

private:
    const nlohmann::json& value_;
    std::string where_;
    Thrower thrower_;
};

}  // namespace Calvoro::json_reading
