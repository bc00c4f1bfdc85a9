#include "core/platform/stream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include "support/temp_dir.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tkz {
namespace {

using ::testing::HasSubstr;

using StreamFiles = testing_support::TempDirTest;

// Runs f, expecting EInOutError (or a class derived from it) with the given
// code and message.
template <typename E = EInOutError, typename F>
void ExpectFileError(F&& f, int code, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const E& e) {
    EXPECT_EQ(e.ErrorCode, code);
    EXPECT_EQ(std::string(e.what()), message);
  }
}

// ------------------------------------------------------------ file streams

TEST_F(StreamFiles, WritesReadsAndSeeksAFile) {
  const std::string name = Path("a.bin");
  {
    TFileStream fs(name, fmCreate);
    EXPECT_EQ(fs.GetFileName(), name);
    fs.WriteBuffer("hello world", 11);
    EXPECT_EQ(fs.GetPosition(), 11);
    EXPECT_EQ(fs.GetSize(), 11);
    EXPECT_EQ(fs.Seek(-5, soEnd), 6);
    char buf[16] = {};
    EXPECT_EQ(fs.Read(buf, 16), 5);  // fewer bytes at the end
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(fs.Read(buf, 16), 0);
    EXPECT_EQ(fs.Read(buf, -1), 0);
    fs.SetPosition(0);
    EXPECT_EQ(fs.Write("J", 1), 1);
  }
  EXPECT_EQ(Slurp(name), "Jello world");

  TFileStream rd(name, fmOpenRead);
  char buf[4];
  rd.SetPosition(9);
  ExpectFileError<EReadError>([&] { rd.ReadBuffer(buf, 4); }, 0, "Stream read error");
}

TEST_F(StreamFiles, ByteReadsThroughTheBufferKeepPositionsExact) {
  const std::string name = Path("buf.bin");
  std::string data;
  for (int i = 0; i < 200000; ++i) data.push_back(static_cast<char>(i * 7));
  {
    TFileStream fs(name, fmCreate);
    fs.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  }
  TFileStream fs(name, fmOpenReadWrite);
  std::string got;
  char c;
  for (int i = 0; i < 70000; ++i) {  // across a block boundary
    ASSERT_EQ(fs.Read(&c, 1), 1);
    got.push_back(c);
  }
  EXPECT_EQ(got, data.substr(0, 70000));
  EXPECT_EQ(fs.GetPosition(), 70000);
  fs.Seek(-3, soCurrent);  // back inside the block
  ASSERT_EQ(fs.Read(&c, 1), 1);
  EXPECT_EQ(c, data[69997]);
  fs.SetPosition(5);  // before the block
  ASSERT_EQ(fs.Read(&c, 1), 1);
  EXPECT_EQ(c, data[5]);
  fs.Write("XY", 2);  // writes land at the logical position
  EXPECT_EQ(fs.GetPosition(), 8);
  std::string big(100000, '\0');  // a large read after buffered ones
  EXPECT_EQ(fs.Read(big.data(), 100000), 100000);
  EXPECT_EQ(big, data.substr(8, 100000));
  fs.SetSize(10);
  EXPECT_EQ(fs.GetPosition(), 10);
  EXPECT_EQ(fs.Read(&c, 1), 0);
  fs.SetPosition(0);
  std::string all(10, '\0');
  EXPECT_EQ(fs.Read(all.data(), 10), 10);
  EXPECT_EQ(all, data.substr(0, 6) + "XY" + data.substr(8, 2));
}

TEST_F(StreamFiles, CreateTruncatesAndSeekBeyondTheEndLeavesZeros) {
  const std::string name = Path("b.bin");
  Put(name, "old content");
  {
    TFileStream fs(name, fmCreate);
    EXPECT_EQ(fs.GetSize(), 0);
    EXPECT_EQ(fs.Seek(4, soBeginning), 4);
    char none;
    EXPECT_EQ(fs.Read(&none, 1), 0);
    fs.WriteBuffer("x", 1);
  }
  EXPECT_EQ(Slurp(name), std::string("\0\0\0\0x", 5));
}

