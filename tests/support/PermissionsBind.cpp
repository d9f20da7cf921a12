#include "support/PermissionsBind.h"

#include <initializer_list>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool Caps(bool set, __user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0}; // pid 0: this thread
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

} // namespace

PermissionsBind::PermissionsBind()
{
    if (::geteuid() != 0) {
        active_ = true;
        return;
    }
    __user_cap_data_struct data[2]{};
    if (!Caps(false, data)) return;
    saved_[0] = data[0].effective;
    saved_[1] = data[1].effective;
    for (unsigned cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        data[cap / 32].effective &= ~(1u << (cap % 32));
    dropped_ = active_ = Caps(true, data);
}

PermissionsBind::~PermissionsBind()
{
    if (!dropped_) return;
    __user_cap_data_struct data[2]{};
    if (!Caps(false, data)) return;
    data[0].effective = saved_[0];
    data[1].effective = saved_[1];
    Caps(true, data);
}
