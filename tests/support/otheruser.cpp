#include "support/otheruser.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

bool canActAsOtherUser()
{
    return ::geteuid() == 0;
}

bool asOtherUser(const std::function<bool()>& action)
{
    const pid_t child = startAsOtherUser(action);
    if (child < 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) { }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Made beside its place, then renamed over it: the name changes in one step.
bool swapInSymlink(const QByteArray& linkTarget, const QByteArray& at)
{
    const QByteArray made = at + ".swap";
    ::unlink(made.constData());
    return ::symlink(linkTarget.constData(), made.constData()) == 0 && ::rename(made.constData(), at.constData()) == 0;
}

bool swapInFile(const QByteArray& bytes, const QByteArray& at)
{
    const QByteArray made = at + ".swap";
    const int fd = ::open(made.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return written && ::rename(made.constData(), at.constData()) == 0;
}

int startAsOtherUser(const std::function<bool()>& action)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t group = otherUserId;
        if (::setgroups(1, &group) != 0 || ::setgid(otherUserId) != 0 || ::setuid(otherUserId) != 0)
            ::_exit(2);
        ::_exit(action() ? 0 : 1);
    }
    return child;
}

void finishChild(int pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) { }
}
