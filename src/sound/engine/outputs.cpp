// The three outputs. The device output plays the primary mix buffer from the device's
// callback and counts what it consumed; the clock-paced outputs derive the play position from
// the runtime clock, so under the virtual clock they produce the same bytes on every run.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "backend/audio_device.h"
#include "backend/clock.h"
#include "sound/engine/output_driver.h"

namespace korvo::sound {
namespace {

// Play position from the runtime clock: milliseconds since start * mix rate / 1000.
class ClockPosition {
 public:
  void start(std::int32_t mixRate) {
    rate_ = mixRate;
    startMs_ = platform::clock().now();
  }
  std::int64_t frames() const {
    const std::uint32_t elapsed = platform::clock().now() - startMs_;
    return static_cast<std::int64_t>(elapsed) * rate_ / 1000;
  }

 private:
  std::int32_t rate_ = 44100;
  std::uint32_t startMs_ = 0;
};

class NoSoundOutput : public OutputDriver {
 public:
  const char* name() const override { return "No Sound Driver"; }
  bool clockPaced() const override { return true; }
  bool start(std::int32_t mixRate, std::int32_t) override {
    clock_.start(mixRate);
    return true;
  }
  void stop() override {}
  bool givesBuffers() const override { return false; }
  std::int16_t* createBuffer(std::int32_t) override { return nullptr; }
  std::int64_t playPosition() override { return clock_.frames(); }

 private:
  ClockPosition clock_;
};

void putLe(std::uint8_t* p, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

class WavFileOutput : public OutputDriver {
 public:
  explicit WavFileOutput(std::string path) : path_(std::move(path)) {}
  ~WavFileOutput() override { stop(); }
  const char* name() const override { return "WAV File Writer"; }
  bool clockPaced() const override { return true; }

  bool start(std::int32_t mixRate, std::int32_t channels) override {
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) return false;
    rate_ = mixRate;
    channels_ = channels;
    dataBytes_ = 0;
    writeHeader();
    clock_.start(mixRate);
    return true;
  }

  void stop() override {
    if (!file_) return;
    std::fseek(file_, 0, SEEK_SET);
    writeHeader();
    std::fclose(file_);
    file_ = nullptr;
  }

  std::int16_t* createBuffer(std::int32_t frames) override {
    ring_.assign(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_), 0);
    return ring_.data();
  }
  std::int64_t playPosition() override { return clock_.frames(); }

  void played(const std::int16_t* frames, std::int32_t count) override {
    if (!file_) return;
    const std::size_t values = static_cast<std::size_t>(count) * static_cast<std::size_t>(channels_);
    std::vector<std::uint8_t> bytes(values * 2);
    for (std::size_t i = 0; i < values; ++i) putLe(&bytes[2 * i], static_cast<std::uint16_t>(frames[i]), 2);
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    dataBytes_ += static_cast<std::uint32_t>(bytes.size());
  }

 private:
  void writeHeader() {
    std::uint8_t h[44];
    std::copy_n("RIFF", 4, h);
    putLe(h + 4, 36 + dataBytes_, 4);
    std::copy_n("WAVEfmt ", 8, h + 8);
    putLe(h + 16, 16, 4);
    putLe(h + 20, 1, 2);
    putLe(h + 22, static_cast<std::uint32_t>(channels_), 2);
    putLe(h + 24, static_cast<std::uint32_t>(rate_), 4);
    putLe(h + 28, static_cast<std::uint32_t>(rate_ * channels_ * 2), 4);
    putLe(h + 32, static_cast<std::uint32_t>(channels_ * 2), 2);
    putLe(h + 34, 16, 2);
    std::copy_n("data", 4, h + 36);
    putLe(h + 40, dataBytes_, 4);
    std::fwrite(h, 1, sizeof h, file_);
  }

  std::string path_;
  std::FILE* file_ = nullptr;
  std::int32_t rate_ = 44100;
  std::int32_t channels_ = 2;
  std::uint32_t dataBytes_ = 0;
  std::vector<std::int16_t> ring_;
  ClockPosition clock_;
};

class DeviceOutput : public OutputDriver {
 public:
  explicit DeviceOutput(platform::AudioDeviceOpener opener) : opener_(opener) {}
  ~DeviceOutput() override { stop(); }
  const char* name() const override { return device_ ? device_->name() : "Audio Device"; }
  bool clockPaced() const override { return false; }

  bool start(std::int32_t mixRate, std::int32_t channels) override {
    channels_ = channels;
    // The callback only plays once the engine has made the buffer; silence until then.
    device_ =
        opener_(platform::AudioSpec{mixRate, channels}, [this](std::int16_t* out, int count) { render(out, count); });
    return device_ != nullptr;
  }

  void stop() override { device_.reset(); }

  std::int16_t* createBuffer(std::int32_t frames) override {
    lock();
    ring_.assign(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_), 0);
    frames_ = frames;
    unlock();
    return ring_.data();
  }
  void lock() override {
    if (device_) device_->lock();
  }
  void unlock() override {
    if (device_) device_->unlock();
  }
  std::int64_t playPosition() override { return consumed_.load(std::memory_order_acquire); }

 private:
  void render(std::int16_t* out, int count) {
    if (frames_ == 0) {
      std::memset(out, 0, static_cast<std::size_t>(count) * static_cast<std::size_t>(channels_) * 2);
      return;
    }
    std::int64_t at = consumed_.load(std::memory_order_relaxed);
    for (int done = 0; done < count;) {
      const std::int32_t offset = static_cast<std::int32_t>(at % frames_);
      const int run = std::min(count - done, frames_ - offset);
      std::memcpy(out + static_cast<std::size_t>(done) * channels_,
                  ring_.data() + static_cast<std::size_t>(offset) * channels_,
                  static_cast<std::size_t>(run) * channels_ * 2);
      done += run;
      at += run;
    }
    consumed_.store(at, std::memory_order_release);
  }

  platform::AudioDeviceOpener opener_;
  std::unique_ptr<platform::AudioDevice> device_;
  std::int32_t channels_ = 2;
  std::int32_t frames_ = 0;
  std::vector<std::int16_t> ring_;
  std::atomic<std::int64_t> consumed_{0};
};

}  // namespace

std::unique_ptr<OutputDriver> makeNoSoundOutput() { return std::make_unique<NoSoundOutput>(); }

std::unique_ptr<OutputDriver> makeWavFileOutput(std::string path) {
  return std::make_unique<WavFileOutput>(std::move(path));
}

std::unique_ptr<OutputDriver> makeDeviceOutput() {
  platform::AudioDeviceOpener opener = platform::audioDeviceOpener();
  if (!opener) return nullptr;
  return std::make_unique<DeviceOutput>(opener);
}

}  // namespace korvo::sound
