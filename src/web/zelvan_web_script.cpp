// The pages' bridge object: argument checks for every page method, and the hand-over of each call to
// the target its module installed.
#include "web/zelvan_web_script.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "core/zjson.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "protocol/tracer.h"
#include "web/js_escape.h"
#include "web/web_context.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {
namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
// Frames further out than this are no place a strip can be seen.
constexpr double kMaxCoordinate = 100000;
// Languages and game names are short words; anything longer is not one.
constexpr size_t kMaxTextBytes = 1024;

// Reads one page call's arguments, logging the first one that is missing or of the wrong kind.
class PageArgs {
public:
    PageArgs(const char* method, const std::vector<fnd::Value>& values) : method_(method), values_(values) {}

    std::optional<int32_t> integer(size_t index, const char* what, int64_t min = kInt32Min,
                                   int64_t max = kInt32Max) const {
        const fnd::Value* value = at(index, what);
        if (value == nullptr) {
            return std::nullopt;
        }
        std::optional<int64_t> whole = value->asInt();
        if (!whole) {
            std::optional<double> number = value->asDouble();
            if (number && std::isfinite(*number) && std::trunc(*number) == *number &&
                std::fabs(*number) <= static_cast<double>(kInt32Max) + 1) {
                whole = static_cast<int64_t>(*number);
            }
        }
        if (!whole || *whole < min || *whole > max) {
            ZTRACE_WARN("Zelvan.%s: %s must be a whole number from %lld to %lld", method_, what,
                        static_cast<long long>(min), static_cast<long long>(max));
            return std::nullopt;
        }
        return static_cast<int32_t>(*whole);
    }

    std::optional<double> coordinate(size_t index, const char* what, double min) const {
        const fnd::Value* value = at(index, what);
        if (value == nullptr) {
            return std::nullopt;
        }
        std::optional<double> number = value->asDouble();
        if (std::optional<int64_t> whole = value->asInt()) {
            number = static_cast<double>(*whole);
        }
        if (!number || !std::isfinite(*number) || *number < min || *number > kMaxCoordinate) {
            ZTRACE_WARN("Zelvan.%s: %s must be a number from %f to %f", method_, what, min, kMaxCoordinate);
            return std::nullopt;
        }
        return number;
    }

    // A boolean, or a number read as JavaScript does (0 is false).
    std::optional<bool> flag(size_t index, const char* what) const {
        const fnd::Value* value = at(index, what);
        if (value == nullptr) {
            return std::nullopt;
        }
        if (std::optional<bool> b = value->asBool()) {
            return b;
        }
        if (std::optional<int64_t> whole = value->asInt()) {
            return *whole != 0;
        }
        if (std::optional<double> number = value->asDouble(); number && !std::isnan(*number)) {
            return *number != 0;
        }
        ZTRACE_WARN("Zelvan.%s: %s must be a boolean", method_, what);
        return std::nullopt;
    }

    std::optional<std::string> text(size_t index, const char* what, bool allowEmpty) const {
        const fnd::Value* value = at(index, what);
        if (value == nullptr) {
            return std::nullopt;
        }
        const std::string* s = value->asString();
        if (s == nullptr || s->size() > kMaxTextBytes || (!allowEmpty && s->empty())) {
            ZTRACE_WARN("Zelvan.%s: %s must be a%s string of at most %d bytes", method_, what,
                        allowEmpty ? "" : " non-empty", static_cast<int>(kMaxTextBytes));
            return std::nullopt;
        }
        return *s;
    }

    // The argument, or null when the page left it out.
    fnd::Value optional(size_t index) const { return index < values_.size() ? values_[index] : fnd::Value(); }

    const char* method() const { return method_; }

private:
    const fnd::Value* at(size_t index, const char* what) const {
        if (index >= values_.size()) {
            ZTRACE_WARN("Zelvan.%s: %s is missing", method_, what);
            return nullptr;
        }
        return &values_[index];
    }

