// The export and import document, for C: the library writes and reads it; what a document
// asks for stays in a handle that the caller applies change by change, and frees.
#include <calvoro/calvoro_c.h>
#include <calvoro/plan_document.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "translate.h"

using namespace Calvoro::c_api;

static_assert(CountUpTo({CALVORO_CHANGE_SETTING, CALVORO_CHANGE_NAME, CALVORO_CHANGE_SKIPPED,
                         CALVORO_CHANGE_CREATE},
                        Calvoro::DocumentChange::Kind::Create));

// The C handle holds the changes.
struct calvoro_document {
    std::vector<Calvoro::DocumentChange> changes;
};

namespace {

const Calvoro::DocumentChange& At(const calvoro_document* read, uint32_t position,
                                  const char* function) {
    if (position >= read->changes.size()) {
        throw ArgumentOutOfRange(std::string(function) + ": position is past the document's end");
    }
    return read->changes[position];
}

std::u16string TextOf(const Calvoro::DocumentChange& change, int32_t which, const char* function) {
    switch (which) {
    case CALVORO_CHANGE_TEXT_KEY:
        return std::u16string(change.key.begin(), change.key.end());  // ASCII
    case CALVORO_CHANGE_TEXT_LABEL:
        return change.label;
    case CALVORO_CHANGE_TEXT_FROM:
        return change.fromText;
    case CALVORO_CHANGE_TEXT_TO:
        return change.toText;
    case CALVORO_CHANGE_TEXT_PLAN_NAME:
        return change.planName.value_or(std::u16string());
    case CALVORO_CHANGE_TEXT_NAME:
        return change.name;
    case CALVORO_CHANGE_TEXT_DESCRIPTION:
        return change.description;
    default:
        throw ArgumentOutOfRange(std::string(function) + ": which is not a change's text");
    }
}

}  // namespace

extern "C" {

calvoro_status calvoro_ExportPlans(const calvoro_guid* plans, uint32_t count, char* document,
                                   uint32_t capacity, uint32_t* length) {
    const char* const function = __func__;
    return Call(function, {Input(plans, count), length}, [&] {
        std::vector<Calvoro::Guid> chosen;
        chosen.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            chosen.push_back(FromC(plans[i]));
        }
        const std::string text = Calvoro::ExportPlans(chosen);
        return CopyOut(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), true,
                       reinterpret_cast<std::uint8_t*>(document), capacity, length, function);
    });
}

calvoro_status calvoro_ReadDocument(const char* document, uint32_t length, int32_t options,
                                    calvoro_document** read) {
    return Call(__func__, {Input(document, length), read}, [&] {
        auto made = std::make_unique<calvoro_document>();
        made->changes = Calvoro::ReadDocument(
                            length == 0 ? std::string_view() : std::string_view(document, length),
                            (options & CALVORO_DOCUMENT_SKIP_UNKNOWN) != 0,
                            (options & CALVORO_DOCUMENT_CREATE) != 0)
                            .changes;
        *read = made.release();
    });
}

calvoro_status calvoro_FreeDocument(calvoro_document* read) {
    delete read;
    return CALVORO_OK;
}

calvoro_status calvoro_DocumentCount(const calvoro_document* read, uint32_t* count) {
    return Call(__func__, {read, count},
                [&] { *count = static_cast<uint32_t>(read->changes.size()); });
}

calvoro_status calvoro_DocumentChange(const calvoro_document* read, uint32_t position,
                                      calvoro_document_change* change) {
    const char* const function = __func__;
    return Call(function, {read, change}, [&] {
        const Calvoro::DocumentChange& one = At(read, position, function);
        *change = {static_cast<int32_t>(one.kind),
                   ToC(one.plan),
                   ToC(one.subgroup),
                   ToC(one.setting),
                   one.onAC ? 1 : 0,
                   one.value,
                   one.from,
                   one.to,
                   ToC(one.source)};
    });
}

calvoro_status calvoro_DocumentText(const calvoro_document* read, uint32_t position, int32_t which,
                                    uint16_t* text, uint32_t capacity, uint32_t* length) {
    const char* const function = __func__;
    return Call(function, {read, length}, [&] {
        return TextToC(TextOf(At(read, position, function), which, function), text, capacity,
                       length, function);
    });
}

calvoro_status calvoro_ApplyDocumentChange(const calvoro_document* read, uint32_t position,
                                           calvoro_setting_result* result) {
    const char* const function = __func__;
    return Call(function, {read, result}, [&] {
        *result = SettingResultToC(Calvoro::ApplyDocumentChange(At(read, position, function)));
    });
}

}  // extern "C"
