// Result codes of the audio session and audio queue calls; Ok is 0 as callers compare against it.
#pragma once

namespace media {

enum class Status {
    Ok = 0,
    InvalidFormat,    // a stream format no queue can pace
    InvalidBuffer,    // not a buffer of this queue, or more bytes than it holds
    BufferEmpty,      // an output buffer with nothing to play
    BufferInQueue,    // the buffer is already waiting in the queue
    Stopping,         // the queue is finishing what it holds and takes no more
    Disposed,         // the queue has been disposed
    InvalidParameter, // unknown parameter or value out of range
    Interrupted,      // the session cannot become active during an interruption
};

} // namespace media
