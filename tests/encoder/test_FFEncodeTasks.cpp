// The component building tasks: input and output records and option text reaching the job, the
// stored records, the probes, and the failures reported in LastErrMsg.
#include <gtest/gtest.h>

#include "EncoderTestSupport.h"
#include "FFEncodeText.h"
#include "FFmpegOutputStream.h"

namespace {

using Tasks = EncoderTest;

// The encoder context of the first output stream of a kind in slot 0.
AVCodecContext* FirstStream(TFFmpeg& ATask, AVMediaType AKind) {
  for (int i = 0; i < ATask.Fnb_output_streams_for_file[0]; ++i) {
    AVCodecContext* context = ATask.Foutput_streams_for_file[0][i]->enc_ctx.get();
    if (context->codec_type == AKind) return context;
  }
  return nullptr;
}

TEST_F(Tasks, TheInputRecordAndItsTextReachTheJob) {
  TInputOptions record;
  record.TimeStart = 1000000;
  record.ExtOptions = "itsoffset=2";
  const struct {
    const char* Name;
    std::function<int()> Add;
  } forms[] = {
      {"record", [&] { return Encoder->AddTask(FixturePath(fxAviMpeg4Mp3), &record); }},
      {"text",
       [&] {
         return Encoder->AddTask(FixturePath(fxAviMpeg4Mp3), "timestart=1000000<CRLF>itsoffset=2");
       }},
  };
  for (const auto& form : forms) {
    const int index = form.Add();
    ASSERT_GE(index, 0) << form.Name << ": " << Encoder->LastErrMsg();
    TFFmpeg& task = Encoder->Task(index);
    // The input offset is the text's 2 s less the record's start of 1 s.
    EXPECT_EQ(task.Finput_files_ts_offset[0], 1000000) << form.Name;
    ASSERT_TRUE(task.InputOptions(0).has_value());
    EXPECT_EQ(task.InputOptions(0)->FileName, FixturePath(fxAviMpeg4Mp3)) << form.Name;
    EXPECT_EQ(task.InputOptions(0)->TimeStart, 1000000);
  }
  // The empty file name of the caller's record is filled in.
  EXPECT_EQ(record.FileName, FixturePath(fxAviMpeg4Mp3));
}

TEST_F(Tasks, ATaskWithoutOptionsHasItsProbeAttached) {
  std::vector<std::pair<TObject*, TThreadID>> probes;
  Encoder->SetOnBeforeFindStreamInfo([&](TObject* ASender, AVFormatContext* AContext) {
    EXPECT_NE(AContext, nullptr);
    probes.push_back({ASender, GetCurrentThreadID()});
  });
  const int index = Encoder->AddTask(FixturePath(fxAviMpeg4Mp3));
  ASSERT_EQ(index, 0) << Encoder->LastErrMsg();
  TFFmpeg& task = Encoder->Task(0);
  EXPECT_FALSE(task.InputOptions(0).has_value());
  EXPECT_EQ(task.Decoder(0).FileHandle(), task.Finput_files[0].ctx.get());
  EXPECT_EQ(task.Decoder(0).VideoStreamCount(), 1);
  EXPECT_EQ(task.Decoder(0).AudioStreamCount(), 1);
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].first, &task);  // the sender is the task's job
  EXPECT_EQ(probes[0].second, GetCurrentThreadID());
  EXPECT_EQ(Encoder->GetTaskIndex(&task), 0);
}

TEST_F(Tasks, AddTaskFailuresFreeTheTask) {
  const std::string missing = Out("missing.avi");
  TInputOptions badFormat;
  badFormat.ForceFormat = "nonsense";
  TInputOptions badOption;
  badOption.ExtOptions = "qscale=0";
  const struct {
    std::string File;
    PInputOptions Options;
    std::string Message;  // contained in LastErrMsg
  } cases[] = {
      {missing, nullptr, missing},
      {FixturePath(fxAviMpeg4Mp3), &badFormat, "Unknown input format: \"nonsense\""},
      {FixturePath(fxAviMpeg4Mp3), &badOption, "qscale must be > 0.0 and <= 255"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encoder->AddTask(c.File, c.Options), -1) << c.Message;
    EXPECT_NE(Encoder->LastErrMsg().find(c.Message), std::string::npos) << Encoder->LastErrMsg();
    EXPECT_EQ(Encoder->TasksCount(), 0);
  }
}

