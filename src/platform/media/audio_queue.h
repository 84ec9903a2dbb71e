// Audio queues: a playback or recording stream of linear PCM fed through caller-allocated buffers.
// Each queue owns a thread on which its callbacks run; the queue paces its buffers by the
// process clock and exchanges their bytes with the installed sound device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/error.h"
#include "platform/foundation/thread.h"
#include "platform/media/audio_device.h"
#include "platform/media/status.h"
#include "platform/media/stream_format.h"

namespace media {

// One buffer of a queue. The queue owns the memory; the pointer stays valid until dispose().
struct AudioQueueBuffer {
    uint8_t* audioData = nullptr;
    uint32_t audioDataBytesCapacity = 0;
    // Output: the bytes to play. Input: set by the queue to the bytes recorded.
    uint32_t audioDataByteSize = 0;
};

enum class Immediate { No, Yes };
enum class AudioQueueParam { Volume = 1 };

class AudioQueue {
public:
    // Called on the queue's thread with a buffer that has finished playing (free to refill).
    using OutputCallback = std::function<void(AudioQueue& queue, AudioQueueBuffer* buffer)>;
    // Called on the queue's thread with a buffer just filled, and the packets it holds.
    using InputCallback = std::function<void(AudioQueue& queue, AudioQueueBuffer* buffer, uint32_t packets)>;

    // A stopped queue with its thread running. Fails for a format that cannot be paced.
    static fnd::Result<std::shared_ptr<AudioQueue>> newOutput(const StreamFormat& format, OutputCallback callback);
    static fnd::Result<std::shared_ptr<AudioQueue>> newInput(const StreamFormat& format, InputCallback callback);

    // Disposes the queue.
    ~AudioQueue();
    AudioQueue(const AudioQueue&) = delete;
    AudioQueue& operator=(const AudioQueue&) = delete;

    // A buffer of `capacity` bytes (zeroed), or null when the capacity is 0 or above 16 MiB or
    // the queue is disposed.
    AudioQueueBuffer* allocateBuffer(uint32_t capacity);

    // Appends a buffer of this queue. Output buffers play `audioDataByteSize` bytes; input
    // buffers are filled to their capacity (whole frames). Buffers play or fill in the order
    // enqueued; while none is waiting, an output queue plays silence and calls nothing.
    Status enqueueBuffer(AudioQueueBuffer* buffer);

    // Starts (or resumes) playing or recording from the current clock time; the queue takes the
    // sound device installed at this moment.
    Status start();
    // Immediate::Yes drops the waiting buffers and returns once no callback is running; no
    // callback runs after it returns (from inside a callback: none after that one). Immediate::No
    // lets the waiting buffers finish and refuses new ones meanwhile.
    Status stop(Immediate immediate);
    // Stops at once, ends the thread and frees the buffers. Safe while a callback runs, also from
    // inside one; then the buffers are freed once that callback returns. Later calls do nothing.
    void dispose();

    // Volume, 0...1 (scales 16-bit output on its way to the device).
    Status setParameter(AudioQueueParam param, float value);
    float parameter(AudioQueueParam param) const;

    bool isRunning() const;
    bool isInput() const;
    const StreamFormat& format() const;
    // The id this queue writes and reads under at the sound device.
    StreamId streamId() const;

    // True when no queue's thread is running a callback or has a buffer due by the clock, nor a stop or
    // dispose to finish: every callback the clock has brought due has returned. For test drivers
    // (media/testing/queue_driver.h), as RunLoop::othersIdle is for loops.
    static bool allIdle();

    struct State;

private:
    AudioQueue(std::shared_ptr<State> state);
    static fnd::Result<std::shared_ptr<AudioQueue>> create(std::shared_ptr<State> state);

    std::shared_ptr<State> state_;
    fnd::Thread thread_;
};

} // namespace media
