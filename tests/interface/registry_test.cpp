// The string helpers against the registry under test: the in-memory fake
// natively, the real registry under Wine. Everything lives below one test
// key of HKEY_CURRENT_USER; each test removes the values it wrote.
#include <chrono>
#include <vector>

#include "shared/registry_strings.h"
#include "tests/interface/fixture.h"

namespace vh::testing {
namespace {

class RegistryStringsTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& [path, name] : written_) {
            RegKey key = 0;
            if (registry.open_key(root, path, key) != reg_ok) continue;
            registry.delete_value(key, name);
            registry.close_key(key);
        }
    }

    // Stores raw bytes of any type, as another program might have.
    void put(const std::string& name, std::uint32_t type, const std::string& bytes) {
        RegKey key = 0;
        ASSERT_EQ(registry.create_key(root, base, key), reg_ok);
        EXPECT_EQ(registry.set_value(key, name, type, bytes.data(),
                                     static_cast<std::uint32_t>(bytes.size())),
                  reg_ok);
        registry.close_key(key);
        written_.push_back({base, name});
    }

    void save(const std::string& path, const std::string& name, const std::string& text) {
        written_.push_back({path, name});
        savestring(registry, root, path, name, text);
    }

    void written_text(const std::string& name) { written_.push_back({base, name}); }

    std::string get(const std::string& name) { return getstring(registry, root, base, name); }

    // The stored type and bytes, read without the helper.
    std::pair<std::uint32_t, std::string> raw(const std::string& path, const std::string& name) {
        RegKey key = 0;
        if (registry.open_key(root, path, key) != reg_ok) return {reg_none, "<no key>"};
        std::uint32_t type = reg_none, size = 0;
        registry.query_value(key, name, &type, nullptr, &size);
        std::string bytes(size, '\x7f');
        registry.query_value(key, name, &type, bytes.data(), &size);
        registry.close_key(key);
        return {type, bytes.substr(0, size)};
    }

    Registry& registry = registry_under_test();
    const RegKey root = hkey_current_user;
    const std::string base = "Software\\VarnholdeInterfaceTest";

private:
    std::vector<std::pair<std::string, std::string>> written_;
};

TEST_F(RegistryStringsTest, WrittenTextReadsBackExactly) {
    for (const std::string text : {"C:\\Tessarimondale\\Varnholde\\Varnholde.exe",
                                   "C:\\Документы\\Главное меню\\Программы", "a", " пробелы ",
                                   "C:\\文件\\Zoë"}) {
        save(base, "round_trip", text);
        EXPECT_EQ(get("round_trip"), text);
        EXPECT_EQ(raw(base, "round_trip"), std::make_pair(reg_sz, text + '\0'));
    }
}

// Text that is not UTF-8 is no text: the value is not written at all.
TEST_F(RegistryStringsTest, TextThatIsNotUtf8IsNotStored) {
    RegKey key = 0;
    ASSERT_EQ(registry.create_key(root, base, key), reg_ok);
    written_text("bad");
    EXPECT_EQ(registry.set_value(key, "bad", reg_sz, "\xE4\xEE\xEA\0", 4), reg_invalid_parameter);
    registry.close_key(key);
    EXPECT_EQ(raw(base, "bad").second, "");
    save(base, "имя значения", "значение");
    EXPECT_EQ(get("имя значения"), "значение");
}

TEST_F(RegistryStringsTest, TextEndsAtTheFirstZeroByte) {
    put("terminated", reg_sz, std::string("Programs\0", 9));
    put("embedded", reg_sz, std::string("first\0second\0", 13));
    EXPECT_EQ(get("terminated"), "Programs");
    EXPECT_EQ(get("embedded"), "first");
}

TEST_F(RegistryStringsTest, ValuesOfOtherTypesReadAsEmpty) {
    put("expand", reg_expand_sz, std::string("%SystemRoot%\\x\0", 15));
    put("dword", reg_dword, std::string("\x41\x42\x43\0", 4));
    put("binary", reg_binary, std::string("text\0", 5));
    for (const char* name : {"expand", "dword", "binary"}) EXPECT_EQ(get(name), "") << name;
}

