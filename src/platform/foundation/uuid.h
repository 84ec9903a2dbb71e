// Random identifiers: a version-4 UUID in its upper-case text form, from OpenSSL's random bytes.
#pragma once

#include <string>

namespace fnd {

// "E621E1F8-C36C-495A-93FC-0C247A3E6E5F": 122 random bits, version 4, RFC 4122 variant. Safe from any thread.
std::string uuidString();

} // namespace fnd
