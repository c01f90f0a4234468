#include "common/UProcess.h"

#include "common/UVector.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Children that were left running: reaped as they end, so none lingers as a zombie.
UVector<pid_t>& released()
{
    static UVector<pid_t> pids;
    return pids;
}

void reapReleased()
{
    UVector<pid_t>& pids = released();
    int kept = 0;
    for (int i = 0; i < pids.noEl; ++i) {
        const pid_t r = waitpid(pids.data[i], nullptr, WNOHANG);
        if (r == 0)
            pids.data[kept++] = pids.data[i];
    }
    pids.noEl = kept;
}

} // namespace

std::intptr_t UProcess::startNoWait(const char* program, char* const* argv)
{
    reapReleased();
    // The child reports a failed exec through this pipe; a successful exec closes it
    // unwritten, so the parent learns of both without waiting for the program itself.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return kFailed;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return kFailed;
    }
    if (pid == 0) {
        close(fds[0]);
        execv(program, argv);
        const int err = errno;
        ssize_t ignored = write(fds[1], &err, sizeof err);
        (void)ignored;
        _exit(127);
    }
    close(fds[1]);
    int err = 0;
    ssize_t n;
    do {
        n = read(fds[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    close(fds[0]);
    if (n > 0) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        // The exec's own error, for the caller's log line.
        errno = err;
        return kFailed;
    }
    return static_cast<std::intptr_t>(pid);
}

void UProcess::wait(std::intptr_t handle)
{
    if (handle == kFailed)
        return;
    while (waitpid(static_cast<pid_t>(handle), nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool UProcess::waitFor(std::intptr_t handle, int ms)
{
    if (handle == kFailed)
        return true;
    // waitpid has no time limit of its own: look again every few milliseconds.
    const int stepMs = 10;
    for (int waited = 0;; waited += stepMs) {
        const pid_t r = waitpid(static_cast<pid_t>(handle), nullptr, WNOHANG);
        if (r != 0 && !(r < 0 && errno == EINTR))
            return true;
        if (waited >= ms)
            return false;
        usleep(stepMs * 1000);
    }
}

void UProcess::terminate(std::intptr_t handle)
{
    if (handle == kFailed)
        return;
    kill(static_cast<pid_t>(handle), SIGKILL);
    wait(handle);
}

void UProcess::release(std::intptr_t handle)
{
    if (handle == kFailed)
        return;
    released().add(static_cast<pid_t>(handle));
    reapReleased();
}

bool UProcess::ended(std::intptr_t handle)
{
    // Reaps a child that has ended: a later wait or release of it then finds nothing to do.
    return handle == kFailed || waitpid(static_cast<pid_t>(handle), nullptr, WNOHANG) != 0;
}
