// Audio queues under the manual clock: output buffers reach the device and come back in order,
// off the main thread, one buffer's duration apart; input buffers fill from pushed PCM then
// silence; the queues count as idle only once every callback the clock brought due has returned;
// stop and dispose are safe while a callback runs and no callback follows them.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/foundation/clock.h"
#include "platform/foundation/thread.h"
#include "platform/media/audio_queue.h"
#include "platform/media/backends.h"
#include "platform/media/testing/memory_device.h"
#include "platform/media/testing/queue_driver.h"

namespace media {
namespace {

constexpr uint32_t kBufferBytes = 2048;
constexpr double kBufferSeconds = 2048.0 / (2 * 8000.0); // 0.128 s at 8 kHz, 16-bit mono

// What the callbacks saw, with a bounded wait for them to arrive.
struct Calls {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<AudioQueueBuffer*> buffers;
    std::vector<double> times;
    std::vector<uint32_t> packets;
    std::vector<fnd::Bytes> data;
    bool offMain = true;
    std::thread::id thread;

    void record(AudioQueueBuffer* b, uint32_t packetCount) {
        std::lock_guard lock(mutex);
        buffers.push_back(b);
        times.push_back(fnd::Clock::monotonic());
        packets.push_back(packetCount);
        data.emplace_back(b->audioData, b->audioData + b->audioDataByteSize);
        offMain = offMain && !fnd::isMainThread();
        thread = std::this_thread::get_id();
        cv.notify_all();
    }
    bool waitFor(size_t n) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(5), [&] { return buffers.size() >= n; });
    }
    size_t count() {
        std::lock_guard lock(mutex);
        return buffers.size();
    }
};

class AudioQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        device_ = std::make_shared<testing::MemoryDevice>();
        installAudioDevice(device_);
    }
    void TearDown() override {
        installAudioDevice(nullptr);
        fnd::Clock::install(nullptr);
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<testing::MemoryDevice> device_;
};

TEST_F(AudioQueueTest, OutputPlaysBuffersInOrderAtTheirRateOffTheMainThread) {
    Calls calls;
    auto queue = AudioQueue::newOutput(StreamFormat::voice(), [&](AudioQueue&, AudioQueueBuffer* b) {
                     calls.record(b, 0);
                 }).value();
    std::vector<AudioQueueBuffer*> buffers;
    fnd::Bytes expected;
    for (int i = 0; i < 5; ++i) {
        AudioQueueBuffer* b = queue->allocateBuffer(kBufferBytes);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->audioDataBytesCapacity, kBufferBytes);
        for (uint32_t k = 0; k < kBufferBytes; ++k) {
            b->audioData[k] = static_cast<uint8_t>(i * 37 + k);
        }
        b->audioDataByteSize = kBufferBytes;
        expected.insert(expected.end(), b->audioData, b->audioData + kBufferBytes);
        ASSERT_EQ(queue->enqueueBuffer(b), Status::Ok);
        buffers.push_back(b);
    }
    EXPECT_EQ(queue->enqueueBuffer(buffers[0]), Status::BufferInQueue);
    const double start = clock_->monotonicTime();
    ASSERT_EQ(queue->start(), Status::Ok);
    for (size_t i = 1; i <= 5; ++i) {
        // Half a buffer's time is not enough for the next callback; the full time is.
        clock_->advance(kBufferSeconds / 2);
        clock_->advanceTo(start + static_cast<double>(i) * kBufferSeconds);
        ASSERT_TRUE(calls.waitFor(i)) << "buffer " << i;
        EXPECT_DOUBLE_EQ(calls.times[i - 1], start + static_cast<double>(i) * kBufferSeconds) << "buffer " << i;
    }
    EXPECT_EQ(calls.buffers, buffers);
    EXPECT_TRUE(calls.offMain);
    EXPECT_EQ(device_->output(queue->streamId()), expected);

    // With nothing enqueued the queue plays silence: a buffer enqueued later starts when it arrives.
    clock_->advance(1.0);
    const double late = clock_->monotonicTime();
    ASSERT_EQ(queue->setParameter(AudioQueueParam::Volume, 0.5f), Status::Ok);
    EXPECT_EQ(queue->setParameter(AudioQueueParam::Volume, 2.0f), Status::InvalidParameter);
    int16_t loud[2] = {1000, -1000};
    std::memcpy(buffers[0]->audioData, loud, sizeof loud);
    buffers[0]->audioDataByteSize = sizeof loud;
    ASSERT_EQ(queue->enqueueBuffer(buffers[0]), Status::Ok);
    clock_->advance(2.0 / 8000);
    ASSERT_TRUE(calls.waitFor(6));
    EXPECT_DOUBLE_EQ(calls.times[5], late + 2.0 / 8000);
    fnd::Bytes out = device_->output(queue->streamId());
    int16_t played[2];
    std::memcpy(played, out.data() + out.size() - sizeof played, sizeof played);
    EXPECT_EQ(played[0], 500);
    EXPECT_EQ(played[1], -500);

    buffers[1]->audioDataByteSize = 0;
    EXPECT_EQ(queue->enqueueBuffer(buffers[1]), Status::BufferEmpty);
    AudioQueueBuffer stranger{};
    EXPECT_EQ(queue->enqueueBuffer(&stranger), Status::InvalidBuffer);
    EXPECT_FALSE(AudioQueue::newOutput(StreamFormat{}, nullptr).ok());
}

