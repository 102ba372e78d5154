// The report's tag block: which tags it shows, under which names and how they are laid out.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "FFOwners.h"
#include "ProbeReport.h"
#include "ProbeTestSupport.h"

namespace {

class MetadataLines : public TProbeLibraries {
 protected:
  TReportLines Lines(std::initializer_list<std::pair<const char*, const char*>> ATags,
                     const char* AIndent) {
    AVDictionary* tags = nullptr;
    for (const auto& [key, value] : ATags) FF.av_dict_set(&tags, key, value, 0);
    TDictionaryPtr owner(tags);
    TReportLines lines;
    AppendMetadataLines(lines, tags, AIndent);
    return lines;
  }
};

TEST_F(MetadataLines, NativeKeysShowTheirGenericNamesInDictionaryOrder) {
  EXPECT_EQ(Lines({{"WM/AlbumTitle", "Fixtures"}, {"title", "Tone"}, {"language", "eng"}}, "  "),
            (TReportLines{"  Metadata:", "    album           : Fixtures",
                          "    title           : Tone"}));
}

TEST_F(MetadataLines, NoBlockWithoutTagsOrWithALoneLanguageTag) {
  EXPECT_TRUE(Lines({}, "").empty());
  EXPECT_TRUE(Lines({{"language", "eng"}}, "").empty());
  EXPECT_TRUE(Lines({{"LANGUAGE", "eng"}}, "").empty());
}

TEST_F(MetadataLines, OnlyTheExactKeyLanguageIsLeftOut) {
  EXPECT_EQ(Lines({{"Language", "eng"}, {"comment", "x"}}, ""),
            (TReportLines{"Metadata:", "  Language        : eng", "  comment         : x"}));
}

TEST_F(MetadataLines, LongKeysAreNotCut) {
  EXPECT_EQ(Lines({{"a_key_longer_than_sixteen", "v"}}, ""),
            (TReportLines{"Metadata:", "  a_key_longer_than_sixteen: v"}));
}

}  // namespace
