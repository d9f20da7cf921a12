#pragma once

// While it lives, file permissions bind the calling thread as they bind any user, even
// when the tests run as root: root's overrides of the permission bits (CAP_DAC_OVERRIDE,
// CAP_DAC_READ_SEARCH, CAP_FOWNER) are dropped from the thread's effective set, and given
// back when it goes. Tests of read-only files and folders then mean the same as root or not.
class PermissionsBind {
public:
    PermissionsBind();
    ~PermissionsBind();
    PermissionsBind(const PermissionsBind&) = delete;
    PermissionsBind& operator=(const PermissionsBind&) = delete;

    // False when the process is root and could not drop the overrides (tests then skip).
    bool Active() const { return active_; }

private:
    bool active_ = false;
    bool dropped_ = false;
    unsigned saved_[2] = {0, 0};
};
