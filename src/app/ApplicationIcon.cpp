#include "ApplicationIcon.h"

// A resource compiled into a static library is registered only when asked: nothing
// else refers to it, so the linker would leave it out of the program.
static void RegisterAppResources() {
    Q_INIT_RESOURCE(app);
}

namespace tolvane {

QIcon ApplicationIcon() {
    static const bool registered = (RegisterAppResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/icons/tolvane.svg"));
}

}  // namespace tolvane
