// hueclip_stream_bench: what a monitor's stream costs the user-interface thread for each buffer
// the compositor sends (StreamIntake), fed recorded sequences as a desktop sends them while the
// pointer moves over a still screen: a picture, then buffers that carry only the pointer, then
// the next picture; at 1024x768 and 3840x2160. A pointer update must cost the same at both sizes
// (no copy of the picture may ride on one); a picture costs what its size does.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/portal/stream_intake.h"
#include "tests/unit/recorded_buffer.h"

namespace {

using hueclip::portal::Cursor;
using hueclip::portal::PixelOrder;
using hueclip::portal::PointerReport;
using hueclip::portal::RecordedBuffer;
using hueclip::portal::StreamIntake;

constexpr int kPointerUpdates = 9;  // between two pictures: a second of pointer moves

// One recorded second of a width x height monitor: a picture (BGRx rows, 256 bytes of padding
// each), then the pointer moving over it.
struct Recording {
  Recording(int width, int height)
      : stride(width * 4 + 256), memory(static_cast<std::size_t>(stride) * height, 0x5A) {
    picture = std::make_unique<RecordedBuffer>(
        memory.data(), static_cast<std::uint32_t>(memory.size()), stride, Cursor{true, 10, 10});
    for (int i = 0; i < kPointerUpdates; ++i)
      pointer.push_back(std::make_unique<RecordedBuffer>(
          nullptr, 0, 0, Cursor{true, (i + 1) * width / 10, height / 2}));
  }
  int stride;
  std::vector<std::uint8_t> memory;
  std::unique_ptr<RecordedBuffer> picture;
  std::vector<std::unique_ptr<RecordedBuffer>> pointer;
};

// Reads a block larger than the processor's caches, so that what comes next finds them cold
// whatever the picture before it left there: between two buffers the program does a pass and
// paints, and 100 ms go by.
void ColdCaches() {
  static std::vector<std::uint8_t> block(64 << 20, 1);
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < block.size(); i += 64) sum += block[i];
  benchmark::DoNotOptimize(sum);
}

// The pointer updates that follow each picture, timed alone (the picture is not), from cold
// caches.
void BM_PointerUpdatesAfterAPicture(benchmark::State& state) {
  const Recording rec(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::int64_t told = 0;
  StreamIntake intake([&](const PointerReport& p) { told += p.x; });
  intake.SetFormat(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                   PixelOrder::kBgrx);
  for (auto _ : state) {
    intake.Take(**rec.picture);
    ColdCaches();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& buffer : rec.pointer) intake.Take(**buffer);
    benchmark::DoNotOptimize(intake.Frame().PixelAt(5, 5));
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  benchmark::DoNotOptimize(told);
  state.SetItemsProcessed(state.iterations() * kPointerUpdates);  // items/s: pointer updates
}
// A fixed count: the untimed pictures would otherwise be repeated until the updates alone add up
// to the benchmark's minimum time.
BENCHMARK(BM_PointerUpdatesAfterAPicture)
    ->Args({1024, 768})
    ->Args({3840, 2160})
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The whole recorded second: a picture and the pointer updates after it.
void BM_PictureThenPointerUpdates(benchmark::State& state) {
  const Recording rec(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  StreamIntake intake([](const PointerReport&) {});
  intake.SetFormat(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                   PixelOrder::kBgrx);
  for (auto _ : state) {
    intake.Take(**rec.picture);
    for (const auto& buffer : rec.pointer) intake.Take(**buffer);
    benchmark::DoNotOptimize(intake.Frame().PixelAt(5, 5));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rec.memory.size()));
}
BENCHMARK(BM_PictureThenPointerUpdates)
    ->Args({1024, 768})
    ->Args({3840, 2160})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