    const char* method_;
    const std::vector<fnd::Value>& values_;
};

// The installed target, or null with a log line saying which call found none.
template <class T>
std::shared_ptr<T> requireTarget(std::shared_ptr<T> target, const char* method, const char* what) {
    if (!target) {
        ZTRACE_WARN("Zelvan.%s: no %s is installed; the call does nothing", method, what);
    }
    return target;
}

// The bridge targets of the application registry; none when no delegate is installed.
BridgeTargets bridgeTargets() {
    auto delegate = web::context();
    return delegate ? delegate->bridgeTargets() : BridgeTargets{};
}

} // namespace

std::shared_ptr<ZelvanWebScript> ZelvanWebScript::create(std::weak_ptr<WebPageHost> host) {
    std::shared_ptr<ZelvanWebScript> script(new ZelvanWebScript(std::move(host)));
    script->addPageMethods();
    return script;
}

ZelvanWebScript::ZelvanWebScript(std::weak_ptr<WebPageHost> host) : host_(std::move(host)) {}

void ZelvanWebScript::addPageMethods() {
    // Methods hold the bridge weakly: the bridge owns them, so a strong capture would never end.
    std::weak_ptr<ZelvanWebScript> weak = weak_from_this();
    auto method = [weak](fnd::Value (ZelvanWebScript::*member)(const std::vector<fnd::Value>&)) {
        return [weak, member](const std::vector<fnd::Value>& args) {
            std::shared_ptr<ZelvanWebScript> self = weak.lock();
            return self ? ((*self).*member)(args) : fnd::Value();
        };
    };
    auto simple = [weak](std::function<fnd::Value(ZelvanWebScript&, const std::vector<fnd::Value>&)> body) {
        return [weak, body = std::move(body)](const std::vector<fnd::Value>& args) {
            std::shared_ptr<ZelvanWebScript> self = weak.lock();
            return self ? body(*self, args) : fnd::Value();
        };
    };

    addMethod("gameScriptCall", method(&ZelvanWebScript::gameScriptCall));
    addMethod("showAvatarItemBar", method(&ZelvanWebScript::showAvatarItemBar));
    addMethod("findAvatar", method(&ZelvanWebScript::findAvatar));
    addMethod("showChat", method(&ZelvanWebScript::showChat));
    addMethod("showOffers", method(&ZelvanWebScript::showOffers));

    addMethod("avatarBarSelectButton", simple([](ZelvanWebScript& self, const std::vector<fnd::Value>& values) {
                  PageArgs args("avatarBarSelectButton", values);
                  auto index = args.integer(0, "index", 0);
                  auto select = args.flag(1, "select");
                  auto bar = self.requireAvatarItemBar(args.method());
                  if (index && select && bar) {
                      bar->selectButton(*index, *select);
                  }
                  return fnd::Value();
              }));
    addMethod("avatarBarScrollToItem", simple([](ZelvanWebScript& self, const std::vector<fnd::Value>& values) {
                  PageArgs args("avatarBarScrollToItem", values);
                  auto index = args.integer(0, "index", 0);
                  auto animated = args.flag(1, "animated");
                  auto bar = self.requireAvatarItemBar(args.method());
                  if (index && animated && bar) {
                      bar->scrollToItem(*index, *animated);
                  }
                  return fnd::Value();
              }));
    addMethod("avatarBarFlashScrollIndicators", simple([](ZelvanWebScript& self, const std::vector<fnd::Value>&) {
                  if (auto bar = self.requireAvatarItemBar("avatarBarFlashScrollIndicators")) {
                      bar->flashScrollIndicators();
                  }
                  return fnd::Value();
              }));

    addMethod("gameVersion", simple([](ZelvanWebScript&, const std::vector<fnd::Value>& values) {
                  PageArgs args("gameVersion", values);
                  auto gameId = args.integer(0, "gameId");
                  auto language = args.text(1, "language", true);
                  auto store = requireTarget(bridgeTargets().gameVersion, args.method(), "game version store");
                  if (!gameId || !language || !store) {
                      return fnd::Value(-1);
                  }
                  return fnd::Value(store->getLocaleVersion(*gameId, *language));
              }));
    addMethod("startGameDownload", simple([](ZelvanWebScript&, const std::vector<fnd::Value>& values) {
                  PageArgs args("startGameDownload", values);
                  auto gameId = args.integer(0, "gameId");
                  auto language = args.text(1, "language", true);
                  auto name = args.text(2, "name", true);
                  auto store = requireTarget(bridgeTargets().gameVersion, args.method(), "game version store");
                  if (!gameId || !language || !name || !store) {
                      return fnd::Value(false);
                  }
                  return fnd::Value(store->startDownload(*gameId, *language, *name));
              }));
    addMethod("isGameDownloading", simple([](ZelvanWebScript&, const std::vector<fnd::Value>&) {
                  auto store = requireTarget(bridgeTargets().gameVersion, "isGameDownloading", "game version store");
                  return fnd::Value(store && store->hasDownloadView());
              }));
    addMethod("showGameDownload", simple([](ZelvanWebScript&, const std::vector<fnd::Value>&) {
                  if (auto store =
                          requireTarget(bridgeTargets().gameVersion, "showGameDownload", "game version store")) {
                      store->showDownloadView();
                  }
                  return fnd::Value();
              }));

    addMethod("openChipsExchange", simple([](ZelvanWebScript& self, const std::vector<fnd::Value>& values) {
                  PageArgs args("openChipsExchange", values);
                  auto zelvans = args.integer(0, "zelvans");
                  // The page's function that hears the units chosen; left out or null: none.
                  std::optional<std::string> callback = std::string();
                  if (!args.optional(1).isNull()) {
                      callback = args.text(1, "callback", false);
                      if (callback && !ZAdvancedWebViewController::isScriptFunctionName(*callback)) {
                          ZTRACE_WARN("Zelvan.openChipsExchange: callback %@ is not a function name",
                                      fnd::logPreview(*callback));
                          callback.reset();
                      }
                  }
                  auto opener = requireTarget(bridgeTargets().chipsExchange, args.method(), "chips exchange panel");
                  if (zelvans && callback && opener) {
                      opener->openChipsExchange(*zelvans, *callback, self.host_.lock());
                  }
                  return fnd::Value();
              }));
    addMethod("openGameInvite", simple([](ZelvanWebScript& self, const std::vector<fnd::Value>& values) {
                  PageArgs args("openGameInvite", values);
                  auto gameId = args.integer(0, "gameId");
                  auto opener = requireTarget(bridgeTargets().gameInvite, args.method(), "game invitation dialog");
                  if (gameId && opener) {
                      opener->openGameInvite(*gameId, self.host_.lock());
                  }
                  return fnd::Value();
              }));
    addMethod("manageChatGroup", simple([](ZelvanWebScript&, const std::vector<fnd::Value>& values) {
                  PageArgs args("manageChatGroup", values);
                  auto groupId = args.integer(0, "groupId");
                  auto opener = requireTarget(bridgeTargets().chatGroupManager, args.method(), "messenger");
                  if (groupId && opener) {
                      opener->manageChatGroup(*groupId);
                  }
                  return fnd::Value();
              }));
    addMethod("clearCache", simple([](ZelvanWebScript&, const std::vector<fnd::Value>&) {
                  if (auto cache = requireTarget(bridgeTargets().gameCache, "clearCache", "game cache")) {
                      cache->clearCache();
                  }
                  return fnd::Value();
              }));
}

