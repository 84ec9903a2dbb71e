// MD5 and SHA-1 through libcrypto's EVP interface. A failure inside libcrypto (which only happens
// when it is out of memory or misconfigured) is logged and yields an all-zero digest.
#include "platform/foundation/digest.h"

#include <openssl/evp.h>

#include <memory>

#include "platform/foundation/log.h"

namespace fnd {
namespace {

template <size_t N>
std::array<uint8_t, N> evpDigest(const EVP_MD* md, const void* data, size_t size) {
    std::array<uint8_t, N> out{};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    unsigned int written = 0;
    if (ctx == nullptr || md == nullptr || EVP_MD_size(md) != static_cast<int>(N) ||
        EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1 || EVP_DigestUpdate(ctx.get(), data, size) != 1 ||
        EVP_DigestFinal_ex(ctx.get(), out.data(), &written) != 1 || written != N) {
        ZLOG(Error, "digest: libcrypto failed to compute a digest");
        out.fill(0);
    }
    return out;
}

template <size_t N>
std::string toHex(const std::array<uint8_t, N>& digest, const char* alphabet) {
    std::string hex;
    hex.reserve(N * 2);
    for (uint8_t b : digest) {
        hex.push_back(alphabet[b >> 4]);
        hex.push_back(alphabet[b & 0x0f]);
    }
    return hex;
}

constexpr const char* kLowerHex = "0123456789abcdef";
constexpr const char* kUpperHex = "0123456789ABCDEF";

} // namespace

std::array<uint8_t, 16> md5(const Bytes& bytes) {
    return evpDigest<16>(EVP_md5(), bytes.data(), bytes.size());
}

std::array<uint8_t, 16> md5(std::string_view text) {
    return evpDigest<16>(EVP_md5(), text.data(), text.size());
}

std::string md5Hex(const Bytes& bytes) {
    return toHex(md5(bytes), kLowerHex);
}

std::string md5Hex(std::string_view text) {
    return toHex(md5(text), kLowerHex);
}

std::array<uint8_t, 20> sha1(const Bytes& bytes) {
    return evpDigest<20>(EVP_sha1(), bytes.data(), bytes.size());
}

std::array<uint8_t, 20> sha1(std::string_view text) {
    return evpDigest<20>(EVP_sha1(), text.data(), text.size());
}

std::string sha1HexUpper(const Bytes& bytes) {
    return toHex(sha1(bytes), kUpperHex);
}

std::string sha1HexUpper(std::string_view text) {
    return toHex(sha1(text), kUpperHex);
}

} // namespace fnd
