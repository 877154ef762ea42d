// Prints what a shell link (.lnk) holds, read through the shell's own IShellLinkW, one
// "name=value" line each: path, working directory, icon. Used by scripts/windows/launcher.sh to
// read back the desktop shortcut the launcher made.
//
//     read-link.exe LINK.lnk
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

namespace {

int fail(const char *what, HRESULT result)
{
    std::fprintf(stderr, "read-link: %s failed (0x%08lx)\n", what, static_cast<unsigned long>(result));
    return 1;
}

void print(const char *name, const wchar_t *value)
{
    char utf8[4 * MAX_PATH] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s=%s\n", name, utf8);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: read-link.exe LINK.lnk\n");
        return 2;
    }
    if (const HRESULT r = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); FAILED(r))
        return fail("CoInitializeEx", r);
    IShellLinkW *link = nullptr;
    IPersistFile *file = nullptr;
    int status = 0;
    wchar_t text[MAX_PATH] = {};
    int icon = 0;
    HRESULT r = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&link));
    if (FAILED(r))
        status = fail("CoCreateInstance(ShellLink)", r);
    else if (FAILED(r = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))))
        status = fail("QueryInterface(IPersistFile)", r);
    else if (FAILED(r = file->Load(argv[1], STGM_READ)))
        status = fail("IPersistFile::Load", r);
    else if (FAILED(r = link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
        status = fail("GetPath", r);
    else {
        print("path", text);
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
            print("directory", text);
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &icon))) {
            print("icon-file", text);
            std::printf("icon=%d\n", icon);
        }
    }
    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    ::CoUninitialize();
    return status;
}
