#include "platform/threadPriority.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

void lowerThisThreadsPriority()
{
#if defined(__linux__)
    // Linux gives each thread a nice value of its own, set through its id.
    const long thread = syscall(SYS_gettid);
    const int now = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (now < 10)
        setpriority(PRIO_PROCESS, static_cast<id_t>(thread), 10);
#endif
}