TEST_F(AudioQueueTest, InputDeliversPushedPcmThenSilence) {
    Calls calls;
    auto queue = AudioQueue::newInput(StreamFormat::voice(), [&](AudioQueue& q, AudioQueueBuffer* b, uint32_t n) {
                     calls.record(b, n);
                     q.enqueueBuffer(b);
                 }).value();
    fnd::Bytes pushed(3000);
    for (size_t i = 0; i < pushed.size(); ++i) {
        pushed[i] = static_cast<uint8_t>(i % 251 + 1);
    }
    device_->pushInput(pushed);
    ASSERT_EQ(queue->enqueueBuffer(queue->allocateBuffer(kBufferBytes)), Status::Ok);
    ASSERT_EQ(queue->enqueueBuffer(queue->allocateBuffer(kBufferBytes + 1)), Status::Ok); // odd byte unused
    ASSERT_EQ(queue->start(), Status::Ok);
    clock_->advance(kBufferSeconds);
    ASSERT_TRUE(calls.waitFor(1));
    clock_->advance(kBufferSeconds);
    ASSERT_TRUE(calls.waitFor(2));
    clock_->advance(kBufferSeconds);
    ASSERT_TRUE(calls.waitFor(3));

    EXPECT_TRUE(calls.offMain);
    EXPECT_EQ(calls.packets, (std::vector<uint32_t>{1024, 1024, 1024}));
    EXPECT_EQ(calls.data[0], fnd::Bytes(pushed.begin(), pushed.begin() + 2048));
    fnd::Bytes second(pushed.begin() + 2048, pushed.end());
    second.resize(2048, 0);
    EXPECT_EQ(calls.data[1], second);
    EXPECT_EQ(calls.data[2], fnd::Bytes(2048, 0));
    EXPECT_EQ(device_->pendingInput(), 0u);
}

