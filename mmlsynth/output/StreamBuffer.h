// The two small interfaces through which the player reaches the sound output: one looping
// stream buffer, and the device that creates them. The DirectSound wrappers implement them on
// Windows; tests hand in fakes whose play cursor they move themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tonwerkel {

// One looping secondary buffer of 16-bit mono PCM at 22050 Hz.
class StreamBuffer {
  public:
    virtual ~StreamBuffer() = default;

    // Locks `bytes` at `offset`, copies `data` into the locked regions and unlocks. With
    // `wrap` the part of a lock that wraps past the buffer end goes to the second region at the
    // buffer start; without it only the first region is filled. Returns the number of bytes
    // copied, 0 when the lock failed.
    virtual uint32_t Write(uint32_t offset, const void* data, uint32_t bytes, bool wrap) = 0;
    // Play cursor in bytes from the buffer start; false when the position cannot be read.
    virtual bool GetPlayCursor(uint32_t& cursor) = 0;
    virtual bool IsPlaying() = 0;
    virtual bool PlayLooping() = 0;
    virtual bool Stop() = 0;
    virtual bool SetPlayPosition(uint32_t offset) = 0;
    // Attenuation in hundredths of a decibel, -10000...0.
    virtual bool SetVolume(int32_t attenuation) = 0;
    virtual bool GetVolume(int32_t& attenuation) = 0;
    // Releases the underlying buffer and creates it anew with the same size, stopped and
    // silent. The object stays the same, so whoever holds it keeps a valid pointer.
    virtual void Recreate() = 0;
};

// Creates stream buffers and tells the player when they were lost and recreated.
class StreamDevice {
  public:
    virtual ~StreamDevice() = default;

    // A stopped, silent buffer of `bytes` bytes. Throws tonwerkel::Error on failure.
    virtual std::unique_ptr<StreamBuffer> CreateStreamBuffer(uint32_t bytes) = 0;
    // `restore` runs when a buffer call reported the buffers lost; it must recreate them. It runs
    // on whichever thread made that call, while that call is still in progress.
    virtual void SetRestoreHook(std::function<void()> restore) = 0;
};

}  // namespace tonwerkel
