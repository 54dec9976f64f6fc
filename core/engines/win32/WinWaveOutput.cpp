// waveOut calls behind the WaveOutput interface.
#include "engines/win32/WinWaveOutput.h"

namespace hgf {

WinWaveOutput::~WinWaveOutput() {
    Close();
}

unsigned WinWaveOutput::DeviceCount() {
    return waveOutGetNumDevs();
}

void CALLBACK WinWaveOutput::OnDeviceMessage(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR,
                                             DWORD_PTR) {
    auto* self = reinterpret_cast<WinWaveOutput*>(instance);
    if (message == WOM_DONE && self && self->listener_) self->listener_->BufferDone();
}

bool WinWaveOutput::Open(const PcmFormat& format, WaveOutputListener* listener) {
    Close();
    WAVEFORMATEX wave = {};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSecond;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.nBlockAlign = format.blockAlign;
    wave.nAvgBytesPerSec = format.averageBytesPerSecond;
    wave.cbSize = 0;
    listener_ = listener;
    for (WAVEHDR& header : headers_)
        header = WAVEHDR{};
    MMRESULT result = waveOutOpen(
        &device_, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(&WinWaveOutput::OnDeviceMessage),
        reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION | WAVE_ALLOWSYNC);
    if (result != MMSYSERR_NOERROR) {
        device_ = nullptr;
        listener_ = nullptr;
        return false;
    }
    blockAlign_ = format.blockAlign;
    return true;
}

bool WinWaveOutput::Prepare(int slot, const std::uint8_t* data, std::uint32_t bytes) {
    if (!device_ || slot < 0 || slot >= kSlotCount) return false;
    WAVEHDR& header = headers_[slot];
    header.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(data));
    header.dwBufferLength = bytes;
    header.dwBytesRecorded = 0;
    header.dwUser = 0;
    header.dwFlags = 0;
    header.dwLoops = 0;
    header.lpNext = nullptr;
    return waveOutPrepareHeader(device_, &header, sizeof header) == MMSYSERR_NOERROR;
}

bool WinWaveOutput::Write(int slot) {
    if (!device_ || slot < 0 || slot >= kSlotCount) return false;
    return waveOutWrite(device_, &headers_[slot], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool WinWaveOutput::Unprepare(int slot) {
    if (slot < 0 || slot >= kSlotCount) return false;
    WAVEHDR& header = headers_[slot];
    if (!(header.dwFlags & WHDR_PREPARED)) return true;
    if (!device_) return false;
    return waveOutUnprepareHeader(device_, &header, sizeof header) == MMSYSERR_NOERROR;
}

void WinWaveOutput::Reset() {
    if (device_) waveOutReset(device_);
}

void WinWaveOutput::Pause() {
    if (device_) waveOutPause(device_);
}

void WinWaveOutput::Restart() {
    if (device_) waveOutRestart(device_);
}

std::optional<std::uint64_t> WinWaveOutput::PositionBytes() {
    if (!device_) return std::nullopt;
    MMTIME time = {};
    time.wType = TIME_BYTES;
    if (waveOutGetPosition(device_, &time, sizeof time) != MMSYSERR_NOERROR) return std::nullopt;
    if (time.wType == TIME_BYTES) return time.u.cb;
    if (time.wType == TIME_SAMPLES) return static_cast<std::uint64_t>(time.u.sample) * blockAlign_;
    return std::nullopt;
}

void WinWaveOutput::Close() {
    if (device_) {
        waveOutClose(device_);
        device_ = nullptr;
    }
    listener_ = nullptr;
}

}  // namespace hgf