TEST_F(StreamFiles, SetSizeTruncatesAndExtendsAFile) {
  const std::string name = Path("c.bin");
  TFileStream fs(name, fmCreate);
  fs.WriteBuffer("abcdef", 6);
  fs.SetSize(3);
  EXPECT_EQ(fs.GetSize(), 3);
  EXPECT_EQ(fs.GetPosition(), 3);  // was beyond the new end
  fs.SetSize(5);
  EXPECT_EQ(fs.GetPosition(), 3);
  EXPECT_EQ(Slurp(name), std::string("abc\0\0", 5));
  ExpectFileError([&] { fs.SetSize(-1); }, EINVAL,
                  "Cannot resize file \"" + name + "\": Invalid argument");
}

TEST_F(StreamFiles, ReadAndWriteHonourTheAccessMode) {
  const std::string name = Path("d.bin");
  Put(name, "data");
  TFileStream rd(name, fmOpenRead);
  ExpectFileError<EWriteError>([&] { rd.WriteBuffer("x", 1); }, EBADF,
                               "Cannot write file \"" + name + "\": File not open for writing");
  TFileStream wr(name, fmOpenWrite);
  char c;
  ExpectFileError<EReadError>([&] { wr.Read(&c, 1); }, EBADF,
                              "Cannot read file \"" + name + "\": File not open for reading");
  TFileStream rw(name, fmOpenReadWrite);
  rw.Seek(0, soEnd);
  rw.WriteBuffer("!", 1);
  rw.SetPosition(0);
  EXPECT_EQ(rw.ReadValue<char>(), 'd');
  EXPECT_EQ(Slurp(name), "data!");
}

TEST_F(StreamFiles, FailuresNameTheFileAndTheReason) {
  const std::string missing = Path("no/such.txt");
  ExpectFileError([&] { TFileStream(missing, fmOpenRead); }, ENOENT,
                  "Cannot open file \"" + missing + "\": No such file or directory");
  ExpectFileError([&] { TFileStream(missing, fmCreate); }, ENOENT,
                  "Cannot create file \"" + missing + "\": No such file or directory");
  ExpectFileError([&] { TFileStream(dir_, fmOpenRead); }, EISDIR,
                  "Cannot open file \"" + dir_ + "\": Is a directory");
  ExpectFileError([&] { TFileStream(dir_, fmCreate); }, EISDIR,
                  "Cannot create file \"" + dir_ + "\": Is a directory");
  ExpectFileError([&] { TFileStream(Path("m"), 0x0005); }, EINVAL,
                  "Cannot open file \"" + Path("m") + "\": invalid file mode");

  TFileStream fs(Path("e.bin"), fmCreate);
  const int64_t before = fs.GetPosition();
  ExpectFileError([&] { fs.Seek(-1, soBeginning); }, EINVAL,
                  "Cannot seek file \"" + Path("e.bin") + "\": Invalid argument");
  EXPECT_EQ(fs.GetPosition(), before);
}

TEST_F(StreamFiles, ReadOnlyTargetIsRefused) {
  std::string target = Path("ro.txt");
  if (::geteuid() == 0) {
    // Permission bits do not bind root; a kernel file does.
    target = "/sys/kernel/notes";
    if (::access(target.c_str(), F_OK) != 0) GTEST_SKIP() << "no read-only file for root";
  } else {
    Put(target, "keep");
    ::chmod(target.c_str(), 0444);
  }
  ExpectFileError([&] { TFileStream(target, fmOpenWrite); }, EACCES,
                  "Cannot open file \"" + target + "\": Permission denied");
  TMemoryStream ms;
  ms.WriteBuffer("new", 3);
  try {
    ms.SaveToFile(target);
    ADD_FAILURE() << "saving over a read-only file succeeded";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, EACCES);
    EXPECT_THAT(e.what(), HasSubstr("\"" + target + "\": Permission denied"));
  }
  if (::geteuid() != 0) {
    EXPECT_EQ(Slurp(target), "keep");
  }
}

TEST_F(StreamFiles, ShareFlagsLockAgainstOtherStreams) {
  const std::string name = Path("shared.txt");
  Put(name, "content");
  {
    TFileStream exclusive(name, fmOpenReadWrite | fmShareExclusive);
    ExpectFileError([&] { TFileStream(name, fmOpenRead | fmShareExclusive); }, EWOULDBLOCK,
                    "Cannot lock file \"" + name + "\": Resource temporarily unavailable");
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyWrite), EInOutError);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyRead), EInOutError);
    // A refused create leaves the file untouched.
    EXPECT_THROW(TFileStream(name, fmCreate | fmShareExclusive), EInOutError);
    EXPECT_EQ(Slurp(name), "content");
    // Streams that take no lock are not stopped.
    TFileStream any(name, fmOpenRead | fmShareDenyNone);
    TFileStream compat(name, fmOpenRead);
  }
  {
    TFileStream deny_write(name, fmOpenRead | fmShareDenyWrite);
    TFileStream another(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareExclusive), EInOutError);
  }
  // Locks end with the streams.
  TFileStream again(name, fmOpenReadWrite | fmShareExclusive);
  EXPECT_EQ(again.GetSize(), 7);
}

