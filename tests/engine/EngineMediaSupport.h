// Test support of engine tests on generated media: a job, a scratch folder and stream lookups.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "EngineTestSupport.h"
#include "FFmpegJob.h"
#include "FFmpegOutputStream.h"
#include "Fixtures.h"

class MediaTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    char pattern[] = "/tmp/vorandel-engine-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Folder = pattern;
  }
  void TearDown() override {
    Job.reset();
    std::filesystem::remove_all(Folder);
    LibraryTest::TearDown();
  }

  // A file name in the scratch folder.
  std::string Out(const std::string& AName) const { return Folder + "/" + AName; }

  // Adds the fixtures as inputs; fails the test when one is refused.
  void AddInputs(std::initializer_list<TFixture> AFixtures) {
    for (TFixture f : AFixtures)
      ASSERT_TRUE(Job->add_input_file(FixturePath(f))) << Job->LastErrMsg();
  }

  // The record of stream AIndex of output slot ASlot.
  TAVOutputStream& Stream(int ASlot, int AIndex) {
    return *Job->Foutput_streams_for_file[ASlot][AIndex];
  }
  int StreamCount(int ASlot) const {
    return ASlot < static_cast<int>(Job->Fnb_output_streams_for_file.size())
               ? Job->Fnb_output_streams_for_file[ASlot]
               : 0;
  }
  AVMediaType Kind(int ASlot, int AIndex) { return Stream(ASlot, AIndex).enc_ctx->codec_type; }

  std::unique_ptr<TCustomFFmpeg> Job;
  std::string Folder;
};
