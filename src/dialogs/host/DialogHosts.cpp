#include "dialogs/host/DialogHosts.h"

#include <atomic>

#ifdef _WIN32
#include "dialogs/host/win32/Win32DialogHost.h"
#elif PIXORA_HAVE_FLTK
#include "dialogs/host/linux/FltkDialogHost.h"
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
#ifdef _WIN32
    return &Win32DialogHost::Instance();  // Windows always has a desktop
#elif PIXORA_HAVE_FLTK
    return FltkDialogHost::IfDisplayReachable();
#else
    return nullptr;
#endif
}

}  // namespace pixora
