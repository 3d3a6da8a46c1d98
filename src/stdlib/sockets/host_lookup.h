// Host-name lookup for the sockets module, bounded in time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::stdlib {

// The IPv4 addresses of a host (host byte order, the resolver's order, no repeats); an
// empty name means this machine. Empty when the lookup fails or takes longer than the
// lookup bound.
std::vector<std::uint32_t> lookUpHost(const std::string& name);

// A dotted address as it stands, else the first address a lookup gives; false when neither.
bool resolveAddress(const std::string& text, std::uint32_t& ip);

}  // namespace korvo::stdlib
