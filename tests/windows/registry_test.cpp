// GetDefaultPlaneGUID against the real registry of the Windows build (under Wine here): the
// test writes the key itself under HKEY_CURRENT_USER and removes it afterwards.
#include <calvoro/power_class.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "known_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::NoPowerSchemeGuid;

const wchar_t kKey[] = L"Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE";

class WindowsRegistry : public testing::Test {
protected:
    void SetUp() override { RemoveKey(); }
    void TearDown() override { RemoveKey(); }

    // Removes the test's keys, first lifting any access refusal a test put on the key (its
    // owner may always change its DACL).
    static void RemoveKey() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            SECURITY_DESCRIPTOR open;
            ::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
            ::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);  // no DACL: all access
            ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open);
            ::RegCloseKey(key);
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quandrel");
    }

    // Writes one value with exactly these data bytes.
    static void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                    &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    static void SetText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ,
                        bool withNul = true) {
        const auto bytes = static_cast<DWORD>((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
        Set(name, type, text.c_str(), bytes);
    }

    const Calvoro::PowerClass power;
};

TEST_F(WindowsRegistry, NoKeyMeansNoDefault) {
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), NoPowerSchemeGuid);
    EXPECT_EQ(power.GetDefaultPlaneGUID(false), NoPowerSchemeGuid);
}

TEST_F(WindowsRegistry, StringValuesInAnyAcceptedForm) {
    SetText(L"AC", L"{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}");
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), kHighPerformance);
    EXPECT_EQ(power.GetDefaultPlaneGUID(false), NoPowerSchemeGuid);  // no "DC" value

    SetText(L"DC", L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C", REG_EXPAND_SZ);
    EXPECT_EQ(power.GetDefaultPlaneGUID(false), kHighPerformance);

    SetText(L"AC", L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C", REG_SZ, /*withNul=*/false);
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), kHighPerformance);

    // Several strings in one value: the text ends at the first NUL.
    const std::wstring twice = std::wstring(L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C") + L'\0' + L"junk";
    SetText(L"AC", twice);
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), kHighPerformance);
}

TEST_F(WindowsRegistry, ValuesThatAreNotGuidTextRaiseTheParseError) {
    const DWORD number = 1234;
    Set(L"AC", REG_DWORD, &number, sizeof number);
    try {
        power.GetDefaultPlaneGUID(true);
        FAIL() << "no error";
    } catch (const Calvoro::GuidParseError& error) {
        EXPECT_NE(std::string(error.what()).find("\"1234\""), std::string::npos) << error.what();
    }

    const auto image = kHighPerformance.Bytes();
    Set(L"DC", REG_BINARY, image.data(), static_cast<DWORD>(image.size()));
    EXPECT_THROW(power.GetDefaultPlaneGUID(false), Calvoro::GuidParseError);

    SetText(L"DC", L"High performance");
    EXPECT_THROW(power.GetDefaultPlaneGUID(false), Calvoro::GuidParseError);
}

TEST_F(WindowsRegistry, RefusedAccessRaisesTheAccessError) {
    SetText(L"AC", L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C");
    // A DACL that grants nothing refuses every access to the key.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key), ERROR_SUCCESS);
    SECURITY_DESCRIPTOR descriptor;
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL emptyAcl;
    ::InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyAcl, FALSE);
    const LONG secured = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    ::RegCloseKey(key);
    ASSERT_EQ(secured, ERROR_SUCCESS);

    HKEY probe = nullptr;
    const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &probe);
    if (opened == ERROR_SUCCESS) {
        ::RegCloseKey(probe);
        GTEST_SKIP() << "this platform does not enforce registry key security (Wine does not), "
                        "so refused access cannot be produced here";
    }
    try {
        power.GetDefaultPlaneGUID(true);
        FAIL() << "no error";
    } catch (const Calvoro::RegistryAccessError& error) {
        // With MinGW's static C++ runtime calvoro.dll has its own std::generic_category(), so
        // the code is compared by value and category name rather than by category object.
        EXPECT_EQ(error.code().value(), static_cast<int>(std::errc::permission_denied));
        EXPECT_STREQ(error.code().category().name(), "generic");
    }
}

TEST_F(WindowsRegistry, TheKeyIsLeftForOthersToUse) {
    // Every lookup closes the key again: deleting the key afterwards works even when its
    // values failed to parse.
    SetText(L"AC", L"not a guid");
    EXPECT_THROW(power.GetDefaultPlaneGUID(true), Calvoro::GuidParseError);
    EXPECT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quandrel"), ERROR_SUCCESS);
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), NoPowerSchemeGuid);
}

}  // namespace