// ---------------------------------------------------------- memory streams

TEST(MemoryStream, GrowsAndKeepsEveryByte) {
  TMemoryStream ms;
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = std::to_string(i) + ";";
    ms.WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
    expected += piece;
  }
  ASSERT_EQ(ms.GetSize(), static_cast<int64_t>(expected.size()));
  EXPECT_EQ(std::string(ms.Memory(), expected.size()), expected);
  ms.SetPosition(0);
  std::string back(expected.size(), '?');
  ms.ReadBuffer(back.data(), static_cast<int64_t>(back.size()));
  EXPECT_EQ(back, expected);
  char c;
  EXPECT_THROW(ms.ReadBuffer(&c, 1), EReadError);
  ms.Clear();
  EXPECT_EQ(ms.GetSize(), 0);
  EXPECT_EQ(ms.GetPosition(), 0);
}

TEST(MemoryStream, WritingBeyondTheEndZeroFillsTheGap) {
  TMemoryStream ms;
  ms.WriteBuffer("ab", 2);
  ms.SetSize(1);  // shrink, then write past the end: old bytes must not reappear
  EXPECT_EQ(ms.GetPosition(), 1);
  EXPECT_EQ(ms.Seek(3, soCurrent), 4);
  ms.WriteBuffer("z", 1);
  EXPECT_EQ(std::string(ms.Memory(), 5), std::string("a\0\0\0z", 5));
  ms.SetSize(7);
  EXPECT_EQ(std::string(ms.Memory(), 7), std::string("a\0\0\0z\0\0", 7));
}

TEST(MemoryStream, CopiesFromItsOwnBufferWhileGrowing) {
  TMemoryStream ms;
  ms.WriteBuffer("0123456789", 10);
  for (int i = 0; i < 6; ++i) ms.WriteBuffer(ms.Memory(), ms.GetSize());
  EXPECT_EQ(ms.GetSize(), 640);
  for (int64_t i = 0; i < 640; ++i) ASSERT_EQ(ms.Memory()[i], '0' + i % 10) << i;
}

TEST(MemoryStream, RefusesBadPositionsAndSizes) {
  TMemoryStream ms;
  ms.WriteBuffer("abc", 3);
  ExpectFileError([&] { ms.Seek(-4, soEnd); }, EINVAL,
                  "Stream seek error: invalid position (offset -4 from 3)");
  ExpectFileError([&] { ms.Seek(0, static_cast<TSeekOrigin>(7)); }, EINVAL,
                  "Stream seek error: invalid origin 7");
  EXPECT_EQ(ms.GetPosition(), 3);
  EXPECT_THROW(ms.Seek(INT64_MAX, soCurrent), EInOutError);  // overflows
  ExpectFileError([&] { ms.SetSize(-1); }, EINVAL, "Invalid stream size -1");
  EXPECT_EQ(ms.GetSize(), 3);

  ms.SetPosition(INT64_MAX);  // allowed; nothing can be written there
  EXPECT_EQ(ms.Write("x", 1), 0);
  EXPECT_THROW(ms.WriteBuffer("x", 1), EWriteError);
  EXPECT_EQ(ms.GetSize(), 3);
  char c;
  EXPECT_EQ(ms.Read(&c, 1), 0);
  EXPECT_THROW(ms.ReadBuffer(&c, -1), EReadError);
}

TEST(MemoryStream, CopyFromTakesTheWholeSourceOrAPart) {
  TStringStream src("0123456789");
  src.SetPosition(7);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 10);  // whole source, from its start
  EXPECT_EQ(std::string(dst.Memory(), 10), "0123456789");
  src.SetPosition(2);
  dst.Clear();
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(std::string(dst.Memory(), 3), "234");
  EXPECT_EQ(src.GetPosition(), 5);
  EXPECT_THROW(dst.CopyFrom(&src, 6), EReadError);  // 5 bytes left
  EXPECT_EQ(dst.CopyFrom(&src, -1), 0);
  EXPECT_THROW(dst.CopyFrom(&dst, 0), EInOutError);

  // Larger than one copy block.
  TMemoryStream big;
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  big.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(&big, 0), 200000);
  EXPECT_EQ(std::string(copy.Memory(), bytes.size()), bytes);
}

