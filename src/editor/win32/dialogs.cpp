// Link opening, the two module folders, and the colour and file choosers.
#include "editor/win32/editor_window.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <sstream>

namespace {

constexpr int kPathBuffer = 256;

// The folder part of a full file name, with its trailing backslash; empty when there is
// none or the name ends in a backslash.
std::string FolderOf(const char* name) {
    const char* slash = std::strrchr(name, '\\');
    if (!slash || slash[1] == '\0') return {};
    return std::string(name, slash + 1);
}

std::string ModuleFolder(HMODULE module) {
    char name[kPathBuffer] = {};
    const DWORD n = GetModuleFileNameA(module, name, kPathBuffer);
    if (n == 0 || n >= kPathBuffer) return {};
    return FolderOf(name);
}

UINT_PTR CALLBACK ColourHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const auto* choose = reinterpret_cast<const CHOOSECOLORA*>(lParam);
        if (choose && choose->lCustData)
            SetWindowTextA(dialog, reinterpret_cast<const char*>(choose->lCustData));
    }
    return 0;
}

bool IsWebAddress(const char* url) {
    return std::strncmp(url, "https://", 8) == 0 || std::strncmp(url, "http://", 7) == 0;
}

} // namespace

bool IEditorWindow::OpenLink(const char* url, const char* title, const char* confirmText,
                             const char* errorText) {
    // Only web addresses: the shell would also run programs and open files.
    if (!url || !IsWebAddress(url)) return false;
    if (confirmText && MessageBoxA(window_, confirmText, title, MB_YESNO) != IDYES) return false;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(window_, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    if (errorText) MessageBoxA(window_, errorText, title, MB_OK);
    return false;
}

bool IEditorWindow::HostFolder(std::string& out) {
    out = ModuleFolder(nullptr);
    return !out.empty();
}

bool IEditorWindow::PluginFolder(std::string& out) {
    out = ModuleFolder(module_);
    return !out.empty();
}

bool IEditorWindow::AskForColour(IPlugColor& colour, const char* title) {
    if (!window_) return false;
    if (!customColours_) customColours_ = std::make_unique<COLORREF[]>(16);
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = window_;
    choose.rgbResult = RGB(colour.R, colour.G, colour.B);
    choose.lpCustColors = customColours_.get();
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR | CC_ENABLEHOOK | CC_ANYCOLOR;
    choose.lCustData = reinterpret_cast<LPARAM>(title);
    choose.lpfnHook = &ColourHook;
    if (!ChooseColorA(&choose)) return false;
    colour.R = GetRValue(choose.rgbResult);
    colour.G = GetGValue(choose.rgbResult);
    colour.B = GetBValue(choose.rgbResult);
    return true;
}

bool IEditorWindow::AskForFile(std::string& path, bool save, const char* folder,
                               const char* extensions) {
    if (!window_) {
        path.clear();
        return false;
    }
    char name[kPathBuffer] = {};
    path.copy(name, kPathBuffer - 1);

    std::string initialFolder;
    if (folder && folder[0])
        initialFolder = folder;
    else
        HostFolder(initialFolder);

    // "png jpg" gives the description and the pattern "*.png;*.jpg".
    std::string filter, defaultExtension;
    if (extensions) {
        std::istringstream words(extensions);
        std::string pattern, word;
        while (words >> word) {
            if (defaultExtension.empty()) defaultExtension = word;
            if (!pattern.empty()) pattern += ';';
            pattern += "*." + word;
        }
        filter = pattern + '\0' + pattern + '\0' + '\0';
    }

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = name;
    dialog.nMaxFile = kPathBuffer;
    dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    bool chosen;
    if (save) {
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
        chosen = GetSaveFileNameA(&dialog);
    } else {
        dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameA(&dialog);
    }
    if (!chosen) {
        path.clear();
        return false;
    }
    path = name;
    return true;
}
