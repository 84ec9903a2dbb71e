// The voice call engine's stream side: the relay connection and its greeting, the send queue, the
// audio queues with their recording and playback callbacks, and the hang-up.
#include "messaging/voice/zelvan_voip.h"

#include <cstring>

#include "core/localization.h"
#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_controller.h"
#include "messaging/voice/mulaw_codec.h"
#include "messaging/voice/voip_view.h"
#include "platform/foundation/format.h"
#include "platform/media/audio_session.h"
#include "protocol/tracer.h"

namespace zelvan {

std::shared_ptr<ZelvanVoip> ZelvanVoip::makeForDelegate(zelvanAppDelegate& delegate) {
    return std::make_shared<ZelvanVoip>(delegate.weak_from_this());
}

ZelvanVoip::ZelvanVoip(std::weak_ptr<zelvanAppDelegate> delegate) : delegate_(std::move(delegate)) {}

ZelvanVoip::~ZelvanVoip() {
    // No callback may reach this object once it is gone.
    disposeQueues();
    if (voipCon_) {
        voipCon_->setDelegate({});
        voipCon_->invalidate();
    }
}

VoipCall ZelvanVoip::call() const {
    std::lock_guard lock(callMutex_);
    return call_;
}

void ZelvanVoip::setCall(VoipCall call) {
    std::lock_guard lock(callMutex_);
    call_ = std::move(call);
}

void ZelvanVoip::onMainInline(std::function<void(ZelvanVoip&)> work) {
    zelvan::onMainInline([self = shared_from_this(), work = std::move(work)] { work(*self); });
}

void ZelvanVoip::withBanner(std::function<void(VoipView&)> work) {
    onMainInline([work = std::move(work)](ZelvanVoip& self) {
        if (self.voipView_) {
            work(*self.voipView_);
        }
    });
}

std::shared_ptr<VoipView> ZelvanVoip::voipView() const {
    return voipView_;
}

std::shared_ptr<IMController> ZelvanVoip::messenger() const {
    auto delegate = app();
    return delegate ? std::dynamic_pointer_cast<IMController>(delegate->im()) : nullptr;
}

// --- The relay connection ---

void ZelvanVoip::connect() {
    startNewConnection_.store(false, std::memory_order_release);
    shouldStop_.store(false, std::memory_order_release);
    readyToSendVoice_.store(false, std::memory_order_release);
    {
        // Chunks of an earlier call must not go out ahead of this call's greeting.
        std::lock_guard lock(sendMutex_);
        sendBuf_.clear();
    }
    if (voipCon_) {
        // A new call while one runs: the old relay connection is dropped without reports.
        voipCon_->setDelegate({});
        voipCon_->invalidate();
        voipCon_.reset();
    }
    const VoipCall current = call();
    conStatus_.store(kOpening, std::memory_order_release);
    voipCon_ = std::make_shared<TCPConnection>(current.voipServer.value_or(std::string()), current.voipPort,
                                               TCPConnection::kFormatRaw);
    voipCon_->setDelegate(weak_from_this());
}

void ZelvanVoip::sendData(const fnd::Bytes& chunk) {
    {
        std::lock_guard lock(sendMutex_);
        sendBuf_.push_back(chunk);
    }
    wakeNetworkLoop();
}

void ZelvanVoip::setWakeUp(std::function<void()> wakeUp) {
    std::lock_guard lock(wakeUpMutex_);
    wakeUp_ = std::move(wakeUp);
}

void ZelvanVoip::wakeNetworkLoop() {
    std::lock_guard lock(wakeUpMutex_);
    if (wakeUp_) {
        wakeUp_();
    }
}

void ZelvanVoip::sendBufferedData() {
    if (!voipCon_) {
        return;
    }
    std::vector<fnd::Bytes> chunks;
    {
        std::lock_guard lock(sendMutex_);
        if (conStatus() != kOpen) {
            return;
        }
        chunks.swap(sendBuf_);
    }
    // Written outside the lock: a failed write closes the connection, whose report takes locks.
    for (const auto& chunk : chunks) {
        if (!voipCon_ || conStatus() != kOpen) {
            break;
        }
        voipCon_->sendRawData(chunk);
    }
    if (voipCon_) {
        voipCon_->sendDataInBuffer();
    }
}

void ZelvanVoip::connectionDidOpen(TCPConnection& conn) {
    if (&conn != voipCon_.get()) {
        return;
    }
    const VoipCall current = call();
    withBanner([name = current.username.value_or(std::string())](VoipView& banner) {
        banner.setContent(fnd::format(ZLS("Talking with %@"), name));
        banner.startTiming();
        banner.refresh();
    });
    conStatus_.store(kOpen, std::memory_order_release);
    // The greeting: the session key, the channel as a big-endian 32-bit number, a zero byte.
    auto delegate = app();
    const std::string key = delegate ? delegate->sessionKey().value_or(std::string()) : std::string();
    fnd::Bytes greeting(key.begin(), key.end());
    const auto channel = static_cast<uint32_t>(current.channelId);
    for (int shift = 24; shift >= 0; shift -= 8) {
        greeting.push_back(static_cast<uint8_t>(channel >> shift));
    }
    greeting.push_back(0);
    sendData(greeting);
    readyToSendVoice_.store(true, std::memory_order_release);
}

void ZelvanVoip::connectionDidFailOpening(TCPConnection& conn) {
    if (&conn != voipCon_.get()) {
        return;
    }
    conStatus_.store(kFailed, std::memory_order_release);
    readyToSendVoice_.store(false, std::memory_order_release);
    const VoipCall current = call();
    ZTRACE_WARN("the voice relay %@:%d could not be reached", current.voipServer.value_or(std::string()),
                static_cast<int>(current.voipPort));
    withBanner([name = current.username.value_or(std::string())](VoipView& banner) {
        banner.setContent(fnd::format(ZLS("Failed to call %@"), name));
        banner.stopTiming();
    });
}

void ZelvanVoip::connectionDidClose(TCPConnection& conn) {
    if (&conn != voipCon_.get()) {
        return;
    }
    conStatus_.store(kClosed, std::memory_order_release);
    readyToSendVoice_.store(false, std::memory_order_release);
    const std::optional<std::string> name = call().username;
    withBanner([name](VoipView& banner) {
        if (name) {
            banner.setContent(fnd::format(ZLS("Call with %@ ended"), *name));
        }
        banner.stopTiming();
        banner.setButtonTitle(ZLS("Close"));
        banner.refresh();
    });
}

void ZelvanVoip::connectionDidReceiveRawData(TCPConnection& conn, const uint8_t* data, size_t length) {
    if (&conn != voipCon_.get()) {
        return;
    }
    playBuffer_.append(data, length);
}

// --- Audio ---

void ZelvanVoip::startVOIP() {
    disposeQueues();
    playBuffer_.clear();
    auto& session = media::AudioSession::shared();
    session.setCategory(media::AudioSessionCategory::PlayAndRecord);
    auto output = media::AudioQueue::newOutput(
        media::StreamFormat::voice(),
        [this](media::AudioQueue& queue, media::AudioQueueBuffer* buffer) { playbackCallback(queue, buffer); });
    auto input = media::AudioQueue::newInput(media::StreamFormat::voice(),
                                             [this](media::AudioQueue& queue, media::AudioQueueBuffer* buffer,
                                                    uint32_t) { recordingCallback(queue, buffer); });
    if (!output || !input) {
        ZTRACE_WARN("the call's audio queues could not be made; the call runs without sound");
        return;
    }
    output_ = std::move(output).value();
    input_ = std::move(input).value();
    output_->setParameter(media::AudioQueueParam::Volume, 1.0f);
    input_->setParameter(media::AudioQueueParam::Volume, 1.0f);
    for (int i = 0; i < kBufferCount; ++i) {
        if (media::AudioQueueBuffer* buffer = output_->allocateBuffer(kBufferBytes)) {
            std::memset(buffer->audioData, 0, kBufferBytes);
            buffer->audioDataByteSize = kBufferBytes;
            playbackCallback(*output_, buffer);
        }
    }
    output_->start();
    for (int i = 0; i < kBufferCount; ++i) {
        if (media::AudioQueueBuffer* buffer = input_->allocateBuffer(kBufferBytes)) {
            input_->enqueueBuffer(buffer);
        }
    }
    input_->start();
    session.setActive(true);
}

void ZelvanVoip::playbackCallback(media::AudioQueue& queue, media::AudioQueueBuffer* buffer) {
    buffer->audioDataByteSize = playBuffer_.fill(buffer->audioData, buffer->audioDataBytesCapacity);
    queue.enqueueBuffer(buffer);
}

void ZelvanVoip::recordingCallback(media::AudioQueue& queue, media::AudioQueueBuffer* buffer) {
    const size_t n = buffer->audioDataByteSize / 2;
    samples_.resize(n);
    if (n > 0) {
        std::memcpy(samples_.data(), buffer->audioData, n * sizeof(int16_t));
    }
    fnd::Bytes chunk(n);
    const bool silent = mulaw::encodedata(chunk.data(), samples_.data(), n);
    if (!silent) {
        if (auto delegate = app()) {
            delegate->sendVoip(chunk);
        }
    }
    queue.enqueueBuffer(buffer);
}

void ZelvanVoip::disposeQueues() {
    for (auto* queue : {&input_, &output_}) {
        if (*queue) {
            (*queue)->stop(media::Immediate::Yes);
        }
    }
    for (auto* queue : {&input_, &output_}) {
        if (*queue) {
            (*queue)->dispose();
            queue->reset();
        }
    }
}

// --- Hang-up ---

void ZelvanVoip::stopVOIP() {
    VoipCall ended;
    {
        std::lock_guard lock(callMutex_);
        ended = call_;
        call_.voipServer.reset();
        call_.channelId = -1;
        call_.imId = -2;
        call_.username.reset();
        call_.userId = 0;
    }
    auto delegate = app();
    const bool friendCall = ended.imId == -1 && ended.userId != 0;
    const bool buddyCall = ended.imId >= 0 && ended.username.has_value();
    if (delegate && (friendCall || buddyCall)) {
        fnd::Value party = friendCall ? fnd::Value(ended.userId) : fnd::Value(*ended.username);
        delegate->send(fnd::Value::array({kCommand, ended.imId, party, kEnded}));
    }
    if (voipCon_) {
        const std::string partner = ended.imId == -1 ? std::to_string(ended.userId) : ended.username.value_or("");
        const std::optional<std::string> name = ended.username;
        onMainInline([ended, partner, name](ZelvanVoip& self) {
            const auto line = name ? std::optional<std::string>(fnd::format(ZLS("Call with %@ ended"), *name))
                                   : std::optional<std::string>(fnd::format(ZLS("Call with %@ ended"), ""));
            self.chatLine(ended.imId, partner, line, true);
            if (name && self.voipView_) {
                self.voipView_->setContent(*line);
            }
        });
        // Reported as closed with the call already reset, so no second "ended" text is written.
        voipCon_->invalidate();
        voipCon_.reset();
    }
    readyToSendVoice_.store(false, std::memory_order_release);
    shouldStop_.store(false, std::memory_order_release);
    startNewConnection_.store(false, std::memory_order_release);
    {
        std::lock_guard lock(sendMutex_);
        sendBuf_.clear();
    }
    withBanner([](VoipView& banner) {
        banner.stopTiming();
        banner.setButtonTitle(ZLS("Close"));
        banner.refresh();
    });
    disposeQueues();
    playBuffer_.clear();
    media::AudioSession::shared().setActive(false);
}

} // namespace zelvan
