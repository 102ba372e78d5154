// Probe speed: TFFDecoder.LoadFile against the bare avformat_open_input and
// avformat_find_stream_info on the same generated media; the counter is milliseconds per file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>
#include <vector>

#include "FFDecode.h"
#include "FFOwners.h"
#include "Fixtures.h"
#include "MainThread.h"

namespace {

const TFixture Files[] = {fxAviMpeg4Mp3, fxMp4H264Aac, fxRealMediaRv10Ac3, fxWav,
                          fxMp3,         fxJpeg,       fxUnknownDuration};

std::vector<TPathFileName> FilePaths() {
  std::vector<TPathFileName> paths;
  for (TFixture f : Files) paths.push_back(FixturePath(f));
  return paths;
}

// Runs AProbeOne on every file per iteration and reports the mean milliseconds per file.
template <typename TProbeOne>
void ProbeFiles(benchmark::State& AState, TProbeOne AProbeOne) {
  const std::vector<TPathFileName> paths = FilePaths();
  std::chrono::duration<double, std::milli> total{0};
  for (auto _ : AState) {
    auto start = std::chrono::steady_clock::now();
    for (const TPathFileName& path : paths) AProbeOne(path);
    total += std::chrono::steady_clock::now() - start;
  }
  AState.counters["ms_per_file"] =
      total.count() / static_cast<double>(AState.iterations() * paths.size());
}

void ProbeLoadFile(benchmark::State& AState) {
  TFFDecoder probe;
  ProbeFiles(AState, [&](const TPathFileName& APath) {
    if (!probe.LoadFile(APath)) AState.SkipWithError(probe.LastErrMsg().c_str());
    benchmark::DoNotOptimize(probe.StreamCount());
  });
}

void BareOpenAndFindStreamInfo(benchmark::State& AState) {
  ProbeFiles(AState, [&](const TPathFileName& APath) {
    AVFormatContext* raw = nullptr;
    if (FF.avformat_open_input(&raw, APath.c_str(), nullptr, nullptr) < 0) {
      AState.SkipWithError("open failed");
      return;
    }
    TInputFormatPtr context(raw);
    if (FF.avformat_find_stream_info(context.get(), nullptr) < 0)
      AState.SkipWithError("no stream info");
    benchmark::DoNotOptimize(context->nb_streams);
  });
}

BENCHMARK(ProbeLoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BareOpenAndFindStreamInfo)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  SetMainThread();
  TFFDecoder probe;
  if (!probe.LoadAVLib(ProgramFolder())) {
    std::cerr << probe.LastErrMsg() << "\n";
    return 1;
  }
  FilePaths();  // generate the media before any timing
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