TEST_F(Tasks, AddInputFileUpToTheCapacity) {
  Encoder->SetCustomMaxFiles(2);
  ASSERT_EQ(Encoder->AddTask(FixturePath(fxAviMpeg4Mp3)), 0);
  TFFmpeg& task = Encoder->Task(0);
  EXPECT_FALSE(Encoder->AddInputFile(0, Out("missing.wav")));
  EXPECT_EQ(task.InputOptions(1), TInputOptions{});  // reset after the failure
  ASSERT_TRUE(Encoder->AddInputFile(0, FixturePath(fxWav), "f=wav")) << Encoder->LastErrMsg();
  EXPECT_EQ(task.nb_input_files(), 2);
  EXPECT_EQ(task.InputOptions(1)->ExtOptions, "f=wav\n");
  EXPECT_EQ(task.Decoder(1).FileHandle(), task.Finput_files[1].ctx.get());
  EXPECT_FALSE(Encoder->AddInputFile(0, FixturePath(fxWav)));
  EXPECT_EQ(Encoder->LastErrMsg(), "max input files 2 reached");
  EXPECT_THROW(Encoder->AddInputFile(1, FixturePath(fxWav)), EListError);
  Encoder->SetCustomMaxFiles(0);
  EXPECT_THROW(Encoder->AddTask(FixturePath(fxWav)), EAssertionFailed);
}

// A target preset sets its own bit rates and its norm's frame size; without one the record's
// bit rates apply and the size is left to the set-up (0 until then).
TEST_F(Tasks, TheTargetIgnoresTheRecordsBitRates) {
  const struct {
    TOptionTargetType Target;
    TOptionNormType Norm;
    const char* File;
    std::int64_t VideoRate;
    std::int64_t AudioRate;
    int Height;
  } cases[] = {{ttIgnore, ntAuto, "plain.avi", 1000000, 64000, 0},
               {ttDVD, ntPAL, "pal.mpg", 6000000, 448000, 576},
               {ttDVD, ntNTSC, "ntsc.mpg", 6000000, 448000, 480}};
  for (const auto& c : cases) {
    const int index = Encoder->AddTask(FixturePath(fxAviMpeg4Mp3));
    ASSERT_GE(index, 0) << Encoder->LastErrMsg();
    TOutputOptions options;
    options.TargetType = c.Target;
    options.NormType = c.Norm;
    options.VideoBitrate = 1000000;
    options.AudioBitrate = 64000;
    ASSERT_TRUE(Encoder->SetOutputFile(index, Out(c.File), &options)) << Encoder->LastErrMsg();
    TFFmpeg& task = Encoder->Task(index);
    AVCodecContext* video = FirstStream(task, AVMEDIA_TYPE_VIDEO);
    AVCodecContext* audio = FirstStream(task, AVMEDIA_TYPE_AUDIO);
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(video->bit_rate, c.VideoRate) << c.File;
    EXPECT_EQ(audio->bit_rate, c.AudioRate) << c.File;
    EXPECT_EQ(video->height, c.Height) << c.File;
    EXPECT_EQ(options.FileName, Out(c.File));
    EXPECT_EQ(task.OutputOptions(0)->TargetType, c.Target);
  }
}

TEST_F(Tasks, TheRecordsMetadataReachesTheOutput) {
  ASSERT_EQ(Encoder->AddTask(FixturePath(fxAviMpeg4Mp3)), 0);
  TOutputOptions options;
  options.Info.Title = "Evening";
  options.Info.Year = 2024;
  options.VideoCodec = "mpeg4";
  ASSERT_TRUE(Encoder->SetOutputFile(0, Out("tagged.mkv"), &options)) << Encoder->LastErrMsg();
  AVFormatContext* output = Encoder->Task(0).OutputContext(0);
  const AVDictionaryEntry* title = FF.av_dict_get(output->metadata, "title", nullptr, 0);
  const AVDictionaryEntry* year = FF.av_dict_get(output->metadata, "year", nullptr, 0);
  ASSERT_NE(title, nullptr);
  ASSERT_NE(year, nullptr);
  EXPECT_STREQ(title->value, "Evening");
  EXPECT_STREQ(year->value, "2024");
  EXPECT_EQ(FirstStream(Encoder->Task(0), AVMEDIA_TYPE_VIDEO)->codec_id, AV_CODEC_ID_MPEG4);
}

TEST_F(Tasks, TheTextFormSetsTheRecordFieldsAndPassesTheRestOn) {
  ASSERT_EQ(Encoder->AddTask(FixturePath(fxAviMpeg4Mp3)), 0);
  ASSERT_TRUE(Encoder->AddInputFile(0, FixturePath(fxAviMpeg4Mp3))) << Encoder->LastErrMsg();
  ASSERT_TRUE(Encoder->SetOutputFile(0, Out("joined.avi"), "join=1<CRLF>vcodec=mpeg4"))
      << Encoder->LastErrMsg();
  TFFmpeg& task = Encoder->Task(0);
  EXPECT_EQ(task.nb_output_files(), 2);  // one slot per joined input, sharing the output
  ASSERT_TRUE(task.OutputOptions(0).has_value());
  EXPECT_TRUE(task.OutputOptions(0)->Join);
  EXPECT_EQ(task.OutputOptions(0)->ExtOptions, "vcodec=mpeg4\n");
  EXPECT_TRUE(task.FJoinMode);
  EXPECT_EQ(FirstStream(task, AVMEDIA_TYPE_VIDEO)->codec_id, AV_CODEC_ID_MPEG4);
}

