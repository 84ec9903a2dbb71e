// Path text helpers and the containment check that guards outside-chosen file names.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/paths.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

TEST(PathsTest, ComponentOperations) {
    const struct {
        std::string path, last, deleted, extension;
    } cases[] = {
        {"/tmp/scratch.tiff", "scratch.tiff", "/tmp", "tiff"},
        {"/tmp/lock/", "lock", "/tmp", ""},
        {"/tmp/", "tmp", "/", ""},
        {"/tmp", "tmp", "/", ""},
        {"/", "/", "/", ""},
        {"", "", "", ""},
        {"scratch.tar.gz", "scratch.tar.gz", "", "gz"},
        {"a//b///c.d//", "c.d", "a/b", "d"},
        {"/home/u/.profile", ".profile", "/home/u", ""},
        {"dir.v2/file", "file", "dir.v2", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(lastPathComponent(c.path), c.last);
        EXPECT_EQ(deletingLastPathComponent(c.path), c.deleted);
        EXPECT_EQ(pathExtension(c.path), c.extension);
    }

    EXPECT_EQ(appendingPathComponent("/tmp", "scratch.tiff"), "/tmp/scratch.tiff");
    EXPECT_EQ(appendingPathComponent("/tmp/", "scratch.tiff"), "/tmp/scratch.tiff");
    EXPECT_EQ(appendingPathComponent("/", "scratch.tiff"), "/scratch.tiff");
    EXPECT_EQ(appendingPathComponent("", "scratch.tiff"), "scratch.tiff");
    EXPECT_EQ(appendingPathComponent("a", "b/c/"), "a/b/c");
    EXPECT_EQ(appendingPathComponent("/a", ""), "/a");

    EXPECT_EQ(pathComponents("/tmp/scratch"), (std::vector<std::string>{"/", "tmp", "scratch"}));
    EXPECT_EQ(pathComponents("tmp/scratch"), (std::vector<std::string>{"tmp", "scratch"}));
    EXPECT_EQ(pathComponents("/tmp/"), (std::vector<std::string>{"/", "tmp", "/"}));
    EXPECT_EQ(pathComponents(""), std::vector<std::string>{});
}

TEST(PathsTest, Normalise) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b/../c", "/a/c"}, {"/a/./b//c/", "/a/b/c"},
        {"/../a", "/a"},       {"/..", "/"},
        {"a/../..", ".."},     {"../a/../b", "../b"},
        {"a/..", "."},         {"", ""},
        {"//", "/"},           {"./x", "x"},
        {"a/b/../../c", "c"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(normalise(in), out) << in;
    }
}

TEST(PathsTest, ContainedPathRefusesEscapes) {
    testing::LogCapture log;
    const struct {
        std::string relative;
        std::optional<std::string> result;
    } cases[] = {
        {"file.bin", "/root/cache/file.bin"},
        {"sub/dir/file.bin", "/root/cache/sub/dir/file.bin"},
        {"./sub//file.bin", "/root/cache/sub/file.bin"},
        {"sub/../file.bin", "/root/cache/file.bin"},
        {"..file", "/root/cache/..file"},
        {"dir/", "/root/cache/dir"},
        {"../file.bin", std::nullopt},
        {"..", std::nullopt},
        {"sub/../../file.bin", std::nullopt},
        {"sub/../../cache/file.bin", std::nullopt}, // lands back inside, but only by leaving first
        {"/etc/passwd", std::nullopt},
        {"//etc/passwd", std::nullopt},
        {"", std::nullopt},
        {".", std::nullopt},
        {"sub/..", std::nullopt},
        {std::string("ok.txt\0../../x", 14), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(containedPath("/root/cache/", c.relative), c.result) << c.relative;
    }
    // Each refusal names its reason.
    for (const auto& [relative, reason] : {std::pair<std::string, std::string>{"../file.bin", "escapes"},
                                           {"/etc/passwd", "absolute"},
                                           {std::string("ok.txt\0../../x", 14), "NUL"}}) {
        log.clear();
        EXPECT_EQ(containedPath("/root/cache/", relative), std::nullopt);
        EXPECT_TRUE(log.contains(reason)) << reason;
    }
    EXPECT_EQ(containedPath("rel/base", "a"), "rel/base/a");
}

} // namespace
} // namespace fnd
