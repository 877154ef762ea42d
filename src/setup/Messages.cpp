#include "setup/Messages.h"

namespace menu::setup {

namespace {

std::wstring withReason(std::wstring text, const std::wstring &subject, DWORD error)
{
    std::wstring detail = subject;
    const std::wstring reason = systemReason(error);
    detail += reason.empty() ? L" (chyba " + std::to_wstring(error) + L")" : L" – " + reason;
    text.replace(text.find(L"%1"), 2, detail);
    return text;
}

} // namespace

std::wstring noTargetText()
{
    return L"Inštalácia nevie, ktorý program ORVAN-Základná ponuka má nahradiť.";
}

std::wstring notEndedText()
{
    return L"Program ORVAN-Základná ponuka sa neukončil, inštalácia ho nemôže nahradiť.";
}

std::wstring installFailedText(const std::wstring &file, DWORD error)
{
    return withReason(L"Inštalácia sa nepodarila: %1\r\nPôvodný program ORVAN-Základná ponuka "
                      L"zostáva.",
                      file, error);
}

std::wstring startFailedText(const std::wstring &program, DWORD error)
{
    return withReason(L"Program ORVAN-Základná ponuka sa nepodarilo spustiť: %1", program, error);
}

std::wstring systemReason(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text = (length != 0 && buffer != nullptr) ? std::wstring(buffer, length) : L"";
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return text;
}

void reportError(const std::wstring &text)
{
    if (environment(L"ORVAN_SETUP_QUIET") != L"1") {
        ::MessageBoxW(nullptr, text.c_str(), L"ORVAN - inštalácia",
                      MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        return;
    }
    const std::wstring line = text + L"\r\n";
    const int wideLength = static_cast<int>(line.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), wideLength, utf8.data(), size, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
                &written, nullptr);
}

std::wstring environment(const wchar_t *name)
{
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

} // namespace menu::setup
