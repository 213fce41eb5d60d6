// What platform/files.h promises on every platform.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(FilesTest, PathsAndFolders) {
  const std::string separator(1, platform::kPathSeparator);
  EXPECT_EQ(platform::JoinPath("dir", "name"), "dir" + separator + "name");
  EXPECT_EQ(platform::JoinPath("dir" + separator, "name"), "dir" + separator + "name");
  EXPECT_FALSE(platform::CurrentDirectory().empty());
  const std::string program_directory = platform::ProgramDirectory();
  ASSERT_FALSE(program_directory.empty());
  EXPECT_EQ(program_directory.back(), platform::kPathSeparator);
  EXPECT_TRUE(platform::FileExists(testing_support::HelperPath()));
}

TEST(FilesTest, NamesIgnoreLetterCase) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("qs001F25.dat"), "12345"));
  const std::string other_case = dir.File("QS001F25.DAT");
  EXPECT_TRUE(platform::FileExists(other_case));
  EXPECT_EQ(ReadFile(platform::ResolveName(other_case)), "12345");
  std::uint64_t size = 0;
  EXPECT_TRUE(platform::ReadFileSize(other_case, &size));
  EXPECT_EQ(size, 5u);
  EXPECT_TRUE(platform::DeleteFile(other_case).ok());
  EXPECT_FALSE(platform::FileExists(dir.File("qs001F25.dat")));
  EXPECT_FALSE(platform::DeleteFile(other_case).ok());
  EXPECT_FALSE(platform::ReadFileSize(other_case, &size));
  EXPECT_FALSE(platform::FileExists(dir.path()));  // a folder is no file
}

TEST(FilesTest, CopyReplacesTheTarget) {
  TempDir dir;
  WriteFile(dir.File("source"), "new bytes");
  WriteFile(dir.File("target"), "old bytes, longer ones");
  EXPECT_TRUE(platform::CopyFile(dir.File("source"), dir.File("target")).ok());
  EXPECT_EQ(ReadFile(dir.File("target")), "new bytes");
  EXPECT_FALSE(platform::CopyFile(dir.File("missing"), dir.File("target")).ok());
}

TEST(FilesTest, IdentityChangesOnlyWithTheFile) {
  TempDir dir;
  const std::string path = dir.File("F24.DAT");
  EXPECT_FALSE(platform::IdentifyFile(path).exists);
  EXPECT_EQ(platform::IdentifyFile(path), platform::IdentifyFile(dir.File("other")));  // missing equals missing
  WriteFile(path, "first");
  platform::FileIdentity first = platform::IdentifyFile(path);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(platform::IdentifyFile(path), first);
  WriteFile(path, "second, longer");
  EXPECT_FALSE(platform::IdentifyFile(path) == first);
}

TEST(FilesTest, MappingShowsTheWholeFile) {
  TempDir dir;
  WriteFile(dir.File("full"), std::string("a\0b\r\n", 5));
  WriteFile(dir.File("empty"), "");
  platform::MappedFile file;
  ASSERT_TRUE(platform::MapFileReadOnly(dir.File("FULL"), &file).ok());
  EXPECT_EQ(std::string(file.data, file.size), std::string("a\0b\r\n", 5));
  platform::UnmapFile(&file);
  EXPECT_EQ(file.data, nullptr);
  ASSERT_TRUE(platform::MapFileReadOnly(dir.File("empty"), &file).ok());
  EXPECT_EQ(file.data, nullptr);
  EXPECT_EQ(file.size, 0u);
  platform::UnmapFile(&file);
  EXPECT_FALSE(platform::MapFileReadOnly(dir.File("missing"), &file).ok());
}

TEST(FilesTest, RenameReplacesTheTargetOfAnyLetterCase) {
  TempDir dir;
  WriteFile(dir.File("qs001F25.new"), "new");
  WriteFile(dir.File("QS001F25.DAT"), "old, longer");
  EXPECT_TRUE(platform::RenameFile(dir.File("qs001F25.new"), dir.File("qs001F25.dat")).ok());
  EXPECT_EQ(ReadFile(platform::ResolveName(dir.File("qs001F25.dat"))), "new");
  EXPECT_FALSE(platform::FileExists(dir.File("qs001F25.new")));
  auto entries = std::filesystem::directory_iterator(dir.path());
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
  auto missing = platform::RenameFile(dir.File("missing"), dir.File("qs001F25.dat"));
  EXPECT_FALSE(missing.ok());
  EXPECT_FALSE(missing.message().empty());
  EXPECT_EQ(ReadFile(platform::ResolveName(dir.File("qs001F25.dat"))), "new");
}

TEST(FilesTest, DirectoryPathIsMadeWholeOnce) {
  TempDir dir;
  const std::string deep = platform::JoinPath(platform::JoinPath(dir.File("reports"), "2024 05"), "scale 1");
  EXPECT_TRUE(platform::CreateDirectoryPath(deep).ok());
  EXPECT_TRUE(WriteFile(platform::JoinPath(deep, "F24.DAT"), "x"));
  EXPECT_TRUE(platform::CreateDirectoryPath(deep).ok());  // there already
  EXPECT_TRUE(platform::CreateDirectoryPath(deep + platform::kPathSeparator).ok());
  WriteFile(dir.File("file"), "");
  auto through_file = platform::CreateDirectoryPath(platform::JoinPath(dir.File("file"), "below"));
  EXPECT_FALSE(through_file.ok());
  EXPECT_FALSE(through_file.message().empty());
}

}  // namespace