fnd::Value ZelvanWebScript::gameScriptCall(const std::vector<fnd::Value>& values) {
    PageArgs args("gameScriptCall", values);
    std::optional<std::string> name = args.text(0, "name", false);
    if (!name) {
        return {};
    }
    fnd::Value argsValue;
    fnd::Value argsText = args.optional(1);
    if (const std::string* text = argsText.asString()) {
        fnd::Result<fnd::Value> decoded = ZJSON::parse(*text);
        if (!decoded) {
            ZTRACE_WARN("Zelvan.gameScriptCall: the arguments of %@ are not JSON (%s); no call", fnd::logPreview(*name),
                        fnd::logPreview(decoded.error().localizedDescription()));
            return {};
        }
        argsValue = *decoded;
    } else if (!argsText.isNull()) {
        ZTRACE_WARN("Zelvan.gameScriptCall: the arguments of %@ must be JSON text; no call", fnd::logPreview(*name));
        return {};
    }
    // The engine takes an argument list or none.
    if (!argsValue.isNull() && !argsValue.isArray()) {
        ZTRACE_WARN("Zelvan.gameScriptCall: the arguments of %@ must be a JSON array; no call", fnd::logPreview(*name));
        return {};
    }
    std::shared_ptr<WebPageHost> host = host_.lock();
    std::shared_ptr<GameScreenTarget> screen =
        host ? std::dynamic_pointer_cast<GameScreenTarget>(host->parentController()) : nullptr;
    if (!screen) {
        ZTRACE_WARN("Zelvan.gameScriptCall: the page is not shown over a game screen; %@ is not called",
                    fnd::logPreview(*name));
        return {};
    }
    screen->engineCall(*name, argsValue);
    return {};
}

