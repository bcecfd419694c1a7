#include "toolkit/window/dpi.h"

namespace tessel {

ScreenDpi& screen_dpi() {
    static ScreenDpi dpi = [] {
        ScreenDpi read;
        if constexpr (kDpiScaling) {
            if (HDC screen = GetDC(nullptr)) {
                read = {GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
                ReleaseDC(nullptr, screen);
            }
        }
        return read;
    }();
    return dpi;
}

}  // namespace tessel
