// Lookups run on the resolver's own thread (getaddrinfo_a) so the program can stop waiting
// for them; a lookup given up on is cancelled, or left to finish and freed later.
#include "stdlib/sockets/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <list>
#include <memory>

#include "stdlib/sockets/socket_wait.h"

namespace korvo::stdlib {
namespace {

// One request with everything the resolver writes into while it runs.
struct Lookup {
  std::string name;
  addrinfo hints{};
  gaicb request{};

  explicit Lookup(std::string host) : name(std::move(host)) {
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    request.ar_name = name.c_str();
    request.ar_request = &hints;
  }
  ~Lookup() {
    if (request.ar_result) freeaddrinfo(request.ar_result);
  }
};

// Lookups abandoned while the resolver still held them; freed once it lets go.
std::list<std::unique_ptr<Lookup>>& abandoned() {
  static std::list<std::unique_ptr<Lookup>> lookups;
  return lookups;
}

void reapAbandoned() {
  abandoned().remove_if([](const std::unique_ptr<Lookup>& l) { return gai_error(&l->request) != EAI_INPROGRESS; });
}

std::string thisMachine() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "localhost";
  return name;
}

}  // namespace

std::vector<std::uint32_t> lookUpHost(const std::string& host) {
  reapAbandoned();
  auto lookup = std::make_unique<Lookup>(host.empty() ? thisMachine() : host);
  gaicb* list[] = {&lookup->request};
  if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) return {};
  SocketTimer timer(kLookupAndConnectBoundMs);
  while (gai_error(&lookup->request) == EAI_INPROGRESS && timer.remaining() > 0) {
    const std::uint32_t ms = timer.remaining();
    const timespec slice{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    RealWaitScope waited;
    gai_suspend(list, 1, &slice);
  }
  if (gai_error(&lookup->request) == EAI_INPROGRESS && gai_cancel(&lookup->request) != EAI_CANCELED) {
    abandoned().push_back(std::move(lookup));
    return {};
  }
  std::vector<std::uint32_t> addresses;
  if (gai_error(&lookup->request) != 0) return addresses;
  for (const addrinfo* a = lookup->request.ar_result; a; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    const std::uint32_t ip = ntohl(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    if (std::find(addresses.begin(), addresses.end(), ip) == addresses.end()) addresses.push_back(ip);
  }
  return addresses;
}

bool resolveAddress(const std::string& text, std::uint32_t& ip) {
  in_addr dotted{};
  if (inet_aton(text.c_str(), &dotted) != 0) {
    ip = ntohl(dotted.s_addr);
    return true;
  }
  const std::vector<std::uint32_t> found = lookUpHost(text);
  if (found.empty()) return false;
  ip = found.front();
  return true;
}

}  // namespace korvo::stdlib
