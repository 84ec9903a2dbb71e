// The audio queue's thread: it waits for the clock to reach the end of the front buffer, moves
// the bytes to or from the sound device, then calls back with the buffer. Stop and dispose
// coordinate with a running callback through `inCallback`.
#include "platform/media/audio_queue.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/media/backends.h"

namespace media {

namespace {

constexpr uint32_t kMaxBufferBytes = 16u << 20;

struct Slot {
    AudioQueueBuffer buffer;
    std::unique_ptr<uint8_t[]> storage;
};

// The state of every queue whose thread may still run, for AudioQueue::allIdle.
struct Registry {
    std::mutex mutex;
    std::vector<std::weak_ptr<AudioQueue::State>> states;
};

Registry& registry() {
    static auto* shared = new Registry; // never destroyed: queue threads may outlive static destruction
    return *shared;
}

} // namespace

struct AudioQueue::State {
    std::mutex mutex;
    std::condition_variable cv;

    bool input = false;
    StreamFormat format;
    OutputCallback outputCallback;
    InputCallback inputCallback;
    StreamId stream = 0;
    AudioQueue* owner = nullptr;

    std::vector<std::unique_ptr<Slot>> buffers;
    std::deque<AudioQueueBuffer*> queued;
    std::shared_ptr<AudioDevice> device;
    float volume = 1.0f;

    bool running = false;
    bool stopping = false;
    bool disposed = false;
    bool inCallback = false;
    bool parked = false; // the thread waits on `cv`
    std::thread::id thread;

    // Clock time at which the front buffer starts: the start time, then the end of the buffer
    // before, or the time a buffer arrived at a queue that had run empty (it played silence).
    double cursor = 0;
    const fnd::Clock* clock = nullptr;

    bool owns(const AudioQueueBuffer* buffer) const {
        return std::any_of(buffers.begin(), buffers.end(), [&](const auto& s) { return &s->buffer == buffer; });
    }

    // Bytes the front buffer moves: what it holds for output, whole frames of its capacity for input.
    uint32_t bytesFor(const AudioQueueBuffer& b) const {
        return input ? b.audioDataBytesCapacity - b.audioDataBytesCapacity % format.bytesPerFrame : b.audioDataByteSize;
    }

    // Waits on `cv` until notified, or for at most `seconds` when that is not negative.
    void park(std::unique_lock<std::mutex>& lock, double seconds = -1) {
        parked = true;
        if (seconds < 0) {
            cv.wait(lock);
        } else {
            cv.wait_for(lock, std::chrono::duration<double>(seconds));
        }
        parked = false;
    }
    // No callback runs and none will until the clock moves or the queue is told something. Under `mutex`.
    bool idleLocked() const;

