// The stream feeder with a scripted source: what it queues, when it retries and refills,
// and that the played-out news comes once, after the device has played the last buffer.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "FakeWaveOutput.h"
#include "engines/WaveFeeder.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using Fill = PcmSource::Fill;

// Answers each Decode with the next scripted step: `bytes` more bytes of value `value`,
// and the status.
class ScriptedSource final : public PcmSource {
  public:
    struct Step {
        std::uint32_t bytes;
        std::uint8_t value;
        Fill status;
    };
    explicit ScriptedSource(std::deque<Step> steps) : steps_(std::move(steps)) {}
    Fill Decode(std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) override {
        std::lock_guard lock(mutex_);
        ++calls;
        if (steps_.empty()) return Fill::kEnded;
        Step step = steps_.front();
        steps_.pop_front();
        for (std::uint32_t i = 0; i < step.bytes && filled < capacity; ++i)
            block[filled++] = step.value;
        return step.status;
    }
    int calls = 0;

  private:
    std::mutex mutex_;
    std::deque<Step> steps_;
};

template <typename Predicate>
bool WaitUntil(Predicate done) {
    for (int i = 0; i < 2500 && !done(); ++i)
        std::this_thread::sleep_for(2ms);
    return done();
}

TEST(WaveFeeder, QueuesWhatTheSourceGivesAndTellsOnceWhenAllIsPlayed) {
    test::FakeWaveOutput output;
    ScriptedSource source({{8, 1, Fill::kQueue},
                           {4, 2, Fill::kRetry},  // kept: it goes out with the next step
                           {4, 3, Fill::kQueue},
                           {0, 0, Fill::kQueue},  // nothing decoded: nothing queued
                           {16, 4, Fill::kQueue},
                           {6, 5, Fill::kEnded}});
    std::atomic<int> playedOut{0};
    WaveFeeder feeder(output);
    WaveFeeder::Options options;
    options.bufferBytes = 16;
    options.onPlayedOut = [&] { ++playedOut; };
    ASSERT_TRUE(feeder.Open(PcmFormat::Pcm16(1, 8000), source, options));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(output.WriteCount(), 0u);  // held until Run
    feeder.Run();
    ASSERT_TRUE(output.WaitForWrites(4));
    const std::vector<std::size_t> sizes = output.WriteSizes();
    EXPECT_EQ(sizes, (std::vector<std::size_t>{8, 8, 16, 6}));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(playedOut, 0);
    EXPECT_FALSE(feeder.PlayedOut());
    for (int played = 0; played < 3; ++played)
        ASSERT_TRUE(output.CompleteOldest());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(playedOut, 0);  // one buffer is still playing
    ASSERT_TRUE(output.CompleteOldest());
    ASSERT_TRUE(WaitUntil([&] { return playedOut == 1; }));
    EXPECT_TRUE(feeder.PlayedOut());
    const int calls = source.calls;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(source.calls, calls);  // nothing is decoded after the end
    feeder.Close();
    EXPECT_EQ(playedOut, 1);
    EXPECT_FALSE(output.IsOpen());
}

TEST(WaveFeeder, RefillsOnceHalfOfTheBuffersAreBack) {
    test::FakeWaveOutput output;
    std::deque<ScriptedSource::Step> steps;
    for (std::uint8_t i = 0; i < 12; ++i)
        steps.push_back({16, i, Fill::kQueue});
    ScriptedSource source(steps);
    WaveFeeder feeder(output);
    WaveFeeder::Options options;
    options.bufferBytes = 16;
    ASSERT_TRUE(feeder.Open(PcmFormat::Pcm16(1, 8000), source, options));
    feeder.Run();
    ASSERT_TRUE(output.WaitForWrites(4));
    std::this_thread::sleep_for(30ms);  // the feeder goes to sleep
    ASSERT_TRUE(output.CompleteOldest());
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(output.WriteCount(), 4u);  // one buffer back: it sleeps on
    ASSERT_TRUE(output.CompleteOldest());
    ASSERT_TRUE(output.WaitForWrites(6));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(output.WriteCount(), 6u);
    EXPECT_EQ(source.calls, 6);
}

TEST(WaveFeeder, AnEmptyStreamStillEnds) {
    test::FakeWaveOutput output(true);
    ScriptedSource empty({{0, 0, Fill::kEnded}});
    std::atomic<int> playedOut{0};
    WaveFeeder feeder(output);
    WaveFeeder::Options options;
    options.bufferBytes = 64;
    options.onPlayedOut = [&] { ++playedOut; };
    ASSERT_TRUE(feeder.Open(PcmFormat::Pcm16(2, 44100), empty, options));
    feeder.Run();
    ASSERT_TRUE(WaitUntil([&] { return playedOut == 1; }));
    EXPECT_EQ(output.WriteCount(), 0u);
}

}  // namespace
}  // namespace hgf
