// Looks at a running Moxvane.exe from outside, as the end-to-end test's eyes:
//   form            waits for the window; prints its client size in pixels
//   rect ID         prints the screen rectangle of Form1's control ID
//   box-rect ID     prints the screen rectangle of the message box's control ID
//   focus           prints the identifier of Form1's focused control
//   box             waits for a message box owned by Form1; prints its title,
//                   its text and whether Form1 is disabled while it shows
//   no-box          fails if a message box shows within a second and a half
//   box-closed      waits for the message box to go
//   lock KEY        makes the current user's KEY readable only
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>

#include "ui/MessageBoxSearch.h"

namespace {

HWND FindForm() {
    for (int attempt = 0; attempt < 400; ++attempt) {
        const HWND form = FindWindowW(L"MoxvaneForm1", nullptr);
        if (form != nullptr && IsWindowVisible(form)) {
            return form;
        }
        Sleep(50);
    }
    return nullptr;
}

HWND FindBox(HWND form, int attempts) {
    HWND box = nullptr;
    for (int attempt = 0; attempt < attempts && box == nullptr; ++attempt) {
        Sleep(50);
        box = testing_support::FindMessageBox(
            [form](HWND window) { return GetWindow(window, GW_OWNER) == form; });
    }
    return box;
}

void PrintText(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    std::wprintf(L"%ls\n", text);
}

int PrintRect(HWND control) {
    RECT rect;
    if (control == nullptr || !GetWindowRect(control, &rect)) {
        return 1;
    }
    std::wprintf(L"%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
}

int WaitForBoxToClose(HWND form) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (FindBox(form, 1) == nullptr) {
            return 0;
        }
    }
    return 1;
}

int PrintClientSize(HWND form) {
    RECT client;
    GetClientRect(form, &client);
    std::wprintf(L"%ldx%ld\n", client.right, client.bottom);
    return 0;
}

int PrintFocus(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info)) {
        return 1;
    }
    std::wprintf(L"%d\n", GetDlgCtrlID(info.hwndFocus));
    return 0;
}

int PrintBox(HWND form) {
    const HWND box = FindBox(form, 200);
    if (box == nullptr) {
        return 1;
    }
    PrintText(box);
    PrintText(GetDlgItem(box, 0xFFFF));
    std::wprintf(IsWindowEnabled(form) ? L"modeless\n" : L"modal\n");
    return 0;
}

int LockKey(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, WRITE_DAC, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                         &readOnly, nullptr);
    const LSTATUS status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly);
    LocalFree(readOnly);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : 1;
}

int Probe(int count, wchar_t** args) {
    const wchar_t* const command = count > 1 ? args[1] : L"";
    if (lstrcmpW(command, L"lock") == 0) {
        return count > 2 ? LockKey(args[2]) : 2;
    }
    const HWND form = FindForm();
    if (form == nullptr) {
        return 1;
    }
    const int id = count > 2 ? _wtoi(args[2]) : 0;
    if (lstrcmpW(command, L"form") == 0) {
        return PrintClientSize(form);
    }
    if (lstrcmpW(command, L"rect") == 0) {
        return PrintRect(GetDlgItem(form, id));
    }
    if (lstrcmpW(command, L"box-rect") == 0) {
        return PrintRect(GetDlgItem(FindBox(form, 200), id));
    }
    if (lstrcmpW(command, L"focus") == 0) {
        return PrintFocus(form);
    }
    if (lstrcmpW(command, L"box") == 0) {
        return PrintBox(form);
    }
    if (lstrcmpW(command, L"no-box") == 0) {
        return FindBox(form, 30) == nullptr ? 0 : 1;
    }
    if (lstrcmpW(command, L"box-closed") == 0) {
        return WaitForBoxToClose(form);
    }
    return 2;
}

}  // namespace

int wmain(int count, wchar_t** args) {
    const int status = Probe(count, args);
    std::fflush(stdout);
    return status;
}
