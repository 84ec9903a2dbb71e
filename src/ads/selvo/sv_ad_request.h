// SVAdRequest: one wanted ad of a render request - its type, a batch size (0 for a single ad) and a width
// hint (999 for none).
#pragma once

namespace zelvan::selvo {

class SVAdRequest {
public:
    static constexpr int kNoSize = 999;

    static SVAdRequest adRequestsForType(int adType, unsigned batchSize, int msize = kNoSize) {
        SVAdRequest request;
        request.adType_ = adType;
        request.batchSize_ = batchSize;
        request.size_ = msize;
        return request;
    }

    int adType() const { return adType_; }
    unsigned batchSize() const { return batchSize_; }
    int size() const { return size_; }

private:
    int adType_ = 0;
    unsigned batchSize_ = 0;
    int size_ = kNoSize;
};

} // namespace zelvan::selvo
