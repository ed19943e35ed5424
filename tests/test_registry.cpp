// The registry key wrapper and the sandbox every registry test relies on.
#include "registry/Registry.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

TEST(Registry, AccessMasksAddThe32BitViewOnlyIn64BitBuilds) {
#ifdef _WIN64
    EXPECT_EQ(CRegistryT<0>::kAccessMask, 0x2001Fu | KEY_WOW64_32KEY);
    EXPECT_EQ(CRegistryT<1>::kAccessMask, 0x20019u | KEY_WOW64_32KEY);
#else
    EXPECT_EQ(CRegistryT<0>::kAccessMask, 0x2001Fu);
    EXPECT_EQ(CRegistryT<1>::kAccessMask, 0x20019u);
#endif
}

TEST(Registry, MissingRootOrEmptyPathFailsWithoutARegistryCall) {
    RegistrySandbox sandbox;
    // Opening "" below a root would open the root itself, so a null handle proves no call.
    CRegistryT<1> readOnly(HKEY_LOCAL_MACHINE, "");
    EXPECT_EQ(readOnly.Open(), -1);
    EXPECT_EQ(readOnly.m_hKey, nullptr);
    CRegistryT<0> readWrite(HKEY_LOCAL_MACHINE, "");
    EXPECT_EQ(readWrite.Open(), -1);
    EXPECT_EQ(readWrite.m_hKey, nullptr);
    CRegistryT<0> noRoot(nullptr, "A");
    EXPECT_EQ(noRoot.Open(), -1);
    EXPECT_TRUE(sandbox.SubKeys("").empty());
}

TEST(Registry, ReadOnlyFormNeverCreatesAndCannotWrite) {
    RegistrySandbox sandbox;
    {
        CRegistryT<1> reg(HKEY_LOCAL_MACHINE, "A\\B");
        EXPECT_EQ(reg.Open(), 1013);
        EXPECT_EQ(reg.m_hKey, nullptr);
    }
    EXPECT_FALSE(sandbox.KeyExists("A"));

    sandbox.CreateKey("A\\B");
    CRegistryT<1> reg(HKEY_LOCAL_MACHINE, "a\\b");
    ASSERT_EQ(reg.Open(), 0);
    EXPECT_NE(reg.m_hKey, nullptr);
    EXPECT_EQ(RegSetValueExA(reg.m_hKey, "V", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_ACCESS_DENIED);
}

TEST(Registry, ReadWriteFormCreatesMissingParentsAndWrites) {
    RegistrySandbox sandbox;
    {
        CRegistryT<0> reg(HKEY_LOCAL_MACHINE, "A\\B\\C");
        ASSERT_EQ(reg.Open(), 0);
        EXPECT_EQ(RegSetValueExA(reg.m_hKey, "V", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
                  ERROR_SUCCESS);
    }
    std::string text;
    EXPECT_TRUE(sandbox.GetString("A\\B\\C", "V", &text));
    EXPECT_EQ(text, "x");
}

TEST(Registry, ReadWriteFormReturnsTheCreateFailureAndStaysClosed) {
    RegistrySandbox sandbox;
    sandbox.CreateVolatileKey("Vol");
    CRegistryT<0> reg(HKEY_LOCAL_MACHINE, "Vol\\Child");
    EXPECT_EQ(reg.Open(), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(reg.m_hKey, nullptr);
    EXPECT_FALSE(sandbox.KeyExists("Vol\\Child"));
}

TEST(RegistrySandbox, RedirectsTheMachineKeyAndCleansUp) {
    HKEY hReal = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &hReal), 0);
    RegCloseKey(hReal);

    std::string outerPath;
    {
        RegistrySandbox outer;
        outerPath = outer.ScratchPath();
        EXPECT_FALSE(outer.KeyExists("SOFTWARE"));
        outer.SetString("SOFTWARE\\Outer", "V", "outer");
        {
            RegistrySandbox inner;
            EXPECT_FALSE(inner.KeyExists("SOFTWARE\\Outer"));
            EXPECT_THROW(outer.KeyExists("SOFTWARE"), std::logic_error);
        }
        std::string text;
        EXPECT_TRUE(outer.GetString("SOFTWARE\\Outer", "V", &text));

        // Product and helpers agree on where a key lives: the 32-bit view flag that the product
        // uses in 64-bit builds leads to the very key named, directly below the scratch key.
        {
            CRegistryT<0> reg(HKEY_LOCAL_MACHINE, "SOFTWARE\\Product");
            ASSERT_EQ(reg.Open(), 0);
        }
        EXPECT_TRUE(outer.KeyExists("SOFTWARE\\Product"));
        EXPECT_EQ(outer.SubKeys("SOFTWARE"), (std::vector<std::string>{"Outer", "Product"}));
        HKEY hKey = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (outerPath + "\\SOFTWARE\\Product").c_str(), 0,
                                KEY_READ, &hKey),
                  0);
        RegCloseKey(hKey);
    }
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &hReal), 0);
    RegCloseKey(hReal);
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Outer", 0, KEY_READ, &hReal), 0);
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, outerPath.c_str(), 0, KEY_READ, &hReal), 0);
}
