// Installed providers come from the registry that setup writes; opening one needs it to be
// installed with the type asked for and known to the emulation.
#include "signcore/crypto/csp/provider.h"

#include <gtest/gtest.h>

#include "platform/registry/reg_import.h"
#include "platform/registry/testing/temp_registry.h"

namespace vexamor::csp {
namespace {

const std::string kKey =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\";

class Providers : public ::testing::Test {
 protected:
  void SetUp() override { import(providerRegistrationText()); }

  static void import(const std::string& text) {
    const auto result = registry::importRegText("Windows Registry Editor Version 5.00\n\n" + text);
    ASSERT_EQ(result.error, 0);
    ASSERT_TRUE(result.problems.empty()) << result.problems.front();
  }

  registry::TempRegistry registry_;
};

TEST_F(Providers, SetupInstallsTheFourProvidersInRegistryOrder) {
  const auto installed = installedProviders();
  ASSERT_EQ(installed.size(), 4u);
  EXPECT_EQ(installed[0].name, MS_DEF_PROV);
  EXPECT_EQ(installed[1].name, MS_ENHANCED_PROV);
  EXPECT_EQ(installed[2].name, MS_ENH_RSA_AES_PROV);
  EXPECT_EQ(installed[3].name, MS_STRONG_PROV);
  EXPECT_EQ(installed[2].type, PROV_RSA_AES);
  for (const auto& provider : installed) {
    const ProviderInfo* opened = nullptr;
    EXPECT_EQ(openProvider(provider.name, provider.type, &opened), S_OK);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->name, provider.name);
  }
}

TEST_F(Providers, NamesCompareAsRegistryNamesDo) {
  const ProviderInfo* opened = nullptr;
  ASSERT_EQ(openProvider(u"MICROSOFT STRONG CRYPTOGRAPHIC PROVIDER", PROV_RSA_FULL, &opened), S_OK);
  EXPECT_EQ(opened->name, MS_STRONG_PROV);  // the provider's own spelling
}

TEST_F(Providers, OpeningFailsAsThePlatformFails) {
  const ProviderInfo* opened = reinterpret_cast<const ProviderInfo*>(1);
  EXPECT_EQ(openProvider(MS_DEF_PROV, 0, &opened), NTE_BAD_PROV_TYPE);
  EXPECT_EQ(opened, nullptr);
  EXPECT_EQ(openProvider(MS_ENH_RSA_AES_PROV, PROV_RSA_FULL, &opened), NTE_PROV_TYPE_NO_MATCH);
  EXPECT_EQ(openProvider(MS_DEF_PROV, PROV_RSA_AES, &opened), NTE_PROV_TYPE_NO_MATCH);
  EXPECT_EQ(openProvider(u"Microsoft Base Cryptographic Provider", 1, &opened), NTE_KEYSET_NOT_DEF);
  EXPECT_EQ(openProvider(u"", 1, &opened), NTE_KEYSET_NOT_DEF);
  // A name never reaches a key below the provider's own.
  import(kKey + "Microsoft Base Cryptographic Provider v1.0\\Sub]\n\"Type\"=dword:00000001\n");
  EXPECT_EQ(openProvider(u"Microsoft Base Cryptographic Provider v1.0\\Sub", 1, &opened),
            NTE_KEYSET_NOT_DEF);
  EXPECT_EQ(openProvider(std::u16string(MS_DEF_PROV) + u'\0' + u"x", 1, &opened),
            NTE_KEYSET_NOT_DEF);
  EXPECT_EQ(opened, nullptr);
}

TEST_F(Providers, AnInstalledProviderThatTheEmulationLacksIsSkipped) {
  import(kKey + "Acme Smart Card Provider]\n\"Type\"=dword:00000001\n\n" + kKey +
         "Broken Provider]\n\"Type\"=\"1\"\n\n" + kKey + "Untyped Provider]\n");
  const ProviderInfo* opened = nullptr;
  EXPECT_EQ(openProvider(u"Acme Smart Card Provider", 1, &opened), NTE_PROV_DLL_NOT_FOUND);
  EXPECT_EQ(openProvider(u"Broken Provider", 1, &opened), NTE_PROV_TYPE_ENTRY_BAD);
  EXPECT_EQ(openProvider(u"Untyped Provider", 1, &opened), NTE_PROV_TYPE_ENTRY_BAD);
  const auto installed = installedProviders();
  ASSERT_EQ(installed.size(), 5u);  // listed with its type, failing only when opened
  EXPECT_EQ(installed[0].name, u"Acme Smart Card Provider");
}

TEST(ProvidersWithoutSetup, NoneIsInstalled) {
  registry::TempRegistry empty;
  EXPECT_TRUE(installedProviders().empty());
  const ProviderInfo* opened = nullptr;
  EXPECT_EQ(openProvider(MS_DEF_PROV, PROV_RSA_FULL, &opened), NTE_KEYSET_NOT_DEF);
}

TEST(Random, DrawsFreshBytes) {
  std::array<uint8_t, 16> a{}, b{};
  ASSERT_EQ(randomBytes(a), S_OK);
  ASSERT_EQ(randomBytes(b), S_OK);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace vexamor::csp
