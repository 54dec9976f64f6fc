// The waveform output through waveOut on the default (mapper) device, with a function
// callback that reports each played buffer.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include "engines/WaveOutput.h"

namespace hgf {

class WinWaveOutput final : public WaveOutput {
  public:
    WinWaveOutput() = default;
    ~WinWaveOutput() override;
    WinWaveOutput(const WinWaveOutput&) = delete;
    WinWaveOutput& operator=(const WinWaveOutput&) = delete;

    unsigned DeviceCount() override;
    bool Open(const PcmFormat& format, WaveOutputListener* listener) override;
    bool Prepare(int slot, const std::uint8_t* data, std::uint32_t bytes) override;
    bool Write(int slot) override;
    bool Unprepare(int slot) override;
    void Reset() override;
    void Pause() override;
    void Restart() override;
    std::optional<std::uint64_t> PositionBytes() override;
    void Close() override;

  private:
    static void CALLBACK OnDeviceMessage(HWAVEOUT device, UINT message, DWORD_PTR instance,
                                         DWORD_PTR param1, DWORD_PTR param2);

    HWAVEOUT device_ = nullptr;
    WAVEHDR headers_[kSlotCount] = {};
    WaveOutputListener* listener_ = nullptr;  // set before waveOutOpen, read by the callback
    std::uint32_t blockAlign_ = 0;
};

}  // namespace hgf
