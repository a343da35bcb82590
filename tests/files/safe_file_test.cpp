#include "files/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "files/data_files.h"
#include "files/text_file.h"
#include "test_files_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kEmptyLog = "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n";

std::optional<std::string> saveEmptyLog(const std::string& file) {
    return writeFileReplacing(file, [](OutputBuffer& out) {
        out.append(kEmptyLog);
        return true;
    });
}

using SaveTarget = ScratchFolder;

TEST_F(SaveTarget, DeviceNodeIsRefusedAndLeftInPlace) {
    const std::string node = path("null-device.txt");
    if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "creating a device node needs root: " << std::strerror(errno);
    }
    LogTable table;
    table.append(makeRecord(1, "t", "DC", "1", "V", "pass"));
    const FileResult text = TableToTextFile(table, node);
    EXPECT_FALSE(text.ok);
    EXPECT_EQ(text.message, "Could not save table to specified file: " + node);
    EXPECT_NE(text.reason.find("Not a regular file"), std::string::npos) << text.reason;
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(node)));

    // Through a link (here one the XML save takes) the node is refused just the same.
    const std::string link = path("link.xml");
    fs::create_symlink("null-device.txt", link);
    const FileResult xml = saveTableFile(table, link);
    EXPECT_FALSE(xml.ok);
    EXPECT_EQ(xml.kind, FileMessageKind::GeneralError);
    EXPECT_NE(xml.message.find("Not a regular file"), std::string::npos) << xml.message;
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(node)));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(entries(), 2u);
}

TEST_F(SaveTarget, FifoIsRefusedWithoutBlockingAndLeftInPlace) {
    const std::string fifo = path("pipe.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0) << std::strerror(errno);
    // With a reader at the other end the old probe would open the pipe at once and the
    // rename would put a regular file in its place.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto withReader = saveEmptyLog(fifo);
    ASSERT_TRUE(withReader.has_value());
    EXPECT_NE(withReader->find("Not a regular file"), std::string::npos) << *withReader;
    EXPECT_TRUE(fs::is_fifo(fifo));
    close(reader);
    // Without a reader nothing may wait for one.
    EXPECT_TRUE(saveEmptyLog(fifo).has_value());
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(SaveTarget, DanglingLinkIsSavedThroughAndStaysALink) {
    fs::create_directory(path("data"));
    fs::create_symlink("data/new.txt", path("relative.txt"));
    fs::create_symlink(path("data/absolute.txt"), path("absolute.txt"));
    fs::create_symlink("relative.txt", path("chain.txt"));  // a link to the dangling link
    for (const char* name : {"relative.txt", "absolute.txt", "chain.txt"}) {
        const auto failure = saveEmptyLog(path(name));
        EXPECT_FALSE(failure.has_value()) << name << ": " << *failure;
        EXPECT_TRUE(fs::is_symlink(path(name))) << name;
    }
    EXPECT_EQ(readBytes(path("data/new.txt")), kEmptyLog);
    EXPECT_EQ(readBytes(path("data/absolute.txt")), kEmptyLog);
    EXPECT_EQ(entries(), 4u);
    EXPECT_EQ(static_cast<std::size_t>(
                  std::distance(fs::directory_iterator(path("data")), fs::directory_iterator())),
              2u);
}

TEST_F(SaveTarget, LinkToAFileWritesTheFileAndKeepsTheLink) {
    writeBytes(path("real.txt"), "earlier");
    fs::create_symlink("real.txt", path("link.txt"));
    EXPECT_FALSE(saveEmptyLog(path("link.txt")).has_value());
    EXPECT_TRUE(fs::is_symlink(path("link.txt")));
    EXPECT_EQ(readBytes(path("real.txt")), kEmptyLog);
    EXPECT_EQ(entries(), 2u);
}

TEST_F(SaveTarget, LinkLoopAndLinkIntoAMissingFolderFail) {
    fs::create_symlink("b.txt", path("a.txt"));
    fs::create_symlink("a.txt", path("b.txt"));
    EXPECT_TRUE(saveEmptyLog(path("a.txt")).has_value());
    fs::create_symlink("no/such/folder.txt", path("nowhere.txt"));
    EXPECT_TRUE(saveEmptyLog(path("nowhere.txt")).has_value());
    EXPECT_TRUE(fs::is_symlink(path("a.txt")));
    EXPECT_TRUE(fs::is_symlink(path("nowhere.txt")));
    EXPECT_EQ(entries(), 3u);
}

}  // namespace