TEST(StringStream, ReadsAndWritesItsString) {
  TStringStream ss("hello world");
  EXPECT_EQ(ss.GetSize(), 11);
  EXPECT_EQ(ss.ReadString(5), "hello");
  EXPECT_EQ(ss.ReadString(100), " world");
  EXPECT_EQ(ss.ReadString(1), "");
  ss.SetPosition(6);
  ss.WriteString("W");
  ss.Seek(0, soEnd);
  ss.WriteString("!");
  EXPECT_EQ(ss.DataString(), "hello World!");
  ss.SetPosition(0);
  ss.WriteValue<int32_t>(-2);
  ss.SetPosition(0);
  EXPECT_EQ(ss.ReadValue<int32_t>(), -2);
}

TEST_F(StreamFiles, MemoryStreamSavesAndLoadsFiles) {
  const std::string name = Path("m.bin");
  const std::string bytes("\0\r\n\x1A\xFF tail", 10);
  TStringStream src(bytes);
  src.SaveToFile(name);
  EXPECT_EQ(Slurp(name), bytes);

  TMemoryStream ms;
  ms.WriteBuffer("previous", 8);
  ms.LoadFromFile(name);
  EXPECT_EQ(ms.GetPosition(), 0);
  EXPECT_EQ(std::string(ms.Memory(), static_cast<size_t>(ms.GetSize())), bytes);

  ExpectFileError([&] { ms.LoadFromFile(Path("none")); }, ENOENT,
                  "Cannot open file \"" + Path("none") + "\": No such file or directory");
  EXPECT_EQ(ms.GetSize(), 10);  // unchanged by the failed load

  TFileStream out(Path("n.bin"), fmCreate);
  out.WriteBuffer(">", 1);
  ms.SaveToStream(&out);
  EXPECT_EQ(Slurp(Path("n.bin")), ">" + bytes);
}

TEST_F(StreamFiles, SaveToFileReplacesTheFileWhole) {
  const std::string name = Path("s.txt");
  Put(name, "a much longer previous content");
  ::chmod(name.c_str(), 0640);
  ::symlink(name.c_str(), Path("link").c_str());
  TStringStream("new").SaveToFile(Path("link"));
  EXPECT_EQ(Slurp(name), "new");
  struct stat st {};
  ASSERT_EQ(::lstat(Path("link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));  // the link still points at the file
  ASSERT_EQ(::stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 2);

  const std::string bad = Path("none/x.txt");
  ExpectFileError([&] { TStringStream("x").SaveToFile(bad); }, ENOENT,
                  "Cannot create file \"" + bad + "\": No such file or directory");
  ExpectFileError([&] { TStringStream("x").SaveToFile(dir_); }, EISDIR,
                  "Cannot create file \"" + dir_ + "\": Is a directory");
}

TEST_F(StreamFiles, SaveToFileWritesInPlaceInAReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
  const std::string name = Path("sub/kept.txt");
  std::filesystem::create_directory(Path("sub"));
  Put(name, "old");
  ::chmod(Path("sub").c_str(), 0555);
  TStringStream("new").SaveToFile(name);
  EXPECT_EQ(Slurp(name), "new");
  ExpectFileError([&] { TStringStream("x").SaveToFile(Path("sub/new.txt")); }, EACCES,
                  "Cannot create file \"" + Path("sub/new.txt") + "\": Permission denied");
  ::chmod(Path("sub").c_str(), 0755);
}

TEST(FileWriteErrors, AFullDeviceRaisesWithTheReason) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  TFileStream fs("/dev/full", fmOpenWrite);
  ExpectFileError<EWriteError>([&] { fs.WriteBuffer("x", 1); }, ENOSPC,
                               "Cannot write file \"/dev/full\": No space left on device");
  ExpectFileError<EWriteError>([&] { TStringStream("x").SaveToFile("/dev/full"); }, ENOSPC,
                               "Cannot write file \"/dev/full\": No space left on device");
}

}  // namespace
}  // namespace tkz
