#pragma once
// Runs a fault in a forked child, so that what the fault does (a mount, a lowered limit, an armed
// failure, a kill) stays in the child and ends with it. The child's body reports back as text:
// empty for success, "skip: why" for a fault this machine cannot make, anything else a failure.
//
//   EXPECT_CHILD_OK(InChild([&] {
//       if (std::string skip = PrivateMounts(); !skip.empty()) return skip;
//       ...
//       return std::string();
//   }));

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

namespace quorvel::test {

inline std::string InChild(const std::function<std::string()>& body) {
    int report[2];
    if (::pipe(report) != 0) {
        return "pipe failed";
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        std::string result;
        try {
            result = body();
        } catch (const std::exception& e) {
            result = std::string("unexpected exception: ") + e.what();
        } catch (...) {
            result = "unexpected exception";
        }
        // Straight to the kernel: a test may stand its own write in front of the C library's.
        (void)::syscall(SYS_write, report[1], result.data(), result.size());
        ::_exit(0); // no destructors or exit handlers: the test's folders belong to the parent
    }
    ::close(report[1]);
    std::string result;
    char buf[512];
    ssize_t got = 0;
    while ((got = ::read(report[0], buf, sizeof buf)) > 0) {
        result.append(buf, static_cast<std::size_t>(got));
    }
    ::close(report[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the child died (status " + std::to_string(status) + ")";
    }
    return result;
}

// Gives the child its own copy of the mount table, so that what it mounts is gone when it ends.
inline std::string PrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        return std::string("skip: no mount namespace here (") + std::strerror(errno) + ")";
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return std::string("skip: mounts cannot be made private (") + std::strerror(errno) + ")";
    }
    return {};
}

// Mounts a tmpfs of sizeKiB at folder (in a child after PrivateMounts); empty on success.
inline std::string MountSmallTmpfs(const std::string& folder, int sizeKiB) {
    const std::string options = "size=" + std::to_string(sizeKiB) + "k";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        return std::string("skip: no tmpfs here (") + std::strerror(errno) + ")";
    }
    return {};
}

} // namespace quorvel::test

#define EXPECT_CHILD_OK(result)                                                                    \
    do {                                                                                           \
        const std::string childResult_ = (result);                                                 \
        if (childResult_.rfind("skip: ", 0) == 0) {                                                \
            GTEST_SKIP() << childResult_;                                                          \
        }                                                                                          \
        EXPECT_EQ(childResult_, "");                                                               \
    } while (false)