TEST_F(Tasks, SetOutputFileFailures) {
  ASSERT_EQ(Encoder->AddTask(FixturePath(fxAviMpeg4Mp3)), 0);
  TFFmpeg& task = Encoder->Task(0);

  TOutputOptions hooks;
  hooks.VideoHookBitsPixel = 12;
  EXPECT_FALSE(Encoder->SetOutputFile(0, Out("hook.avi"), &hooks));
  EXPECT_EQ(Encoder->LastErrMsg(), "Invalid BitsPixel 12");
  EXPECT_EQ(task.nb_output_files(), 0);

  EXPECT_FALSE(Encoder->SetOutputFile(0, Out("no/such/folder/x.avi"), "vcodec=mpeg4"));
  EXPECT_NE(Encoder->LastErrMsg().find("no/such/folder/x.avi"), std::string::npos)
      << Encoder->LastErrMsg();
  EXPECT_EQ(task.OutputOptions(0), TOutputOptions{});  // reset after the failure
  EXPECT_EQ(task.nb_output_files(), 0);
  EXPECT_EQ(Encoder->TasksCount(), 1);

  EXPECT_THROW(Encoder->SetOutputFile(3, Out("x.avi")), EListError);
}

// The default capacity of a task is 20 outputs.
TEST_F(Tasks, SetOutputFileUpToTheCapacity) {
  ASSERT_EQ(Encoder->AddTask(FixturePath(fxWav)), 0);
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(Encoder->SetOutputFile(0, Out("out" + std::to_string(i) + ".wav")))
        << i << ": " << Encoder->LastErrMsg();
  EXPECT_FALSE(Encoder->SetOutputFile(0, Out("one-more.wav")));
  EXPECT_EQ(Encoder->LastErrMsg(), "max output files 20 reached");
}

TEST_F(Tasks, RemoveAndExchange) {
  AddTasks(3);
  TFFmpeg* first = &Encoder->Task(0);
  TFFmpeg* last = &Encoder->Task(2);
  Encoder->Exchange(0, 2);
  EXPECT_EQ(Encoder->GetTaskIndex(first), 2);
  EXPECT_EQ(Encoder->GetTaskIndex(last), 0);
  Encoder->RemoveTask(1);
  EXPECT_EQ(Encoder->TasksCount(), 2);
  EXPECT_EQ(Encoder->GetTaskIndex(first), 1);
  EXPECT_THROW(Encoder->RemoveTask(2), EListError);
  EXPECT_THROW(Encoder->Exchange(0, -1), EListError);
  Encoder->ClearTasks();
  EXPECT_EQ(Encoder->GetTaskIndex(first), -1);
}

// The text forms: record fields by name in any letter case, the rest kept as option text.
TEST(OptionsFromText, OutputFieldsAndPassedLines) {
  const struct {
    const char* Text;
    bool Join;
    bool AudioHook;
    int BitsPixel;
    std::int64_t TimeStart;
    std::int64_t TimeLength;
    const char* ExtOptions;
  } cases[] = {
      {"join=1<CRLF>vcodec=mpeg4", true, false, 24, cNoTimeValue, cNoTimeValue, "vcodec=mpeg4\n"},
      {"JOIN=yes\r\nAudioHook=0", true, false, 24, cNoTimeValue, cNoTimeValue, ""},
      {"audiohook=1\nVideoHookBitsPixel=16\nTimeStart=5\ntimelength=9", false, true, 16, 5, 9, ""},
      {"videohookbitspixel=deep\nTimeStart=soon\nS=640x480", false, false, 24, cNoTimeValue,
       cNoTimeValue, "S=640x480\n"},
  };
  for (const auto& c : cases) {
    const TOutputOptions o = OutputOptionsFromText(c.Text);
    EXPECT_EQ(o.Join, c.Join) << c.Text;
    EXPECT_EQ(o.AudioHook, c.AudioHook) << c.Text;
    EXPECT_EQ(o.VideoHookBitsPixel, c.BitsPixel) << c.Text;
    EXPECT_EQ(o.TimeStart, c.TimeStart) << c.Text;
    EXPECT_EQ(o.TimeLength, c.TimeLength) << c.Text;
    EXPECT_EQ(o.ExtOptions, c.ExtOptions) << c.Text;
  }
  const TInputOptions i = InputOptionsFromText("TIMESTART=x<CRLF>Ss=3<CRLF>f=avi");
  EXPECT_EQ(i.TimeStart, cNoTimeValue);
  EXPECT_EQ(i.ExtOptions, "Ss=3\nf=avi\n");
  EXPECT_EQ(InputOptionsFromText("timestart=250").TimeStart, 250);
}

}  // namespace
