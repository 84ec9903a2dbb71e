// FakeAdCache: an SVAdCache for tests and fuzzing. It numbers its ids ("ad-1", "ad-2", ...), records the
// data URL and user info of every picture asked for, and answers with the picture set for that URL.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_cache.h"

namespace zelvan::selvo::testing {

class FakeAdCache : public SVAdCache {
public:
    struct ImageAsk {
        std::string dataURL;
        fnd::Value userInfo;
    };

    std::string uniqueId() override {
        std::lock_guard lock(mutex_);
        return "ad-" + std::to_string(++ids_);
    }

    std::shared_ptr<gfx::Image> imageForAd(const SVAd& ad, const fnd::Value& userInfo) override {
        std::lock_guard lock(mutex_);
        asks_.push_back({ad.dataURL(), userInfo});
        auto it = images_.find(ad.dataURL());
        return it == images_.end() ? nullptr : it->second;
    }

    void setImage(const std::string& dataURL, std::shared_ptr<gfx::Image> image) {
        std::lock_guard lock(mutex_);
        images_[dataURL] = std::move(image);
    }
    std::vector<ImageAsk> asks() const {
        std::lock_guard lock(mutex_);
        return asks_;
    }

private:
    mutable std::mutex mutex_;
    int ids_ = 0;
    std::vector<ImageAsk> asks_;
    std::map<std::string, std::shared_ptr<gfx::Image>> images_;
};

} // namespace zelvan::selvo::testing
