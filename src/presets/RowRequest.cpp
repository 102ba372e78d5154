// The request of one list row from the selections, what the probe found and the row's paths.
#include "RowRequest.h"

#include "FFDecode.h"
#include "OutputPath.h"

namespace {

TRowRequest Failed(TRowFailure AFailure, std::string AReason) {
  TRowRequest request;
  request.Failure = AFailure;
  request.FailureReason = std::move(AReason);
  return request;
}

}  // namespace

TRowRequest BuildRowRequest(const TPresetSelections& ASelections, const TProbeFacts& AProbe,
                            const TPathFileName& AInputPath, const TPathFileName& AOutputPath) {
  if (AProbe.Opened && !AProbe.HasAudio) return Failed(rfNoAudio, "This file has no audio");
  const std::string probedSize =
      AProbe.Opened ? ProbedSizeText(AProbe.VideoWidth, AProbe.VideoHeight) : std::string();
  TCollectResult collected = CollectPresetSettings(ASelections, probedSize);
  if (!collected.Success) return Failed(rfBadNumber, collected.ErrorMsg);
  if (OutputNamesInput(AOutputPath, AInputPath))
    return Failed(rfOutputIsInput, "The output file would overwrite the input file");
  TRowRequest request;
  request.Options = std::move(collected.Options);
  return request;
}

TProbeFacts ProbeFactsOf(TFFDecoder& AProbe, const TPathFileName& AInput) {
  TProbeFacts facts;
  facts.Opened = AProbe.LoadFile(AInput);
  if (!facts.Opened) return facts;
  const TVideoStreamInfo video = AProbe.FirstVideoStreamInfo();
  facts.VideoWidth = video.Width;
  facts.VideoHeight = video.Height;
  facts.HasAudio = AProbe.FirstAudioStreamIndex() != -1;
  AProbe.CloseFile();
  return facts;
}
