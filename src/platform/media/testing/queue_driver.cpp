// Polls the audio queues' idleness until it holds or the real-time limit passes.
#include "platform/media/testing/queue_driver.h"

#include <chrono>
#include <thread>

#include "platform/foundation/log.h"
#include "platform/media/audio_queue.h"

namespace media::testing {

bool settleQueues(double realTimeout) {
    using std::chrono::steady_clock;
    const auto deadline = steady_clock::now() + std::chrono::duration<double>(realTimeout);
    while (!AudioQueue::allIdle()) {
        if (steady_clock::now() >= deadline) {
            ZLOG(Warn, "settleQueues: audio queues still busy after %f s", realTimeout);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace media::testing
