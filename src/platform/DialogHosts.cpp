#include "platform/DialogHosts.h"

#include <atomic>

#if PIXORA_HAVE_FLTK
#include "platform/FltkDialogHost.h"
#endif

namespace pixora {

namespace {

std::atomic<DialogHost*> testHost{nullptr};

}  // namespace

void SetDialogTestHost(DialogHost* host) {
    testHost.store(host);
}

DialogHost* DialogTestHost() {
    return testHost.load();
}

DialogHost* CurrentDialogHost() {
    if (DialogHost* host = testHost.load())
        return host;
    return DisplayDialogHost();
}

DialogHost* DisplayDialogHost() {
#if PIXORA_HAVE_FLTK
    return FltkDialogHost::IfDisplayReachable();
#else
    return nullptr;
#endif
}

}  // namespace pixora
