// Where a playback fed through a WaveFeeder began and how far its sound has got. A
// playback that begins inside its stream has its decoder sought there; where the file
// cannot seek, the frames before that point are decoded on the feeder thread and dropped
// before any are kept. Portable; shared by the stream players and the MP3 player.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace hgf {

class FeedPosition {
  public:
    // A stream of `rate` frames per second, `frameBytes` a frame and `bufferFrames` in each
    // output buffer, beginning at its start.
    void Reset(unsigned rate, std::uint32_t frameBytes, std::uint32_t bufferFrames) {
        rate_ = rate;
        frameBytes_ = frameBytes;
        bufferFrames_ = bufferFrames;
        startFrame_ = dropFrames_ = decoderFrame_ = 0;
        framesKept_ = 0;
        held_ = true;
    }
    // The playback begins `ms` milliseconds into the stream: `seek(frame)` moves the
    // decoder there and returns true, or returns false with the decoder at the start of
    // the stream, and the frames up to the start are then decoded and dropped. The
    // decoder is the caller's until Release (the feeder does not touch it before). False
    // once the feeder has been let run (the start is then where it was).
    template <typename Seek>
    bool StartAt(std::int64_t ms, Seek seek) {
        if (!held_) return false;
        const std::uint64_t frame = ms > 0 ? static_cast<std::uint64_t>(ms) * rate_ / 1000 : 0;
        if (frame != decoderFrame_) decoderFrame_ = seek(frame) ? frame : 0;
        startFrame_ = frame;
        dropFrames_ = frame - decoderFrame_;
        return true;
    }
    // On the caller's thread, before the feeder first runs.
    void Release() { held_ = false; }
    // Feeder thread: decodes into block[filled..capacity) with `decode(block, capacity,
    // filled)`, which returns `full` while the stream goes on, and counts what it kept. The
    // frames before the start are decoded into the free part of the block first and dropped.
    // Returns what `decode` returned last.
    template <typename Status, typename Decode>
    Status Feed(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled, Status full,
                Decode decode) {
        std::uint8_t* scratch = block + filled;
        const std::uint32_t scratchFrames = (capacity - filled) / frameBytes_;
        while (dropFrames_ > 0 && scratchFrames > 0) {
            const auto frames =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(scratchFrames, dropFrames_));
            std::uint32_t dropped = 0;
            const Status status = decode(scratch, frames * frameBytes_, dropped);
            dropFrames_ -= std::min<std::uint64_t>(dropFrames_, dropped / frameBytes_);
            if (status != full) return status;
        }
        const std::uint32_t before = filled;
        const Status status = decode(block, capacity, filled);
        framesKept_ += (filled - before) / frameBytes_;
        return status;
    }
    // Milliseconds into the stream of the sound played so far, with `queuedBuffers` still
    // at the device.
    std::int64_t Ms(int queuedBuffers) const {
        if (rate_ == 0) return -1;
        const std::uint64_t unplayed =
            static_cast<std::uint64_t>(std::max(0, queuedBuffers)) * bufferFrames_;
        const std::uint64_t kept = framesKept_.load();
        const std::uint64_t frame = startFrame_ + (kept > unplayed ? kept - unplayed : 0);
        return static_cast<std::int64_t>(frame * 1000 / rate_);
    }

  private:
    unsigned rate_ = 0;
    std::uint32_t frameBytes_ = 1;
    std::uint32_t bufferFrames_ = 0;
    std::uint64_t startFrame_ = 0;
    std::uint64_t dropFrames_ = 0;    // written before the feeder runs, then by it only
    std::uint64_t decoderFrame_ = 0;  // the caller's: where the decoder stands before Release
    bool held_ = true;                // the caller's: no Release since Reset
    std::atomic<std::uint64_t> framesKept_{0};
};

}  // namespace hgf
