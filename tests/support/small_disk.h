// A small tmpfs for tests of full disks: mounted at a folder in a mount namespace of this
// process's own, so that it is gone when the process ends however the test ends. Only root
// may mount; elsewhere mounted() is false and why() says so, for the test's skip message.
#pragma once

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace korvo::test {

class SmallDisk {
 public:
  // options as for mount: "size=3m", "nr_inodes=16".
  SmallDisk(const std::string& folder, const std::string& options) : folder_(folder) {
    if (!privateMounts()) {
      why_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
      return;
    }
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      why_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

 private:
  // This process's own mount namespace, in which mounts do not propagate out.
  static bool privateMounts() {
    static const bool done =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return done;
  }

  std::string folder_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace korvo::test
