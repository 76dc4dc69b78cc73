// Costs of the CPU work of the demo, beside the baselines they are judged against:
// recolouring against a plain memcpy of the same bytes and the plain per-texel loop,
// plasma generation against the plain five-sines-per-texel loop. Prints the ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"
#include "plasma/recolour.h"
#include "reference_plasma.h"
#include "tunnel/tunnel_mesh.h"

namespace {

std::vector<std::uint8_t> indexBuffer(kIndexMapBytes);
std::vector<std::uint8_t> rgbBuffer(kRgbImageBytes);
std::vector<std::uint8_t> copySource(kRgbImageBytes, 0x5A);

// Points the plasma at this benchmark's buffers, with a real plasma in them.
void PreparePlasma() {
  indexMap = indexBuffer.data();
  rgbImage = rgbBuffer.data();
  BuildPalette();
  GeneratePlasma(false);
}

// Recolouring as the demo does it, or one of its two ways forced.
void Recolour(benchmark::State& state, void (*recolour)(std::uint32_t)) {
  std::uint32_t ticks = 0;
  for (auto _ : state) {
    recolour(ticks += 17);
    benchmark::DoNotOptimize(rgbImage);
    benchmark::ClobberMemory();
  }
}

void Memcpy(benchmark::State& state) {
  for (auto _ : state) {
    std::memcpy(rgbBuffer.data(), copySource.data(), kRgbImageBytes);
    benchmark::DoNotOptimize(rgbBuffer.data());
    benchmark::ClobberMemory();
  }
}

void RecolourPlainLoop(benchmark::State& state) {
  std::uint32_t ticks = 0;
  for (auto _ : state) {
    reference::Recolour(indexBuffer.data(), ticks += 17, rgbBuffer.data());
    benchmark::DoNotOptimize(rgbBuffer.data());
    benchmark::ClobberMemory();
  }
}

void Plasma(benchmark::State& state) {
  for (auto _ : state) {
    GeneratePlasma(state.range(0) != 0);
    benchmark::ClobberMemory();
  }
}

void PlasmaPlainLoop(benchmark::State& state) {
  for (auto _ : state) {
    reference::GeneratePlasma(false, indexBuffer.data(), rgbBuffer.data());
    benchmark::ClobberMemory();
  }
}

void TunnelVertices(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(GenerateTunnelStrips(0.3f, 5.0f, 64.0f, 128.0f));
  }
}

BENCHMARK_CAPTURE(Recolour, demo, RecolourPlasma)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Recolour, portable, RecolourPlasmaPortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecolourPlainLoop)->Unit(benchmark::kMicrosecond);
BENCHMARK(Plasma)->Arg(0)->ArgName("stupid")->Unit(benchmark::kMillisecond);
BENCHMARK(Plasma)->Arg(1)->ArgName("stupid")->Unit(benchmark::kMillisecond);
BENCHMARK(PlasmaPlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(TunnelVertices)->Unit(benchmark::kMillisecond);

// Keeps each repetition's time per iteration, by benchmark name, as it prints.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        const std::string& args = run.run_name.args;
        times[run.run_name.function_name + (args.empty() ? "" : "/" + args)].push_back(
            run.real_accumulated_time / static_cast<double>(run.iterations));
      }
    }
  }
  std::map<std::string, std::vector<double>> times;
};

// Prints min, median and max of the per-repetition ratios of two benchmarks' times.
void PrintRatio(const RecordingReporter& reporter, const std::string& name,
                const std::string& over, const std::string& label) {
  const auto a = reporter.times.find(name);
  const auto b = reporter.times.find(over);
  if (a == reporter.times.end() || b == reporter.times.end()) {
    return;
  }
  std::vector<double> ratios;
  for (std::size_t i = 0; i < std::min(a->second.size(), b->second.size()); ++i) {
    ratios.push_back(a->second[i] / b->second[i]);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("%-26s min %.3f  median %.3f  max %.3f  (%zu repetitions)\n", label.c_str(),
              ratios.front(), ratios[ratios.size() / 2], ratios.back(), ratios.size());
}

}  // namespace

int main(int argc, char** argv) {
  PreparePlasma();
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  PrintRatio(reporter, "Recolour/demo", "Memcpy", "recolour / memcpy");
  PrintRatio(reporter, "Recolour/portable", "Memcpy", "portable recolour / memcpy");
  PrintRatio(reporter, "RecolourPlainLoop", "Memcpy", "plain recolour / memcpy");
  PrintRatio(reporter, "Plasma/stupid:0", "PlasmaPlainLoop", "plasma / plain plasma");
  std::printf("recolouring in use: %s\n", CanRecolourPlasmaWide() ? "64-byte look-ups" : "portable");
  benchmark::Shutdown();
  return 0;
}