TEST_F(AudioQueueTest, QueuesAreIdleOnlyOnceTheCallbacksTheClockBroughtDueHaveReturned) {
    std::mutex mutex;
    std::condition_variable cv;
    bool release = false;
    int entered = 0, returned = 0;
    auto queue = AudioQueue::newInput(StreamFormat::voice(), [&](AudioQueue& q, AudioQueueBuffer* b, uint32_t) {
                     std::unique_lock lock(mutex);
                     ++entered;
                     cv.notify_all();
                     cv.wait(lock, [&] { return release; });
                     ++returned;
                     q.enqueueBuffer(b);
                 }).value();
    ASSERT_EQ(queue->enqueueBuffer(queue->allocateBuffer(kBufferBytes)), Status::Ok);
    ASSERT_EQ(queue->enqueueBuffer(queue->allocateBuffer(kBufferBytes)), Status::Ok);
    ASSERT_EQ(queue->start(), Status::Ok);
    ASSERT_TRUE(testing::settleQueues()); // waiting for the clock

    clock_->advance(kBufferSeconds);
    EXPECT_FALSE(AudioQueue::allIdle()); // a buffer is due
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return entered == 1; }));
    }
    EXPECT_FALSE(testing::settleQueues(0.05)); // its callback holds on
    {
        std::lock_guard lock(mutex);
        release = true;
        cv.notify_all();
    }
    ASSERT_TRUE(testing::settleQueues());
    EXPECT_EQ(returned, 1); // the second buffer is not due yet
    clock_->advance(2 * kBufferSeconds);
    ASSERT_TRUE(testing::settleQueues());
    EXPECT_EQ(returned, 3); // the second, then the first again
    queue->dispose();
    EXPECT_TRUE(AudioQueue::allIdle());
}

TEST_F(AudioQueueTest, StopAndDisposeAreSafeDuringACallbackAndNothingFollows) {
    enum class Action { Stop, Dispose };
    for (Action action : {Action::Stop, Action::Dispose}) {
        for (bool fromInside : {false, true}) {
            SCOPED_TRACE(std::string(action == Action::Stop ? "stop" : "dispose") +
                         (fromInside ? " inside" : " outside"));
            std::mutex mutex;
            std::condition_variable cv;
            bool entered = false, release = false;
            std::vector<std::string> events;
            Calls calls;
            auto act = [&](AudioQueue& q) {
                if (action == Action::Stop) {
                    EXPECT_EQ(q.stop(Immediate::Yes), Status::Ok);
                } else {
                    q.dispose();
                }
            };
            auto queue = AudioQueue::newOutput(StreamFormat::voice(), [&](AudioQueue& q, AudioQueueBuffer* b) {
                             if (fromInside) {
                                 act(q);
                             } else {
                                 std::unique_lock lock(mutex);
                                 entered = true;
                                 cv.notify_all();
                                 cv.wait(lock, [&] { return release; });
                                 events.push_back("callback returned");
                             }
                             // The buffer stays usable until this callback returns.
                             b->audioData[0] = 1;
                             calls.record(b, 0);
                         }).value();
            for (int i = 0; i < 3; ++i) {
                AudioQueueBuffer* b = queue->allocateBuffer(kBufferBytes);
                b->audioDataByteSize = kBufferBytes;
                ASSERT_EQ(queue->enqueueBuffer(b), Status::Ok);
            }
            ASSERT_EQ(queue->start(), Status::Ok);
            clock_->advance(kBufferSeconds);
            if (!fromInside) {
                {
                    std::unique_lock lock(mutex);
                    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return entered; }));
                }
                std::thread other([&] {
                    act(*queue);
                    std::lock_guard lock(mutex);
                    events.push_back("returned");
                });
                {
                    std::lock_guard lock(mutex);
                    release = true;
                    cv.notify_all();
                }
                other.join();
                EXPECT_EQ(events, (std::vector<std::string>{"callback returned", "returned"}));
            } else {
                ASSERT_TRUE(calls.waitFor(1));
            }
            // Time enough for the two buffers left; none of them may come back.
            clock_->advance(3 * kBufferSeconds);
            queue->dispose();
            EXPECT_EQ(calls.count(), 1u);
            EXPECT_FALSE(queue->isRunning());
            EXPECT_EQ(queue->start(), Status::Disposed);
        }
    }
}

} // namespace
} // namespace media
