// The PC end on Windows: a name that is no comm device is refused as a port; a fetch never goes
// to a device and replaces a read-only file, which stays read-only.

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/link/phone_fixture.h"

namespace {

const wchar_t* wide(const str& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

TEST(PortName, NamesThatAreNoCommDeviceAreRefused) {
    phone_folder scratch{fs::path()};
    ASSERT_TRUE(scratch.ok());
    const fs::path plain = scratch.file("/plain.txt");
    write_bytes(plain, "contents");
    for (const str& name : {str(u"NUL"), str(u"\\\\.\\NUL"), pc_str(plain)}) {
        OrvelCom port;
        EXPECT_FALSE(port.openPort(name)) << name.to_utf8();
        EXPECT_EQ(port.lastFailure().error, link_error::not_a_port) << name.to_utf8();
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_EQ(read_bytes(plain), "contents");
}

} // namespace

TEST_F(PhoneTest, AFetchNeverGoesToADevice) {
    write_bytes(phone_root.file("/a.bin"), pattern(700));
    connectPhone();
    for (const char* name : {"NUL", "com1.txt", "CON"}) {
        EXPECT_FALSE(link.protocol().getFile(str(u"/a.bin"), pc_str(pc_root.file("/") / name)))
            << name;
        EXPECT_EQ(link.protocol().lastFailure().error, link_error::pc_file);
        EXPECT_NE(link.protocol().lastFailure().detail.to_utf8().find("device"), std::string::npos);
    }
    EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{});
}

TEST_F(PhoneTest, AReadOnlyTargetIsReplacedAndStaysReadOnly) {
    write_bytes(phone_root.file("/a.bin"), pattern(1500, 4));
    const fs::path target = pc_root.file("/kept.bin");
    write_bytes(target, "old");
    const str name = pc_str(target);
    ASSERT_TRUE(SetFileAttributesW(wide(name), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    connectPhone();
    EXPECT_TRUE(link.protocol().getFile(str(u"/a.bin"), name));
    EXPECT_EQ(read_bytes(target), pattern(1500, 4));
    const DWORD after = GetFileAttributesW(wide(name));
    EXPECT_NE(after & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(after & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{"kept.bin"});
    SetFileAttributesW(wide(name), FILE_ATTRIBUTE_NORMAL);
}