    void run();
    void transfer(AudioQueueBuffer* buffer, uint32_t bytes, const std::shared_ptr<AudioDevice>& dev, float vol);
};

void AudioQueue::State::transfer(AudioQueueBuffer* buffer, uint32_t bytes, const std::shared_ptr<AudioDevice>& dev,
                                 float vol) {
    if (input) {
        dev->read(stream, format, std::span<uint8_t>(buffer->audioData, bytes));
        buffer->audioDataByteSize = bytes;
        return;
    }
    std::span<const uint8_t> data(buffer->audioData, bytes);
    if (vol >= 1.0f || !format.isSigned16()) {
        dev->write(stream, format, data);
        return;
    }
    // Scale a copy, so the caller's buffer stays as it wrote it.
    std::vector<uint8_t> scaled(data.begin(), data.end());
    for (size_t i = 0; i + 1 < scaled.size(); i += 2) {
        int16_t sample;
        std::memcpy(&sample, &scaled[i], 2);
        sample = static_cast<int16_t>(static_cast<float>(sample) * vol);
        std::memcpy(&scaled[i], &sample, 2);
    }
    dev->write(stream, format, scaled);
}

void AudioQueue::State::run() {
    std::unique_lock lock(mutex);
    thread = std::this_thread::get_id();
    while (!disposed) {
        if (running && stopping && queued.empty()) {
            running = false;
            stopping = false;
            cv.notify_all();
            continue;
        }
        if (!running || queued.empty()) {
            park(lock);
            continue;
        }
        fnd::Clock& clk = fnd::Clock::current();
        const double now = clk.monotonicTime();
        if (&clk != clock) {
            clock = &clk; // a new clock's readings do not compare with the old one's
            cursor = now;
        }
        AudioQueueBuffer* buffer = queued.front();
        const uint32_t bytes = bytesFor(*buffer);
        const double end = cursor + format.secondsFor(bytes);
        // A nanosecond of slack, so a clock moved in steps that sum to the end counts as there.
        if (now < end - 1e-9) {
            // Under a manual clock, the clock waiter wakes the thread when the clock moves.
            park(lock, clk.isManual() ? -1 : end - now);
            continue;
        }
        queued.pop_front();
        cursor = end;
        inCallback = true;
        auto dev = device;
        const float vol = volume;
        AudioQueue* queue = owner;
        lock.unlock();
        transfer(buffer, bytes, dev, vol);
        if (queue != nullptr) {
            if (input) {
                if (inputCallback) {
                    inputCallback(*queue, buffer, bytes / format.bytesPerPacket);
                }
            } else if (outputCallback) {
                outputCallback(*queue, buffer);
            }
        }
        lock.lock();
        inCallback = false;
        cv.notify_all();
    }
    // Disposed from inside a callback: the buffers outlived it until now.
    queued.clear();
    buffers.clear();
    cv.notify_all();
}

bool AudioQueue::State::idleLocked() const {
    if (inCallback) {
        return false;
    }
    if (disposed || (parked && !running)) {
        return true;
    }
    if (!parked) {
        return false; // between two buffers, or not yet waiting
    }
    if (queued.empty()) {
        return !stopping; // a stop in progress ends on the thread
    }
    // The front buffer: due once the clock has reached its end, as run() reckons it.
    const fnd::Clock& clk = fnd::Clock::current();
    const double now = clk.monotonicTime();
    const double start = &clk == clock ? cursor : now;
    return now < start + format.secondsFor(bytesFor(*queued.front())) - 1e-9;
}

bool AudioQueue::allIdle() {
    std::vector<std::shared_ptr<State>> states;
    {
        Registry& shared = registry();
        std::lock_guard lock(shared.mutex);
        std::erase_if(shared.states, [](const auto& weak) { return weak.expired(); });
        for (const auto& weak : shared.states) {
            if (auto state = weak.lock()) {
                states.push_back(std::move(state));
            }
        }
    }
    return std::all_of(states.begin(), states.end(), [](const auto& state) {
        std::lock_guard lock(state->mutex);
        return state->idleLocked();
    });
}

fnd::Result<std::shared_ptr<AudioQueue>> AudioQueue::newOutput(const StreamFormat& format, OutputCallback callback) {
    auto state = std::make_shared<State>();
    state->format = format;
    state->outputCallback = std::move(callback);
    return create(std::move(state));
}

fnd::Result<std::shared_ptr<AudioQueue>> AudioQueue::newInput(const StreamFormat& format, InputCallback callback) {
    auto state = std::make_shared<State>();
    state->input = true;
    state->format = format;
    state->inputCallback = std::move(callback);
    return create(std::move(state));
}

fnd::Result<std::shared_ptr<AudioQueue>> AudioQueue::create(std::shared_ptr<State> state) {
    if (!state->format.isValid()) {
        return fnd::Error("media.AudioQueue", static_cast<int64_t>(Status::InvalidFormat),
                          std::string_view("The stream format has no usable rate or frame size."));
    }
    state->stream = nextStreamId();
    {
        Registry& shared = registry();
        std::lock_guard lock(shared.mutex);
        std::erase_if(shared.states, [](const auto& weak) { return weak.expired(); });
        shared.states.push_back(state);
    }
    return std::shared_ptr<AudioQueue>(new AudioQueue(std::move(state)));
}

AudioQueue::AudioQueue(std::shared_ptr<State> state)
    : state_(std::move(state)), thread_([s = state_] {
          auto token = fnd::Clock::addWaiter([s] {
              std::lock_guard lock(s->mutex);
              s->cv.notify_all();
          });
          s->run();
          fnd::Clock::removeWaiter(token);
      }) {
    state_->owner = this;
    thread_.setName(
        fnd::format(state_->input ? "audio in %lld" : "audio out %lld", static_cast<long long>(state_->stream)));
    thread_.start();
}

AudioQueue::~AudioQueue() {
    dispose();
}

AudioQueueBuffer* AudioQueue::allocateBuffer(uint32_t capacity) {
    if (capacity == 0 || capacity > kMaxBufferBytes) {
        ZLOG(Warn, "AudioQueue: refused a buffer of %u bytes", capacity);
        return nullptr;
    }
    std::lock_guard lock(state_->mutex);
    if (state_->disposed) {
        return nullptr;
    }
    auto slot = std::make_unique<Slot>();
    slot->storage = std::make_unique<uint8_t[]>(capacity); // zeroed
    slot->buffer.audioData = slot->storage.get();
    slot->buffer.audioDataBytesCapacity = capacity;
    state_->buffers.push_back(std::move(slot));
    return &state_->buffers.back()->buffer;
}

Status AudioQueue::enqueueBuffer(AudioQueueBuffer* buffer) {
    State& s = *state_;
    std::lock_guard lock(s.mutex);
    if (s.disposed) {
        return Status::Disposed;
    }
    if (buffer == nullptr || !s.owns(buffer) || buffer->audioDataByteSize > buffer->audioDataBytesCapacity) {
        return Status::InvalidBuffer;
    }
    if (s.bytesFor(*buffer) == 0) {
        return Status::BufferEmpty; // nothing to play, or too small for one frame
    }
    if (std::find(s.queued.begin(), s.queued.end(), buffer) != s.queued.end()) {
        return Status::BufferInQueue;
    }
    if (s.stopping) {
        return Status::Stopping;
    }
    if (s.running && s.queued.empty() && !s.inCallback) {
        // The queue ran dry and played silence meanwhile: this buffer starts now. One enqueued
        // from a callback follows on straight after the buffer that just finished.
        s.cursor = std::max(s.cursor, fnd::Clock::monotonic());
    }
    s.queued.push_back(buffer);
    s.cv.notify_all();
    return Status::Ok;
}

Status AudioQueue::start() {
    State& s = *state_;
    auto device = audioDevice();
    std::lock_guard lock(s.mutex);
    if (s.disposed) {
        return Status::Disposed;
    }
    if (!s.running) {
        s.device = std::move(device);
        s.clock = &fnd::Clock::current();
        s.cursor = s.clock->monotonicTime(); // the first buffer starts now
    }
    s.running = true;
    s.stopping = false;
    s.cv.notify_all();
    return Status::Ok;
}

Status AudioQueue::stop(Immediate immediate) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    if (s.disposed) {
        return Status::Disposed;
    }
    if (immediate == Immediate::No) {
        if (s.running) {
            s.stopping = true;
            s.cv.notify_all();
        }
        return Status::Ok;
    }
    s.running = false;
    s.stopping = false;
    s.queued.clear();
    s.cv.notify_all();
    if (std::this_thread::get_id() != s.thread) {
        s.cv.wait(lock, [&] { return !s.inCallback; });
    }
    return Status::Ok;
}

