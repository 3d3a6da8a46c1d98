// Decoding throughput of the stream readers against the decoder libraries called directly in
// the same run: a 20 s Ogg Vorbis and a 20 s MP3 (44100 Hz stereo, made at start-up) decoded
// from disk to the end, the readers through the engine's file layer in the halves a stream
// fills (34816 bytes), the direct loops with the libraries' own file reading. The counter
// x_realtime is seconds of sound per second.
#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "sound/formats/sound_decoder.h"
#include "sound/test_encoders.h"

namespace {

using namespace korvo::sound;

constexpr int kSeconds = 20;
constexpr std::size_t kHalf = 34816;

// The files, written at the first use into a folder of this run, removed at its end.
struct BenchFiles {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("korvo-stream-bench-" + std::to_string(::getpid()));
  std::string ogg = (dir / "tune.ogg").string();
  std::string mp3 = (dir / "tune.mp3").string();

  BenchFiles() {
    const korvo::test::Pcm tune = korvo::test::testTune(44100, 2, 44100 * kSeconds);
    std::filesystem::create_directories(dir);
    write(ogg, korvo::test::encodeVorbis(tune));
    write(mp3, korvo::test::encodeMp3(tune));
  }
  ~BenchFiles() { std::filesystem::remove_all(dir); }
  static void write(const std::string& path, const korvo::test::Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
};

const std::string& benchFile(const char* extension) {
  static const BenchFiles kFiles;
  return std::string(extension) == "ogg" ? kFiles.ogg : kFiles.mp3;
}

void reportRealtime(benchmark::State& state) {
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(kSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The stream reader of the file, read to its end a half at a time.
void ThroughStreamReader(benchmark::State& state, const char* extension) {
  const std::string& path = benchFile(extension);
  std::vector<std::uint8_t> half(kHalf);
  for (auto _ : state) {
    auto file = formats::SoundFile::open(path);
    formats::DecoderResult reader = formats::openStreamDecoder(*file, 0);
    std::size_t total = 0;
    while (std::size_t got = reader.decoder->read(half.data(), half.size())) total += got;
    benchmark::DoNotOptimize(total);
  }
  reportRealtime(state);
}

void OggDirect(benchmark::State& state) {
  const std::string& path = benchFile("ogg");
  std::vector<char> half(kHalf);
  for (auto _ : state) {
    OggVorbis_File vorbis;
    ov_fopen(path.c_str(), &vorbis);
    std::size_t total = 0;
    int link = 0;
    for (std::size_t filled = 0;;) {
      const long got = ov_read(&vorbis, half.data() + filled, static_cast<int>(kHalf - filled), 0, 2, 1, &link);
      if (got <= 0) break;
      filled = (filled + static_cast<std::size_t>(got)) % kHalf;
      total += static_cast<std::size_t>(got);
    }
    ov_clear(&vorbis);
    benchmark::DoNotOptimize(total);
  }
  reportRealtime(state);
}

void Mp3Direct(benchmark::State& state) {
  const std::string& path = benchFile("mp3");
  std::vector<unsigned char> half(kHalf);
  mpg123_init();
  for (auto _ : state) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_open(handle, path.c_str());
    std::size_t total = 0;
    for (;;) {
      std::size_t got = 0;
      const int result = mpg123_read(handle, half.data(), half.size(), &got);
      total += got;
      if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
    }
    mpg123_delete(handle);
    benchmark::DoNotOptimize(total);
  }
  reportRealtime(state);
}

BENCHMARK_CAPTURE(ThroughStreamReader, Ogg, "ogg")->Unit(benchmark::kMillisecond);
BENCHMARK(OggDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ThroughStreamReader, Mp3, "mp3")->Unit(benchmark::kMillisecond);
BENCHMARK(Mp3Direct)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
