// Loads copies of the plug-in module from folders of their own, as a host
// loads it, and attaches them: the attach fails when the module's resource
// file is missing or broken, and succeeds when it lies beside the module.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

using EntryFn = int (*)(int);
constexpr int kProcessDetach = 0;
constexpr int kProcessAttach = 1;

class ModuleLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Named after the test and the process, so that test runs of other
        // build folders at the same time use folders of their own.
        dir = fs::temp_directory_path() /
              ("kiln_module_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        module = dir / "libkiln_core.so";
        fs::copy_file(KILN_CORE_MODULE, module);
    }
    void TearDown() override {
        if (handle) dlclose(handle);
        fs::remove_all(dir);
    }
    // Loads the copy and returns its entry point.
    EntryFn Load() {
        handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        if (!handle) return nullptr;
        auto entry = reinterpret_cast<EntryFn>(dlsym(handle, "KilnModule_Entry"));
        EXPECT_NE(entry, nullptr) << "KilnModule_Entry is not exported";
        return entry;
    }
    void WriteResources(const std::string& text) {
        fs::create_directories(dir / "resources");
        std::ofstream(dir / "resources" / "kiln_core.rc", std::ios::binary) << text;
    }

    fs::path dir;
    fs::path module;
    void* handle = nullptr;
};

TEST_F(ModuleLoadTest, AttachFailsWithoutTheResourceFile) {
    EntryFn entry = Load();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(kProcessAttach), 0);
}

TEST_F(ModuleLoadTest, AttachFailsWithABrokenResourceFile) {
    WriteResources("2001 DIALOG 0, 0, 193, 66\nCAPTION \"设置厂家及产品类型\"\nBEGIN\n");
    EntryFn entry = Load();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(kProcessAttach), 0);
}

TEST_F(ModuleLoadTest, AttachSucceedsWithTheResourcesBesideTheModule) {
    fs::create_directories(dir / "resources");
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "resources" / "kiln_core.rc", dir / "resources" / "kiln_core.rc");
    EntryFn entry = Load();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(kProcessAttach), 1);
    EXPECT_EQ(entry(kProcessDetach), 1);
}

}  // namespace
