// A test driver for audio queues under the manual clock: after the clock moves, it waits for the queues'
// threads to catch up, so a test reads what every callback brought due has done.
#pragma once

namespace media::testing {

// Waits, for at most `realTimeout` seconds of real time, until every audio queue's thread is idle: no
// callback running and no buffer due by the clock (AudioQueue::allIdle). Returns false (and logs) on timeout.
bool settleQueues(double realTimeout = 5.0);

} // namespace media::testing
