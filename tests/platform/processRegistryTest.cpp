#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/registry.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

TEST(commandLine, joinedAsTheRuleSaysAndReadBackTheSame)
{
    const struct {
        std::vector<std::string> arguments;
        const char* line;
    } cases[] = {
        {{"C:\\Program Files\\Tracewise\\Tracewise.exe", "/filelist", "C:\\Temp\\list"},
         "\"C:\\Program Files\\Tracewise\\Tracewise.exe\" /filelist C:\\Temp\\list"},
        {{"a", "", "tab\there"}, "a \"\" \"tab\there\""},
        {{"say \"hi\"", "x\"y"}, "\"say \\\"hi\\\"\" x\\\"y"},
        {{"\"already quoted\""}, "\"already quoted\""},
        {{"C:\\dir with blank\\"}, "\"C:\\dir with blank\\\\\""},
        {{"no\\blank\\"}, "no\\blank\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.line, joinCommandLine(c.arguments));
        std::vector<std::string> back = splitCommandLine(c.line);
        if (c.arguments[0] == "\"already quoted\"")
            EXPECT_EQ(std::vector<std::string>{"already quoted"}, back);
        else
            EXPECT_EQ(c.arguments, back) << c.line;
    }
}

TEST(registryFile, readsRegeditExportsAsWindowsWould)
{
    if (runningOnWindows())
        GTEST_SKIP() << "Windows reads its own registry; the regedit export stands in for it elsewhere";
    scratchDir dir;
    scopedEnv file("ORVISTA_REGISTRY", wxString::FromUTF8(dir.at("registry.reg")));
    auto read = [](registryRoot root, const char* key, const char* name) {
        std::string value;
        return readRegistryString(root, key, name, value) ? value : std::string("<missing>");
    };
    EXPECT_EQ("<missing>", read(registryRoot::localMachine, "Software\\A", "X")) << "no file at all";

    dir.write("registry.reg",
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vellmark, Inc.\\Casebinder]\r\n"
              "\"InstallDir\"=\"C:\\\\Program Files\\\\Case \\\"binder\\\"\"\r\n"
              "\"Count\"=dword:00000001\r\n"
              "[HKEY_CURRENT_USER\\Software\\Vellmark, Inc.\\Tracewise]\r\n"
              "\"InstallPath\"=\"/opt/first\"\r\n"
              "\"InstallPath\"=\"/opt/Träce\"\r\n"
              "[HKLM\\Other]\n\"v\"=\"short form\"\n");
    const struct {
        registryRoot root;
        const char* key;
        const char* name;
        const char* value;
    } cases[] = {
        {registryRoot::localMachine, "Software\\Vellmark, Inc.\\Casebinder", "InstallDir",
         "C:\\Program Files\\Case \"binder\""},
        {registryRoot::localMachine, "SOFTWARE\\VELLMARK, INC.\\casebinder", "installdir",
         "C:\\Program Files\\Case \"binder\""},
        {registryRoot::currentUser, "Software\\Vellmark, Inc.\\Casebinder", "InstallDir", "<missing>"},
        {registryRoot::localMachine, "Software\\Vellmark, Inc.\\Casebinder", "Count", "<missing>"},
        {registryRoot::localMachine, "Software\\Vellmark, Inc.", "InstallDir", "<missing>"},
        {registryRoot::currentUser, "Software\\Vellmark, Inc.\\Tracewise", "InstallPath", "/opt/Träce"},
        {registryRoot::localMachine, "Other", "v", "short form"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, read(c.root, c.key, c.name)) << c.key << " " << c.name;

    // regedit's own files are UTF-16 with a byte-order mark.
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\K]\r\n\"N\"=\"Grüße\"\r\n";
    std::string bytes = "\xff\xfe";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>(c >> 8);
    }
    dir.write("registry.reg", bytes);
    EXPECT_EQ("Grüße", read(registryRoot::currentUser, "K", "N"));
}

// Every Windows names itself in the registry, as a string value, and keeps the
// day it was installed there as a number.
TEST(registryWindows, readsStringValuesOfTheSystemsRegistry)
{
    if (!runningOnWindows())
        GTEST_SKIP() << "only Windows has the registry itself";
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::string name, sameName, missing = "untouched";
    ASSERT_TRUE(readRegistryString(registryRoot::localMachine, key, "ProductName", name));
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find('\0'), std::string::npos);
    ASSERT_TRUE(readRegistryString(registryRoot::localMachine, "software\\microsoft\\windows nt\\currentversion",
                                   "productname", sameName));
    EXPECT_EQ(name, sameName);
    EXPECT_FALSE(readRegistryString(registryRoot::localMachine, key, "InstallDate", missing)) << "a number";
    EXPECT_FALSE(readRegistryString(registryRoot::localMachine, key, "orvista no such value", missing));
    EXPECT_FALSE(readRegistryString(registryRoot::currentUser, key + "\\orvista no such key", "ProductName", missing));
    EXPECT_EQ(missing, "untouched");
}

// Sibling programs built for 32 bits register under the registry's 32-bit
// view, which a 64-bit program sees only when it asks; installers also write
// folders as %ProgramFiles%\... in expandable strings.
TEST(registryWindows, findsKeysOfBothViewsAndExpandsVariables)
{
    const std::string key = "SOFTWARE\\Orvista tests\\Sibling";
    const std::string top = "SOFTWARE\\Orvista tests";
    if (!writeMachineRegistryValue(true, key, "OnlyThere", "C:\\Programs (x86)\\Livecue", false))
        GTEST_SKIP() << "only Windows has the registry itself";
    struct removal {
        std::string key;
        ~removal() { removeMachineRegistryKey(key); }
    } cleanUp{top};
    ASSERT_TRUE(writeMachineRegistryValue(true, key, "Both", "32-bit", false));
    ASSERT_TRUE(writeMachineRegistryValue(false, key, "Both", "64-bit", false));
    ASSERT_TRUE(writeMachineRegistryValue(false, key, "Expanded", "%SystemRoot%\\Livecue", true));

    const struct {
        const char* name;
        std::string expected;
    } cases[] = {
        {"OnlyThere", "C:\\Programs (x86)\\Livecue"},
        {"Both", "64-bit"},
    };
    for (const auto& c : cases) {
        std::string value;
        EXPECT_TRUE(readRegistryString(registryRoot::localMachine, key, c.name, value)) << c.name;
        EXPECT_EQ(c.expected, value) << c.name;
    }
    std::string expanded;
    ASSERT_TRUE(readRegistryString(registryRoot::localMachine, key, "Expanded", expanded));
    EXPECT_EQ(std::string::npos, expanded.find('%')) << expanded;
    EXPECT_EQ("\\Livecue", expanded.substr(expanded.size() - 8)) << expanded;
}
