// ZipReader: a good archive lands whole; hostile names, links, lying sizes and CRCs, and the caps fail the
// call and leave nothing behind, inside the folder or outside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/foundation/file_io.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/zip_reader.h"

namespace fnd {
namespace {

namespace fs = std::filesystem;

struct ZipEntry {
    std::string name;
    std::string data;
    unsigned unixMode = 0;  // S_IF* and permission bits in the external attributes, 0 for none
    long declaredSize = -1; // a stored entry claiming another size, -1 for the truth
    bool wrongCrc = false;  // a stored entry claiming another CRC
};

// Writes an archive with minizip's writer; stored entries with a declared size or CRC of our choosing.
void writeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
    zipFile zf = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zf, nullptr);
    for (const ZipEntry& e : entries) {
        zip_fileinfo info{};
        info.external_fa = static_cast<uLong>(e.unixMode) << 16;
        const bool raw = e.declaredSize >= 0 || e.wrongCrc;
        ASSERT_EQ(zipOpenNewFileInZip4_64(zf, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                          raw ? 0 : Z_DEFLATED, raw ? 0 : Z_DEFAULT_COMPRESSION, raw ? 1 : 0,
                                          -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                          3 << 8 /* made on Unix */, 0, 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zf, e.data.data(), static_cast<unsigned>(e.data.size())), ZIP_OK);
        if (raw) {
            uLong crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
            uLong size = e.declaredSize >= 0 ? static_cast<uLong>(e.declaredSize) : e.data.size();
            ASSERT_EQ(zipCloseFileInZipRaw64(zf, size, e.wrongCrc ? crc ^ 1 : crc), ZIP_OK);
        } else {
            ASSERT_EQ(zipCloseFileInZip(zf), ZIP_OK);
        }
    }
    ASSERT_EQ(zipClose(zf, nullptr), ZIP_OK);
}

// Every path under `dir`, relative, sorted.
std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator(); ++it) {
        out.push_back(fs::relative(it->path(), dir).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

class ZipReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::path(std::getenv("ZELVAN_HOME")) / (std::string("zip-") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "dest");
        zip_ = (root_ / "a.zip").string();
        dest_ = (root_ / "dest" / "out").string();
    }
    // Extracts an archive made of `entries`, and checks that nothing at all was left anywhere.
    void expectRefusedLeavingNothing(const std::vector<ZipEntry>& entries,
                                     ZipReader::Limits limits = ZipReader::Limits()) {
        writeZip(zip_, entries);
        EXPECT_FALSE(ZipReader::extractAll(zip_, dest_, Overwrite::Yes, limits));
        EXPECT_EQ(listing(root_), std::vector<std::string>({"a.zip", "dest"}));
    }

    fs::path root_;
    std::string zip_;
    std::string dest_;
};

