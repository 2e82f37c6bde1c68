// Another user acting on the files at a chosen moment: a forked child that
// takes the uid and gid of "nobody" (65534) and runs a few system calls.
// Only root can become another user; tests skip with a message otherwise.
#pragma once

#include <QByteArray>

#include <functional>

constexpr unsigned otherUserId = 65534;

// True when this process may run actions as the other user.
bool canActAsOtherUser();
// Runs action in a child as the other user and waits; true when the child
// ran it and it returned true. Plain system calls only in action.
bool asOtherUser(const std::function<bool()>& action);

// System-call helpers for such actions, paths as native bytes.
bool swapInSymlink(const QByteArray& linkTarget, const QByteArray& at);
bool swapInFile(const QByteArray& bytes, const QByteArray& at);

// As asOtherUser, without waiting: the child's pid, or -1. The caller ends it
// by that pid and reaps it with finishChild.
int startAsOtherUser(const std::function<bool()>& action);
void finishChild(int pid);
