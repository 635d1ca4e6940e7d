// The shell's common file dialogs through COM: open, save and folder, modal
// to the window, answering with the chosen path in UTF-8 or "".
#include "platform/win32/win32_host.hpp"

#include <shobjidl.h>

namespace orvy::win32 {

std::string run_file_dialog(HWND owner, FileDialogSpec const& spec)
{
    ensure_com();
    bool save = spec.kind == FileDialogKind::Save;
    ComPtr<IFileDialog> dialog;
    HRESULT result = save
        ? CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))
        : CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog));
    if (FAILED(result) || !dialog)
        return {};
    if (!spec.title.empty() && FAILED(dialog->SetTitle(wide(spec.title).c_str())))
        return {};
    if (spec.kind == FileDialogKind::Folder) {
        FILEOPENDIALOGOPTIONS options = 0;
        if (FAILED(dialog->GetOptions(&options)) || FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS)))
            return {};
    } else if (!spec.patterns.empty()) {
        // The texts must live until the dialog has taken them.
        std::vector<std::wstring> texts;
        texts.reserve(spec.patterns.size() * 2);
        std::vector<COMDLG_FILTERSPEC> filters;
        for (FilePattern const& pattern : spec.patterns) {
            texts.push_back(wide(pattern.name));
            texts.push_back(wide(pattern.spec));
            filters.push_back({ texts[texts.size() - 2].c_str(), texts.back().c_str() });
        }
        if (FAILED(dialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data())))
            return {};
    }
    if (save && !spec.name.empty() && FAILED(dialog->SetFileName(wide(spec.name).c_str())))
        return {};
    ComPtr<IShellItem> item;
    wchar_t* path = nullptr;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(&item)) || !item
        || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
        return {};
    std::string chosen = utf8_from_wide(path);
    CoTaskMemFree(path);
    return chosen;
}

void Win32Window::show_file_dialog(FileDialogSpec const& spec, FileDialogDone done)
{
    std::string path = run_file_dialog(m_window, spec);
    done(path);
}

void Win32Window::request_file_dialogs() { PostMessageW(m_window, message_run_file_dialogs, 0, 0); }

}
