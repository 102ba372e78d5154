// TFFmpeg, one task of the encoder component (a conversion job with a probe and the stored
// option records of each input and output slot), and TFFmpegList, the component's task list.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "FFDecode.h"
#include "FFEncodeRecords.h"
#include "FFmpegJob.h"

// A task index outside the list.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

class TFFmpeg : public TCustomFFmpeg {
 public:
  // AMaxFiles: 1 to 512, otherwise EAssertionFailed; AParent owns the probes.
  explicit TFFmpeg(int AMaxFiles, TObject* AParent = nullptr);
  // Silences the events first, so that nothing reaches the component while the job (which stops
  // a running conversion and waits) is torn down.
  ~TFFmpeg() override;

  // Applies option text (lower-cased names; the per-stream options only with the flag).
  void ApplyOptionLines(const std::string& AText, bool AWithStreamOptions);

  // The probe of input slot ASlot, created on first use.
  TFFDecoder& Decoder(int ASlot);
  // Makes every probe forget its container (the job closes its inputs when it ends).
  void ReleaseDecoders();

  // The stored copy of a slot's record; nullopt when none is stored.
  const std::optional<TInputOptions>& InputOptions(int ASlot) const;
  const std::optional<TOutputOptions>& OutputOptions(int ASlot) const;
  void SetInputOptions(int ASlot, const TInputOptions& AOptions);
  void SetOutputOptions(int ASlot, const TOutputOptions& AOptions);
  void ResetInputOptions(int ASlot);
  void ResetOutputOptions(int ASlot);

  // False once the task is being destroyed: the component's handlers must not run any more.
  bool Attached() const { return FAttached; }
  void Detach() { FAttached = false; }
  void SetParent(TObject* AValue) { FParent = AValue; }

 private:
  std::vector<std::unique_ptr<TFFDecoder>> FDecoders;
  std::vector<std::optional<TInputOptions>> FInputOptions;
  std::vector<std::optional<TOutputOptions>> FOutputOptions;
  TObject* FParent;
  std::atomic<bool> FAttached{true};
};

class TFFmpegList {
 public:
  void Add(std::unique_ptr<TFFmpeg> ATask);
  // Removes and frees the task.
  void Delete(int AIndex);
  void Clear();
  void Exchange(int AIndex1, int AIndex2);
  // Raises EListError "List index out of bounds (%d)".
  TFFmpeg& Items(int AIndex) const;
  // -1 when absent.
  int IndexOf(const TObject* ATask) const;
  int Count() const { return static_cast<int>(FList.size()); }

  void Pause();
  void Resume();
  void StopOrNotify(bool AWaitForStop);

 private:
  void CheckIndex(int AIndex) const;
  std::vector<std::unique_ptr<TFFmpeg>> FList;
};
