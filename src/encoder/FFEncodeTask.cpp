// One task of the encoder component and the task list.
#include "FFEncodeTask.h"

#include <algorithm>
#include <utility>

#include "FFmpegOptionText.h"
#include "TextFormat.h"

TFFmpeg::TFFmpeg(int AMaxFiles, TObject* AParent)
    : TCustomFFmpeg(AMaxFiles),
      FDecoders(AMaxFiles),
      FInputOptions(AMaxFiles),
      FOutputOptions(AMaxFiles),
      FParent(AParent) {}

TFFmpeg::~TFFmpeg() {
  Detach();
  // The job stops before the probes go: a running conversion still reads their containers.
  Stop(true);
}

void TFFmpeg::ApplyOptionLines(const std::string& AText, bool AWithStreamOptions) {
  ::ApplyOptionLines(
      AText, AWithStreamOptions,
      [this](const std::string& AName, const std::string& AValue) { SetExtOption(AName, AValue); });
}

TFFDecoder& TFFmpeg::Decoder(int ASlot) {
  std::unique_ptr<TFFDecoder>& decoder = FDecoders.at(ASlot);
  if (!decoder) decoder = std::make_unique<TFFDecoder>(FParent);
  return *decoder;
}

void TFFmpeg::ReleaseDecoders() {
  for (auto& decoder : FDecoders)
    if (decoder) decoder->CloseFile();
}

const std::optional<TInputOptions>& TFFmpeg::InputOptions(int ASlot) const {
  return FInputOptions.at(ASlot);
}

const std::optional<TOutputOptions>& TFFmpeg::OutputOptions(int ASlot) const {
  return FOutputOptions.at(ASlot);
}

void TFFmpeg::SetInputOptions(int ASlot, const TInputOptions& AOptions) {
  FInputOptions.at(ASlot) = AOptions;
}

void TFFmpeg::SetOutputOptions(int ASlot, const TOutputOptions& AOptions) {
  FOutputOptions.at(ASlot) = AOptions;
}

void TFFmpeg::ResetInputOptions(int ASlot) {
  FInputOptions.at(ASlot) = TInputOptions{};
}

void TFFmpeg::ResetOutputOptions(int ASlot) {
  FOutputOptions.at(ASlot) = TOutputOptions{};
}

// ---- task list -------------------------------------------------------------------------------

void TFFmpegList::CheckIndex(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format("List index out of bounds (%d)", AIndex));
}

void TFFmpegList::Add(std::unique_ptr<TFFmpeg> ATask) {
  FList.push_back(std::move(ATask));
}

void TFFmpegList::Delete(int AIndex) {
  CheckIndex(AIndex);
  std::unique_ptr<TFFmpeg> task = std::move(FList[AIndex]);
  FList.erase(FList.begin() + AIndex);
}

void TFFmpegList::Clear() {
  // Each task is freed outside the list, so that the list never holds a task being destroyed.
  while (!FList.empty()) Delete(Count() - 1);
}

void TFFmpegList::Exchange(int AIndex1, int AIndex2) {
  CheckIndex(AIndex1);
  CheckIndex(AIndex2);
  std::swap(FList[AIndex1], FList[AIndex2]);
}

TFFmpeg& TFFmpegList::Items(int AIndex) const {
  CheckIndex(AIndex);
  return *FList[AIndex];
}

int TFFmpegList::IndexOf(const TObject* ATask) const {
  const auto found = std::find_if(FList.begin(), FList.end(), [&](const auto& t) {
    return static_cast<const TObject*>(t.get()) == ATask;
  });
  return found == FList.end() ? -1 : static_cast<int>(found - FList.begin());
}

void TFFmpegList::Pause() {
  for (auto& task : FList) task->Pause();
}

void TFFmpegList::Resume() {
  for (auto& task : FList) task->Resume();
}

void TFFmpegList::StopOrNotify(bool AWaitForStop) {
  for (auto& task : FList) task->StopOrNotify(AWaitForStop);
}
