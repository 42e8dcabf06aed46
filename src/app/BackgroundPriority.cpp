#include "BackgroundPriority.h"

#include <QThread>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace tolvane {

void RunBelowInterface() {
#ifdef Q_OS_LINUX
    // On Linux the nice value belongs to the thread (its id names it), and lowering it
    // needs no privilege. Ten leaves the thread about a tenth of a processor that the
    // interface thread wants, and all of an idle one.
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (errno == 0 && now < 10)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#else
    QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
}

}  // namespace tolvane
