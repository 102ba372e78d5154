// Tests of the error-text table and ffmpeg_error_text.
#include <gtest/gtest.h>

#include <set>

#include "FFUtils.h"

namespace {

struct TErrorCase {
  int Code;
  const char* Text;
};

// Rows from each source: FFmpeg tags, plain Linux numbers, the six widened Linux texts, Windows
// socket codes sharing a Linux row, and socket codes with their own names.
const TErrorCase ErrorCases[] = {
    {-1481985528, "Muxer not found"},
    {-1414092869, "Immediate exit requested"},
    {-1163346256, "Not yet implemented in FFmpeg, patches welcome"},
    {-1094995529, "Invalid data found when processing input"},
    {-541478725, "End of file"},
    {-1, "Operation not permitted"},
    {-2, "No such file or directory"},
    {-13, "Permission denied"},
    {-40, "Too many symbolic links encountered"},
    {-43, "Identifier removed"},
    {-117, "Structure needs cleaning"},
    {-125, "Operation Canceled"},
    {-131, "State not recoverable"},
    {-4, "Interrupted function call"},
    {-11, "Resource temporarily unavailable / Try again"},
    {-12, "Not enough space / Out of memory"},
    {-22, "Invalid argument / Invalid data found when processing input"},
    {-23, "Too many open files in system / File table overflow"},
    {-25, "Inappropriate I/O control operation / Not a typewriter"},
    {-10004, "Interrupted function call"},
    {-10022, "Invalid argument / Invalid data found when processing input"},
    {-10036, "Operation now in progress"},
    {-10038, "Socket operation on non-socket"},
    {-10054, "Connection reset by peer"},
    {-10061, "Connection refused"},
    {-10062, "Too many symbolic links encountered"},
    {-10071, "Object is remote"},
    {-10035, "WSAEWOULDBLOCK"},
    {-10067, "WSAEPROCLIM"},
    {-10112, "WSAEREFUSED"},
    {-11004, "WSANO_DATA"},
};

TEST(ErrorText, RowsFromEverySource) {
  for (const auto& c : ErrorCases) EXPECT_EQ(ErrorCodeText(c.Code), c.Text) << c.Code;
}

TEST(ErrorText, CodesOutsideTheTable) {
  for (int code : {-41, -42, -58, -132, 0, 5, -10000, -10072, -11005, -16976906})
    EXPECT_EQ(ErrorCodeText(code), "Error number " + std::to_string(code) + " occurred");
}

TEST(ErrorText, NamePrefix) {
  EXPECT_EQ(ffmpeg_error_text("in.avi", -2), "in.avi: No such file or directory");
  EXPECT_EQ(ffmpeg_error_text("", -99999), ": Error number -99999 occurred");
}

TEST(ErrorText, TableShape) {
  std::set<int> codes;
  for (const auto& row : ErrorTextTable()) EXPECT_TRUE(codes.insert(row.Code).second) << row.Code;
  EXPECT_EQ(codes.size(), 162u);
  for (const auto& alias : ErrorAliasTable()) {
    EXPECT_EQ(codes.count(alias.Code), 0u) << alias.Code;
    EXPECT_EQ(codes.count(alias.SharedCode), 1u) << alias.Code;
  }
  EXPECT_EQ(ErrorAliasTable().size(), 41u);
}

}  // namespace
