// CNG4 parsing, header accessors, the decoded-image cache and palette replacement. Rebuilding PNGs
// and drawing live in cng4_drawing.cpp.
#include "games/formats/cng4.h"

#include <algorithm>

#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tracer.h"

namespace zelvan {

struct CNG4::Private {};

namespace {

size_t be16(const fnd::Bytes& data, size_t offset) {
    return (static_cast<size_t>(data[offset]) << 8) | data[offset + 1];
}

} // namespace

CNG4::CNG4(const Private&) {}

CNG4::~CNG4() {
    if (budget_ != nullptr) {
        budget_->used -= std::min(budget_->used, cachedBytes_);
    }
}

namespace {

size_t pixelBytes(const gfx::ImagePtr& picture) {
    return picture == nullptr ? 0 : static_cast<size_t>(picture->width()) * static_cast<size_t>(picture->height()) * 4;
}

} // namespace

void CNG4::setCacheBudget(std::shared_ptr<ImageCacheBudget> budget) {
    if (budget_ != nullptr) {
        budget_->used -= std::min(budget_->used, cachedBytes_);
    }
    budget_ = std::move(budget);
    if (budget_ != nullptr) {
        budget_->used += cachedBytes_;
    }
}

bool CNG4::cacheHasRoom() const {
    return budget_ == nullptr || budget_->used < budget_->limit;
}

void CNG4::storeCached(size_t index, gfx::ImagePtr picture) {
    const size_t before = pixelBytes(buffer_[index]);
    size_t after = pixelBytes(picture);
    if (budget_ != nullptr && after > 0 && budget_->used - std::min(budget_->used, before) + after > budget_->limit) {
        picture = nullptr; // past the budget: decoded again when drawn
        after = 0;
    }
    buffer_[index] = std::move(picture);
    cachedBytes_ = cachedBytes_ - before + after;
    if (budget_ != nullptr) {
        budget_->used = budget_->used - std::min(budget_->used, before) + after;
    }
}

void CNG4::resetCache() {
    if (budget_ != nullptr) {
        budget_->used -= std::min(budget_->used, cachedBytes_);
    }
    cachedBytes_ = 0;
    buffer_.assign(static_cast<size_t>(imageCount_) * static_cast<size_t>(plteCount_), nullptr);
}

fnd::Result<std::shared_ptr<CNG4>> CNG4::initWithIData(const fnd::Bytes& data) {
    if (data.size() < CNG_HEAD_LENGTH) {
        return fnd::parseError(fnd::kParseTruncated, data.size(),
                               fnd::format("palette archive of %d bytes is shorter than its %d-byte header",
                                           data.size(), CNG_HEAD_LENGTH));
    }
    auto archive = std::make_shared<CNG4>(Private{});
    CNG4& a = *archive;
    a.type_ = data[2];
    a.shortSize_ = (a.type_ & kShortSizeFlag) != 0;
    a.hasOffset_ = (a.type_ & kHasOffsetFlag) != 0;
    a.pngHeadLength_ = 8 + (a.shortSize_ ? 2 : 0) + (a.hasOffset_ ? 2 : 0);
    a.imageCount_ = data[3];
    a.plteLength_ = be16(data, 5);
    a.plteCount_ = data[7];

    // Every quantity below is at most 255 * 65535 + 8 plus 255 * 65535, far from overflowing size_t.
    a.headOffset_ = CNG_HEAD_LENGTH + a.plteLength_ * static_cast<size_t>(a.plteCount_);
    if (a.headOffset_ > data.size()) {
        return fnd::parseError(fnd::kParseTruncated, CNG_HEAD_LENGTH,
                               fnd::format("palette archive of %d bytes: %d palettes of %d bytes do not fit",
                                           data.size(), a.plteCount_, a.plteLength_));
    }
    size_t dataStart = a.headOffset_ + a.pngHeadLength_ * static_cast<size_t>(a.imageCount_);
    if (dataStart > data.size()) {
        return fnd::parseError(fnd::kParseTruncated, a.headOffset_,
                               fnd::format("palette archive of %d bytes: %d image headers of %d bytes do not fit",
                                           data.size(), a.imageCount_, a.pngHeadLength_));
    }
    a.dataOffset_.resize(static_cast<size_t>(a.imageCount_));
    size_t next = dataStart;
    for (int i = 0; i < a.imageCount_; ++i) {
        a.dataOffset_[static_cast<size_t>(i)] = next;
        next += be16(data, a.headOffset_ + static_cast<size_t>(i) * a.pngHeadLength_);
        if (next > data.size()) {
            return fnd::parseError(fnd::kParseTruncated, a.dataOffset_[static_cast<size_t>(i)],
                                   fnd::format("palette archive of %d bytes: image data up to image %d ends at %d, "
                                               "past the end",
                                               data.size(), i, next));
        }
    }
    a.file_ = data;
    a.buffer_.assign(static_cast<size_t>(a.imageCount_) * static_cast<size_t>(a.plteCount_), nullptr);
    return archive;
}

bool CNG4::imageInRange(int image, const char* what) const {
    if (image >= 0 && image < imageCount_) {
        return true;
    }
    ZTRACE_ERROR("%s: image %d is outside the archive's %d images", what, image, imageCount_);
    return false;
}

bool CNG4::paletteInRange(int palette, const char* what) const {
    if (palette >= 0 && palette < plteCount_) {
        return true;
    }
    ZTRACE_ERROR("%s: palette %d is outside the archive's %d palettes", what, palette, plteCount_);
    return false;
}

size_t CNG4::dataOffset(int image) const {
    return image >= 0 && image < imageCount_ ? dataOffset_[static_cast<size_t>(image)] : 0;
}

size_t CNG4::dataLength(int image) const {
    return be16(file_, imageHeader(image));
}

uint8_t CNG4::bitDepth() const {
    return file_[4];
}

int CNG4::getWidth(int image) const {
    if (!imageInRange(image, "getWidth")) {
        return 0;
    }
    size_t at = imageHeader(image) + 6;
    return static_cast<int>(shortSize_ ? be16(file_, at) : file_[at]);
}

int CNG4::getHeight(int image) const {
    if (!imageInRange(image, "getHeight")) {
        return 0;
    }
    size_t at = imageHeader(image) + (shortSize_ ? 8 : 7);
    return static_cast<int>(shortSize_ ? be16(file_, at) : file_[at]);
}

int CNG4::offsetX(int image) const {
    if (!hasOffset_ || image < 0 || image >= imageCount_) {
        return 0;
    }
    return static_cast<int8_t>(file_[imageHeader(image) + (shortSize_ ? 10 : 8)]);
}

int CNG4::offsetY(int image) const {
    if (!hasOffset_ || image < 0 || image >= imageCount_) {
        return 0;
    }
    return static_cast<int8_t>(file_[imageHeader(image) + (shortSize_ ? 11 : 9)]);
}

std::optional<fnd::Bytes> CNG4::getPalette(int palette) const {
    if (!paletteInRange(palette, "getPalette")) {
        return std::nullopt;
    }
    auto first =
        file_.begin() + static_cast<std::ptrdiff_t>(CNG_HEAD_LENGTH + plteLength_ * static_cast<size_t>(palette));
    return fnd::Bytes(first, first + static_cast<std::ptrdiff_t>(plteLength_));
}

int CNG4::read16(size_t offset) const {
    if (offset >= file_.size() || file_.size() - offset < 2) {
        return 0;
    }
    return static_cast<int>(be16(file_, offset));
}

void CNG4::buffer(int image, int palette) {
    int firstImage = image < 0 ? 0 : image;
    int lastImage = image < 0 ? imageCount_ + image : image; // inclusive
    if (image >= 0 && !imageInRange(image, "buffer")) {
        return;
    }
    int firstPalette = palette == -1 ? 0 : palette;
    int lastPalette = palette == -1 ? plteCount_ - 1 : palette;
    if (palette != -1 && !paletteInRange(palette, "buffer")) {
        return;
    }
    lastImage = std::min(lastImage, imageCount_ - 1);
    for (int p = firstPalette; p <= lastPalette; ++p) {
        for (int i = firstImage; i <= lastImage; ++i) {
            if (!cacheHasRoom()) {
                return;
            }
            if (!buffer_[cacheIndex(i, p)]) {
                storeCached(cacheIndex(i, p), newCachedImage(i, p));
            }
        }
    }
}

void CNG4::clear(int image, int palette) {
    if (image >= 0 && !imageInRange(image, "clear")) {
        return;
    }
    if (palette != -1 && !paletteInRange(palette, "clear")) {
        return;
    }
    int firstImage = image < 0 ? 0 : image;
    int lastImage = std::min(image < 0 ? imageCount_ + image : image, imageCount_ - 1);
    int firstPalette = palette == -1 ? 0 : palette;
    int lastPalette = palette == -1 ? plteCount_ - 1 : palette;
    for (int p = firstPalette; p <= lastPalette; ++p) {
        for (int i = firstImage; i <= lastImage; ++i) {
            storeCached(cacheIndex(i, p), nullptr);
        }
    }
}

gfx::ImagePtr CNG4::bufferedImage(int image, int palette) const {
    if (image < 0 || image >= imageCount_ || palette < 0 || palette >= plteCount_) {
        return nullptr;
    }
    return buffer_[cacheIndex(image, palette)];
}

bool CNG4::setPalette(int palette, const fnd::Bytes& plte) {
    if (!paletteInRange(palette, "setPalette")) {
        return false;
    }
    if (plte.size() != plteLength_) {
        ZTRACE_ERROR("setPalette: a palette block of %d bytes does not replace one of %d bytes", plte.size(),
                     plteLength_);
        return false;
    }
    // The archive is replaced, never edited in place: images decoded from it stay valid.
    fnd::Bytes copy = file_;
    std::copy(plte.begin(), plte.end(),
              copy.begin() + static_cast<std::ptrdiff_t>(CNG_HEAD_LENGTH + plteLength_ * static_cast<size_t>(palette)));
    file_ = std::move(copy);
    // Every image of that palette is decoded afresh with the new colours and cached.
    clear(-1, palette);
    buffer(-1, palette);
    return true;
}

int CNG4::addPalette(const fnd::Bytes& plte) {
    if (plte.size() != plteLength_) {
        ZTRACE_ERROR("addPalette: a palette block of %d bytes does not fit an archive of %d-byte palettes", plte.size(),
                     plteLength_);
        return -1;
    }
    if (plteCount_ >= kMaxPalettes) {
        ZTRACE_ERROR("addPalette: the archive already has %d palettes", plteCount_);
        return -1;
    }
    fnd::Bytes grown;
    grown.reserve(file_.size() + plte.size());
    grown.insert(grown.end(), file_.begin(), file_.begin() + static_cast<std::ptrdiff_t>(headOffset_));
    grown.insert(grown.end(), plte.begin(), plte.end());
    grown.insert(grown.end(), file_.begin() + static_cast<std::ptrdiff_t>(headOffset_), file_.end());
    file_ = std::move(grown);
    headOffset_ += plteLength_;
    for (size_t& offset : dataOffset_) {
        offset += plteLength_;
    }
    int index = plteCount_;
    ++plteCount_;
    resetCache();
    return index;
}

} // namespace zelvan