fnd::Value ZelvanWebScript::showAvatarItemBar(const std::vector<fnd::Value>& values) {
    PageArgs args("showAvatarItemBar", values);
    auto x = args.coordinate(0, "x", -kMaxCoordinate);
    auto y = args.coordinate(1, "y", -kMaxCoordinate);
    auto width = args.coordinate(2, "width", 0);
    auto height = args.coordinate(3, "height", 0);
    if (!x || !y || !width || !height) {
        return false;
    }
    AvatarItemBarFactory factory = bridgeTargets().avatarItemBarFactory;
    if (!factory) {
        ZTRACE_WARN("Zelvan.showAvatarItemBar: no avatar item bar is installed; the call does nothing");
        return false;
    }
    std::shared_ptr<WebPageHost> host = host_.lock();
    if (!host) {
        ZTRACE_WARN("Zelvan.showAvatarItemBar: the page has gone");
        return false;
    }
    std::shared_ptr<AvatarItemBarTarget> bar = factory(gfx::Rect(*x, *y, *width, *height));
    if (!bar) {
        ZTRACE_WARN("Zelvan.showAvatarItemBar: the avatar item bar could not be made");
        return false;
    }
    if (avatarItemBar_) {
        if (std::shared_ptr<ui::View> old = avatarItemBar_->view()) {
            old->removeFromSuperview();
        }
    }
    avatarItemBar_ = bar;
    std::shared_ptr<ui::View> webView = host->webView();
    std::shared_ptr<ui::View> barView = bar->view();
    if (webView && barView) {
        webView->addSubview(barView);
    }
    bar->setWebView(webView);
    bar->refreshWithCtx(host->pageContext(), host->pageUrl());
    return true;
}

std::shared_ptr<AvatarItemBarTarget> ZelvanWebScript::requireAvatarItemBar(const char* method) const {
    if (!avatarItemBar_) {
        ZTRACE_WARN("Zelvan.%s: the page has no avatar item bar; the call does nothing", method);
    }
    return avatarItemBar_;
}

