// The waveform output that the stream players write to: a PCM device with a fixed
// number of buffer slots that are prepared, written and returned one by one.
// The Win32 implementation wraps waveOut; tests hand in a recording fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace hgf {

struct PcmFormat {
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t blockAlign = 0;             // channels * bytes per sample
    std::uint32_t averageBytesPerSecond = 0;  // blockAlign * samplesPerSecond

    // 16-bit PCM with the stream's channel count and rate.
    static PcmFormat Pcm16(unsigned channels, unsigned rate) {
        PcmFormat format;
        format.channels = static_cast<std::uint16_t>(channels);
        format.samplesPerSecond = rate;
        format.bitsPerSample = 16;
        format.blockAlign = static_cast<std::uint16_t>(channels * 2);
        format.averageBytesPerSecond = format.blockAlign * rate;
        return format;
    }
    bool operator==(const PcmFormat&) const = default;
};

// Told when the device has played a written buffer (WOM_DONE). Runs on a thread of the
// platform's audio layer; it must only hand the news on.
class WaveOutputListener {
  public:
    virtual ~WaveOutputListener() = default;
    virtual void BufferDone() = 0;
};

class WaveOutput {
  public:
    static constexpr int kSlotCount = 4;

    virtual ~WaveOutput() = default;
    // Number of waveform output devices of the system (0: no sound).
    virtual unsigned DeviceCount() = 0;
    // Opens the default device for `format`; `listener` hears of every played buffer
    // until Close returns.
    virtual bool Open(const PcmFormat& format, WaveOutputListener* listener) = 0;
    // Makes slot `slot` (0..kSlotCount-1) describe `bytes` bytes at `data`, which must stay
    // valid until the slot is unprepared.
    virtual bool Prepare(int slot, const std::uint8_t* data, std::uint32_t bytes) = 0;
    // Queues a prepared slot for playing.
    virtual bool Write(int slot) = 0;
    // Releases a slot; false while the device still plays it. A slot that was never
    // prepared unprepares at once.
    virtual bool Unprepare(int slot) = 0;
    // Stops output and returns every queued slot (each one reported as played).
    virtual void Reset() = 0;
    // Halts the device where it is, keeping the queued slots, and goes on from there.
    // A device that cannot pause does nothing.
    virtual void Pause() {}
    virtual void Restart() {}
    // Bytes played since Open, or nothing when the device cannot tell.
    virtual std::optional<std::uint64_t> PositionBytes() = 0;
    virtual void Close() = 0;
};

}  // namespace hgf
