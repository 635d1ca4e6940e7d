// The file-dialog controller Fl (W.file()): open, save and dir; `on(path)`
// gets the chosen path, "" on cancel. `patterns` is a sequence of
// (description, pattern) pairs such as ("Images", "*.png;*.jpg"). Every call only queues the request; the window
// shows its dialogs one at a time, modal to it, while its loop runs on.
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/item_formats.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"

namespace orvy::py {

namespace {

PyObject* file(MethodCall& c) { return new_controller(c, &ModuleState::files_type, "Fl"); }

PyObject* queue_file_dialog(MethodCall& c, FileDialogKind kind)
{
    auto patterns = c.has("patterns") && c.given("patterns") ? to_file_patterns(c.object("patterns"), "patterns")
                                        : std::optional<std::vector<FilePattern>>(std::vector<FilePattern> {});
    if (!patterns)
        return nullptr;
    FileDialogRequest request { .dialog = { .kind = kind,
                                    .title = std::move(c.text("title")),
                                    .name = c.has("name") ? std::move(c.text("name")) : Text {},
                                    .patterns = std::move(*patterns) } };
    if (c.given("on")) {
        request.on_done = [callable = PyCallable(c.object("on"), c.shared_state())](std::string_view path) {
            callable(FilePath { path });
        };
    }
    c.state().cells.file_dialogs.push(std::move(request));
    request_native_file_dialogs(c.state());
    Py_RETURN_NONE;
}

PyObject* open(MethodCall& c) { return queue_file_dialog(c, FileDialogKind::Open); }
PyObject* save(MethodCall& c) { return queue_file_dialog(c, FileDialogKind::Save); }
PyObject* dir(MethodCall& c) { return queue_file_dialog(c, FileDialogKind::Folder); }

WindowMethodsRegistrar const registrar {
    row<file>("file", "Возвращает контроллер файловых диалогов.", {}, { .access = Access::Shared }),
};

}

PyMethodDef* file_dialog_methods()
{
    static PyMethodDef methods[] = {
        method_row<open>("Fl", "open", "Диалог выбора файла; `on(path)` с путём или \"\" при отмене.",
            { keyword_only, text("title", ""), object_or_ellipsis("patterns"), object("on") }, controller_method),
        method_row<save>("Fl", "save", "Диалог сохранения; `name` — имя по умолчанию.",
            { keyword_only, text("title", ""), text("name", ""), object_or_ellipsis("patterns"), object("on") },
            controller_method),
        method_row<dir>("Fl", "dir", "Диалог выбора папки; `on(path)` с путём или \"\".",
            { keyword_only, text("title", ""), object("on") }, controller_method),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

}