TEST_F(ZipReaderTest, GoodArchiveExtractsAndOverwriteRules) {
    writeZip(zip_, {{"readme.txt", "hello"}, {"img/", ""}, {"img/a/b.bin", std::string(100000, 'x')}});
    ASSERT_TRUE(ZipReader::extractAll(zip_, dest_));
    EXPECT_EQ(listing(dest_), std::vector<std::string>({"img", "img/a", "img/a/b.bin", "readme.txt"}));
    EXPECT_EQ(readFile(dest_ + "/readme.txt"), Bytes({'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(fs::file_size(dest_ + "/img/a/b.bin"), 100000u);

    // Again over the same folder: Yes replaces, No refuses and keeps what was there.
    writeZip(zip_, {{"readme.txt", "bye"}});
    ASSERT_TRUE(ZipReader::extractAll(zip_, dest_, Overwrite::Yes));
    EXPECT_EQ(readFile(dest_ + "/readme.txt"), Bytes({'b', 'y', 'e'}));
    EXPECT_FALSE(ZipReader::extractAll(zip_, dest_, Overwrite::No));
    EXPECT_EQ(readFile(dest_ + "/readme.txt"), Bytes({'b', 'y', 'e'}));
}

TEST_F(ZipReaderTest, EscapingNamesAndLinksLeaveNothing) {
    // Each hostile entry comes after a harmless one, so a refusal must be decided before any write.
    for (const char* name :
         {"../evil.txt", "a/../../evil.txt", "/tmp/zelvan-evil.txt", "a\\..\\evil.txt", "..", "a/../.."}) {
        SCOPED_TRACE(name);
        expectRefusedLeavingNothing({{"ok.txt", "fine"}, {name, "evil"}});
    }
    EXPECT_FALSE(fs::exists("/tmp/zelvan-evil.txt"));

    // A NUL inside the stored name: write "okXevil" and patch the X to NUL in both headers.
    writeZip(zip_, {{"ok.txt", "fine"}, {"sub/okXevil", "evil"}});
    auto bytes = readFile(zip_);
    ASSERT_TRUE(bytes);
    for (size_t i = 0; i + 7 <= bytes->size(); ++i) {
        if (std::string(bytes->begin() + i, bytes->begin() + i + 7) == "okXevil") {
            (*bytes)[i + 2] = 0;
        }
    }
    ASSERT_TRUE(writeFile(zip_, *bytes));
    EXPECT_FALSE(ZipReader::extractAll(zip_, dest_));
    EXPECT_EQ(listing(root_), std::vector<std::string>({"a.zip", "dest"}));

    // A link to the outside followed by a file written through it; and a FIFO.
    expectRefusedLeavingNothing({{"ok.txt", "fine"}, {"up", "..", S_IFLNK | 0777}, {"up/evil.txt", "evil"}});
    expectRefusedLeavingNothing({{"ok.txt", "fine"}, {"pipe", "", S_IFIFO | 0600}});

    // A link already inside the folder is never followed.
    fs::create_directories(dest_);
    fs::create_symlink(root_ / "outside.txt", fs::path(dest_) / "ok.txt");
    writeZip(zip_, {{"ok.txt", "fine"}});
    EXPECT_FALSE(ZipReader::extractAll(zip_, dest_));
    EXPECT_FALSE(fs::exists(root_ / "outside.txt"));
}

TEST_F(ZipReaderTest, LyingSizesCrcsAndCapsFailWhole) {
    // Declared smaller or larger than the data, and a wrong CRC: refused after partial writes, rolled back.
    expectRefusedLeavingNothing({{"ok.txt", "fine"}, {"big.bin", std::string(5000, 'z'), 0, 10}});
    expectRefusedLeavingNothing({{"ok.txt", "fine"}, {"short.bin", "abc", 0, 100}});
    expectRefusedLeavingNothing({{"ok.txt", "fine"}, {"crc.bin", "abc", 0, -1, true}});

    ZipReader::Limits limits;
    limits.entries = 2;
    expectRefusedLeavingNothing({{"a", "1"}, {"b", "2"}, {"c", "3"}}, limits);
    limits = ZipReader::Limits();
    limits.entryBytes = 1000;
    expectRefusedLeavingNothing({{"a", "1"}, {"b", std::string(1001, 'b')}}, limits);
    limits = ZipReader::Limits();
    limits.totalBytes = 1500;
    expectRefusedLeavingNothing({{"a", std::string(1000, 'a')}, {"b", std::string(1000, 'b')}}, limits);
    // Exactly at the caps is fine.
    limits.entries = 2;
    limits.entryBytes = 1000;
    limits.totalBytes = 2000;
    writeZip(zip_, {{"a", std::string(1000, 'a')}, {"b", std::string(1000, 'b')}});
    EXPECT_TRUE(ZipReader::extractAll(zip_, dest_, Overwrite::Yes, limits));

    // Not an archive at all.
    ASSERT_TRUE(writeFile(zip_, Bytes(200, 0x50)));
    EXPECT_FALSE(ZipReader::extractAll(zip_, dest_));
}

} // namespace
} // namespace fnd
