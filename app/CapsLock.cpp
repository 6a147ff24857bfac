#include "CapsLock.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(ORV_HAVE_X11)
#include <X11/XKBlib.h>
#endif

namespace {

std::function<bool()> &probe()
{
    static std::function<bool()> p;
    return p;
}

bool systemState()
{
#if defined(Q_OS_WIN)
    return (GetKeyState(VK_CAPITAL) & 0x0001) != 0;
#elif defined(ORV_HAVE_X11) && QT_CONFIG(xcb)
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    // The named indicator, not bit 0: keyboard maps may order them otherwise.
    static const Atom capsAtom = XInternAtom(display, "Caps Lock", False);
    Bool on = False;
    if (XkbGetNamedIndicator(display, capsAtom, nullptr, &on, nullptr, nullptr))
        return on == True;
    unsigned int state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success)
        return (state & 0x01) != 0;
    return false;
#else
    return false;
#endif
}

} // namespace

namespace OrvCapsLock {

bool isOn()
{
    if (probe())
        return probe()();
    return systemState();
}

void setProbe(std::function<bool()> p)
{
    probe() = std::move(p);
}

} // namespace OrvCapsLock
