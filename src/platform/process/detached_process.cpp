#include "platform/process/detached_process.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlovex::process {
namespace {

void closeDescriptor(int descriptor) {
    while (::close(descriptor) == -1 && errno == EINTR) {
    }
}

} // namespace

bool startDetached(const std::string& program, const std::vector<std::string>& arguments) {
    // Everything the child needs is prepared before fork: afterwards only async-signal-safe
    // calls are allowed, since other threads of this process may hold locks.
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) == -1) {
        return false;
    }

    const pid_t child = ::fork();
    if (child == -1) {
        closeDescriptor(report[0]);
        closeDescriptor(report[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            ::_exit(grandchild == -1 ? 1 : 0);
        }
        ::execv(program.c_str(), argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }

    closeDescriptor(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) == -1 && errno == EINTR) {
    }
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got == -1 && errno == EINTR);
    closeDescriptor(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

} // namespace marlovex::process
