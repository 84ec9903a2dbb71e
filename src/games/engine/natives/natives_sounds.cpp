// Natives of sounds: a game file opened as a ZLVAudioPlayer kept in the core's sounds, and play,
// pause, stop, destroy, state, duration, position and seeking on it. A sound that the script destroyed
// (or that is no longer in the list) is left alone.
#include <algorithm>
#include <cmath>

#include "games/engine/natives/native_objects.h"
#include "games/engine/natives/natives.h"
#include "games/engine/natives/zlv_audio_player.h"
#include "games/engine/stl_script_core.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;

// 111: file path: a native object holding a new sound, or null.
ScriptValue createSound(STLScriptCore& core, Args args) {
    ZData* path = dataOf(arg(args, 0));
    if (path == nullptr) {
        Tracer::sharedTracer().output(__FILE__, __LINE__, "execute", 3, "file path is null on creating audio");
        return kNoValue;
    }
    std::optional<std::string> resolved = natives::gameFile(core, natives::textOf(*path));
    if (!resolved) {
        return kNoValue;
    }
    std::shared_ptr<ZLVAudioPlayer> sound = ZLVAudioPlayer::initWithFilestr(*resolved);
    if (sound == nullptr) {
        return kNoValue;
    }
    core.sounds.push_back(sound);
    return valueOf(core.pool().newNSObject(fnd::Value(std::move(sound))));
}

// The platform player of the sound argument when the sound is live: in the core's list and not
// destroyed.
std::shared_ptr<ZLVAudioPlayer> liveSound(STLScriptCore& core, Args args) {
    std::shared_ptr<ZLVAudioPlayer> sound = nativeObject<ZLVAudioPlayer>(arg(args, 0));
    if (sound == nullptr || sound->destroy() || sound->player() == nullptr ||
        std::find(core.sounds.begin(), core.sounds.end(), sound) == core.sounds.end()) {
        return nullptr;
    }
    return sound;
}

// 112: sound [, loops]: plays.
ScriptValue playSound(STLScriptCore& core, Args args) {
    if (std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args)) {
        if (args.size() > 1) {
            sound->player()->setNumberOfLoops(intArg(args, 1));
        }
        sound->player()->play();
    }
    return kNoValue;
}

ScriptValue pauseSound(STLScriptCore& core, Args args) {
    if (std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args)) {
        sound->player()->pause();
    }
    return kNoValue;
}

ScriptValue stopSound(STLScriptCore& core, Args args) {
    if (std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args)) {
        sound->player()->stop();
    }
    return kNoValue;
}

// 115: sound: stops it and takes it out of the list; later calls on it do nothing.
ScriptValue destroySound(STLScriptCore& core, Args args) {
    if (std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args)) {
        sound->setDestroy(true);
        if (sound->player()->isPlaying()) {
            sound->player()->stop();
        }
        std::erase(core.sounds, std::shared_ptr<fnd::Object>(sound));
    }
    return kNoValue;
}

ScriptValue soundPlaying(STLScriptCore& core, Args args) {
    std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args);
    return sound == nullptr ? kNoValue : fromInt(sound->player()->isPlaying() ? 1 : 0);
}

ScriptValue wholeSeconds(double seconds) {
    return fromInt(static_cast<int32_t>(std::clamp(std::trunc(seconds), -2147483648.0, 2147483647.0)));
}

ScriptValue soundDuration(STLScriptCore& core, Args args) {
    std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args);
    return sound == nullptr ? kNoValue : wholeSeconds(sound->player()->duration());
}

ScriptValue soundPosition(STLScriptCore& core, Args args) {
    std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args);
    return sound == nullptr ? kNoValue : wholeSeconds(sound->player()->currentTime());
}

ScriptValue prepareSound(STLScriptCore& core, Args args) {
    if (std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args)) {
        sound->player()->prepareToPlay();
    }
    return kNoValue;
}

// 120: sound, seconds: prepares it and moves to that position.
ScriptValue seekSound(STLScriptCore& core, Args args) {
    if (std::shared_ptr<ZLVAudioPlayer> sound = liveSound(core, args)) {
        sound->player()->prepareToPlay();
        sound->player()->setCurrentTime(intArg(args, 1));
    }
    return kNoValue;
}

} // namespace

void registerSoundNatives(NativeTable& table) {
    table.registerNative(111, createSound);
    table.registerNative(112, playSound);
    table.registerNative(113, pauseSound);
    table.registerNative(114, stopSound);
    table.registerNative(115, destroySound);
    table.registerNative(116, soundPlaying);
    table.registerNative(117, soundDuration);
    table.registerNative(118, soundPosition);
    table.registerNative(119, prepareSound);
    table.registerNative(120, seekSound);
}

} // namespace zelvan
