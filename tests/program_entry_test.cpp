// The entry without a process around it: an argument count the command line cannot give.
#include <gtest/gtest.h>

#include "basic_type/basic_type.h"
#include "test_support.h"
#include "write_brimel_label/write_brimel_label.h"

namespace {

TEST(ProgramEntry, ArgumentCountBelowOneIsAnError) {
    char program[] = "tool";
    char* argv[] = {program, nullptr};
    for (int argc : {0, -1}) {
        int status = -1;
        const captured_t got =
            capture_output([&] { status = write_brimel_label_main(argc, argv); });
        EXPECT_EQ(status, 1);
        EXPECT_EQ(got.m_out, "");
        EXPECT_EQ(got.m_err, "Unknow error\r\n\r\nFailed, exit now\r\n");
    }
}

TEST(ProgramEntry, OnlyTheProgramPrintsTheManual) {
    char program[] = "C:\\bin\\tool.exe";
    char* argv[] = {program, nullptr};
    int status = -1;
    const captured_t got = capture_output([&] { status = write_brimel_label_main(1, argv); });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(got.m_out, label_user_manual_text("C:\\bin\\tool.exe"));
    EXPECT_EQ(got.m_err, "");
}

}  // namespace
