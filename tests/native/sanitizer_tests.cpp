// What this build is for: a read one byte past a buffer, or an index past a
// string's size, ends the program with the sanitiser's report instead of
// passing unseen.
#include <gtest/gtest.h>
#include <memory>
#include <string>

static int ReadAt(const char* p, size_t i) { return *(volatile const char*)(p + i); }

TEST(SanitizerBuild, AReadPastTheBufferStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::unique_ptr<char[]> bytes(new char[16]());
    EXPECT_EQ(ReadAt(bytes.get(), 15), 0);
    EXPECT_DEATH(ReadAt(bytes.get(), 16), "heap-buffer-overflow");
    std::string s(40, 'x');
    s.reserve(100);
    EXPECT_DEATH((void)*(volatile char*)&s[41], "__pos <= size");  // within its capacity: only the check sees it
}