TEST_F(RegistryStringsTest, MissingKeyValueAndEmptyValueReadAsEmpty) {
    put("empty", reg_sz, std::string("\0", 1));
    put("no_bytes", reg_sz, "");
    EXPECT_EQ(get("empty"), "");
    EXPECT_EQ(get("no_bytes"), "");
    EXPECT_EQ(get("never_written"), "");
    EXPECT_EQ(getstring(registry, root, base + "\\NoSuchKey", "value"), "");
}

TEST_F(RegistryStringsTest, EmptyTextIsStoredAsOneZeroByte) {
    save(base, "empty_write", "");
    EXPECT_EQ(raw(base, "empty_write"), std::make_pair(reg_sz, std::string("\0", 1)));
    EXPECT_EQ(get("empty_write"), "");
}

TEST_F(RegistryStringsTest, WritingBelowMissingKeysCreatesThem) {
    // A name of its own for each run, so that the levels cannot exist yet.
    const std::string fresh =
        base + "\\Created" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string deep = fresh + "\\Level2\\Level3";
    RegKey key = 0;
    ASSERT_NE(registry.open_key(root, fresh, key), reg_ok);
    save(deep, "value", "deep text");
    EXPECT_EQ(getstring(registry, root, deep, "value"), "deep text");
    ASSERT_EQ(registry.open_key(root, fresh + "\\Level2", key), reg_ok);
    registry.close_key(key);
}

TEST_F(RegistryStringsTest, SecondWriteReplacesTheFirst) {
    save(base, "replaced", "a much longer first text");
    save(base, "replaced", "short");
    EXPECT_EQ(get("replaced"), "short");
    EXPECT_EQ(raw(base, "replaced"), std::make_pair(reg_sz, std::string("short\0", 6)));
}

// The uninstaller tells a value it removed from one that was never there.
TEST_F(RegistryStringsTest, ADeletedValueIsGoneAndASecondDeleteFindsNothing) {
    save(base, "deleted", "C:\\Tessarimondale\\Varnholde\\Varnholde.exe");
    RegKey key = 0;
    ASSERT_EQ(registry.open_key(root, base, key), reg_ok);
    EXPECT_EQ(registry.delete_value(key, "deleted"), reg_ok);
    std::uint32_t type = reg_none, size = 0;
    EXPECT_EQ(registry.query_value(key, "deleted", &type, nullptr, &size), reg_file_not_found);
    EXPECT_EQ(registry.delete_value(key, "deleted"), reg_file_not_found);
    registry.close_key(key);
    EXPECT_EQ(get("deleted"), "");
}

// The uninstaller removes its Apps & features key: a key with only values
// goes whole, one holding a subkey is refused and stays, a missing one is
// told apart, and a handle still open to a deleted key no longer reads it.
TEST_F(RegistryStringsTest, AKeyIsDeletedWithItsValuesButNotOverItsSubkeys) {
    const std::string parent = base + "\\Deletion";
    const std::string leaf = parent + "\\Leaf";
    save(leaf, "DisplayName", "Varnholde");
    RegKey key = 0;
    ASSERT_EQ(registry.open_key(root, leaf, key), reg_ok);
    const std::string one{"\x01\0\0\0", 4};
    EXPECT_EQ(registry.set_value(key, "NoModify", reg_dword, one.data(), 4), reg_ok);
    EXPECT_EQ(raw(leaf, "NoModify"), std::make_pair(reg_dword, one));

    EXPECT_EQ(registry.delete_key(root, parent), reg_access_denied);
    EXPECT_EQ(getstring(registry, root, leaf, "DisplayName"), "Varnholde");

    EXPECT_EQ(registry.delete_key(root, leaf), reg_ok);
    std::uint32_t type = reg_none, size = 0;
    EXPECT_EQ(registry.query_value(key, "DisplayName", &type, nullptr, &size), reg_key_deleted);
    EXPECT_EQ(registry.close_key(key), reg_ok);
    EXPECT_NE(registry.open_key(root, leaf, key), reg_ok);
    EXPECT_EQ(registry.delete_key(root, leaf), reg_file_not_found);
    EXPECT_EQ(registry.delete_key(root, parent), reg_ok);
    EXPECT_EQ(registry.delete_key(root, parent + "\\Never\\There"), reg_file_not_found);
}

}  // namespace
}  // namespace vh::testing
