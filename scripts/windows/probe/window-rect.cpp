// Prints the outer bounds of the top-level window with the given title as the user sees them:
// "left top width height" of the visible frame (DWM's extended frame bounds, which leave out the
// invisible resize borders that GetWindowRect counts since Windows 10), and GetWindowRect's
// after them. scripts/windows/launcher.sh compares the first with the stored placement.
//
//     window-rect.exe TITLE
#include <windows.h>
#include <dwmapi.h>

#include <cstdio>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: window-rect.exe TITLE\n");
        return 2;
    }
    const HWND window = ::FindWindowW(nullptr, argv[1]);
    RECT bounds{};
    if (window == nullptr || !::GetWindowRect(window, &bounds)) {
        std::fprintf(stderr, "window-rect: no window (error %lu)\n", ::GetLastError());
        return 1;
    }
    RECT visible = bounds;
    if (FAILED(
            ::DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &visible, sizeof visible)))
        visible = bounds;
    std::printf("%ld %ld %ld %ld (GetWindowRect: %ld %ld %ld %ld)\n", visible.left, visible.top,
                visible.right - visible.left, visible.bottom - visible.top, bounds.left, bounds.top,
                bounds.right - bounds.left, bounds.bottom - bounds.top);
    return 0;
}