fnd::Value ZelvanWebScript::findAvatar(const std::vector<fnd::Value>& values) {
    PageArgs args("findAvatar", values);
    auto userId = args.integer(0, "userId");
    auto type = args.integer(1, "type", 1, 4);
    auto grayscale = args.flag(2, "grayscale");
    auto finder = requireTarget(bridgeTargets().avatarFinder, args.method(), "avatar manager");
    if (!userId || !type || !grayscale || !finder) {
        return {};
    }
    if (!listening_) {
        listening_ = true;
        finder->addDelegate(shared_from_this());
    }
    if (watchedAvatars_.size() < kMaxWatchedAvatars) {
        watchedAvatars_.emplace(*userId, *type, *grayscale);
    } else if (!warnedWatchLimit_ && !watchedAvatars_.contains({*userId, *type, *grayscale})) {
        warnedWatchLimit_ = true;
        ZTRACE_WARN("page looked up more than %d avatars; later ones are not followed",
                    static_cast<int>(kMaxWatchedAvatars));
    }
    std::optional<std::string> path = finder->findAvatarPath(*userId, *type, *grayscale);
    return path ? fnd::Value(*path) : fnd::Value();
}

void ZelvanWebScript::avatarUpdated(int32_t userId, int32_t type, int32_t version) {
    onMainInline(weak_from_this(),
                 [userId, type, version](ZelvanWebScript& self) { self.tellAvatarUpdated(userId, type, version); });
}

void ZelvanWebScript::tellAvatarUpdated(int32_t userId, int32_t type, int32_t version) {
    std::shared_ptr<WebPageHost> host = host_.lock();
    if (!host) {
        return;
    }
    std::shared_ptr<AvatarFinder> finder = bridgeTargets().avatarFinder;
    for (bool grayscale : {false, true}) {
        if (!watchedAvatars_.contains({userId, type, grayscale})) {
            continue;
        }
        std::optional<std::string> path = finder ? finder->findAvatarPath(userId, type, grayscale) : std::nullopt;
        std::string pathLiteral = path ? jsStringLiteral(*path) : "null";
        host->callJS(fnd::format("if (typeof avatarUpdated == 'function') avatarUpdated(%d, %d, %d, %@);", userId, type,
                                 version, pathLiteral));
    }
}

fnd::Value ZelvanWebScript::showChat(const std::vector<fnd::Value>& values) {
    PageArgs args("showChat", values);
    fnd::Value cardInfo = args.optional(0);
    if (const std::string* text = cardInfo.asString()) {
        fnd::Result<fnd::Value> decoded = ZJSON::parse(*text);
        if (!decoded) {
            ZTRACE_WARN("JSON parse failed: %@", decoded.error().localizedDescription());
        }
        cardInfo = std::move(decoded).valueOr(fnd::Value());
    }
    if (!cardInfo.isDictionary()) {
        ZTRACE_WARN("Zelvan.showChat: the card must be a dictionary or its JSON text; no chat is opened");
        return {};
    }
    if (auto opener = requireTarget(bridgeTargets().chatOpener, args.method(), "messenger")) {
        opener->showChatWithCard(cardInfo);
    }
    return {};
}

fnd::Value ZelvanWebScript::showOffers(const std::vector<fnd::Value>& values) {
    PageArgs args("showOffers", values);
    fnd::Value options = args.optional(0);
    if (const std::string* text = options.asString()) {
        options = ZJSON::parse(*text).valueOr(fnd::Value());
    }
    std::shared_ptr<fnd::Dictionary> table = options.isDictionary() ? options.asDictionary() : nullptr;
    const fnd::Value* type = table ? table->find("type") : nullptr;
    std::optional<int64_t> kind = type ? type->asInt() : std::nullopt;
    if (!kind || *kind < INT32_MIN || *kind > INT32_MAX) {
        ZTRACE_WARN("Zelvan.showOffers: the options must give a whole number \"type\"; nothing is opened");
        return {};
    }
    if (auto opener = requireTarget(bridgeTargets().offerWall, args.method(), "offer wall")) {
        opener->showOffers(static_cast<int32_t>(*kind));
    }
    return {};
}

} // namespace zelvan