void AudioQueue::dispose() {
    State& s = *state_;
    bool onQueueThread = false;
    {
        std::unique_lock lock(s.mutex);
        if (s.disposed) {
            return;
        }
        s.disposed = true;
        s.running = false;
        s.stopping = false;
        s.queued.clear();
        s.owner = nullptr;
        s.cv.notify_all();
        onQueueThread = std::this_thread::get_id() == s.thread;
        if (!onQueueThread) {
            s.cv.wait(lock, [&] { return !s.inCallback; });
            s.buffers.clear();
        }
    }
    if (!onQueueThread) {
        thread_.join();
    }
}

Status AudioQueue::setParameter(AudioQueueParam param, float value) {
    if (param != AudioQueueParam::Volume || !(value >= 0.0f && value <= 1.0f)) {
        return Status::InvalidParameter;
    }
    std::lock_guard lock(state_->mutex);
    state_->volume = value;
    return Status::Ok;
}

float AudioQueue::parameter(AudioQueueParam) const {
    std::lock_guard lock(state_->mutex);
    return state_->volume;
}

bool AudioQueue::isRunning() const {
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

bool AudioQueue::isInput() const {
    return state_->input;
}

const StreamFormat& AudioQueue::format() const {
    return state_->format;
}

StreamId AudioQueue::streamId() const {
    return state_->stream;
}

} // namespace media
