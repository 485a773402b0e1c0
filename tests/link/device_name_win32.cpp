// Phone entry names that Windows takes for devices are no PC file names: a tree copy must not
// write a phone file into CON, NUL, a COM or a printer port.

#include <gtest/gtest.h>

#include "link/jobs.h"

namespace {

TEST(ReadDirCommand, WindowsDeviceNamesAreSkipped) {
    for (const char16_t* device :
         {u"CON", u"con", u"Prn", u"AUX", u"nul", u"COM1", u"com9", u"LPT1", u"lpt9", u"COM\u00b9",
          u"LPT\u00b3", u"nul.txt", u"COM1.jpg", u"con .txt", u"aux.tar.gz", u"CONIN$", u"CONOUT$"})
        EXPECT_FALSE(ReadDirCommand::safeName(str(device))) << str(device).to_utf8();
    for (const char16_t* plain : {u"console", u"com10", u"COM", u"lpt", u"nullify.txt", u"x.con",
                                  u"con_x", u"a.nul", u"COMA"})
        EXPECT_TRUE(ReadDirCommand::safeName(str(plain))) << str(plain).to_utf8();
}

// Windows stores "a." and "a " as "a": such an entry would replace its neighbour's file.
TEST(ReadDirCommand, NamesWindowsWouldStoreDifferentlyAreSkipped) {
    for (const char16_t* altered : {u"a.", u"a ", u"notes.txt.", u"x. ", u"..."})
        EXPECT_FALSE(ReadDirCommand::safeName(str(altered))) << str(altered).to_utf8();
    for (const char16_t* plain : {u"a", u".profile", u"a.b", u" a"})
        EXPECT_TRUE(ReadDirCommand::safeName(str(plain))) << str(plain).to_utf8();
}

} // namespace
