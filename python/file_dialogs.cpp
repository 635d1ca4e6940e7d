// The file-dialog controller:
//     W.file() -> Fl
//     class Fl:
//         def open(self, *, title="", patterns=..., on=None): ...          # on(path), "" on cancel
//         def save(self, *, title="", name="", patterns=..., on=None): ...
//         def dir(self, *, title="", on=None): ...
// `patterns` is a sequence of (description, pattern) pairs such as
// ("Images", "*.png;*.jpg"). Every call only queues the request; the window
// shows its dialogs one at a time, modal to it, while its loop runs on.
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/item_formats.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"

namespace orvy::py {

namespace {

PyObject* file(MethodCall& c)
{
    return reinterpret_cast<PyObject*>(
        create_object<ControllerObject>(c.window().module->files_type, "Fl", c.window().object->state));
}

// The parsed arguments of one call; absent ones are null.
struct DialogArgs {
    PyObject* title = nullptr;
    PyObject* name = nullptr;
    PyObject* patterns = nullptr;
    PyObject* on = nullptr;
};

PyObject* queue_file_dialog(ControllerObject& controller, FileDialogKind kind, DialogArgs const& args)
{
    auto title = args.title ? to_text(args.title, "title") : std::optional<Text>(Text {});
    auto name = args.name ? to_text(args.name, "name") : std::optional<Text>(Text {});
    auto patterns = args.patterns ? to_file_patterns(args.patterns, "patterns")
                                  : std::optional<std::vector<FilePattern>>(std::vector<FilePattern> {});
    if (!title || !name || !patterns)
        return nullptr;
    FileDialogRequest request { .dialog = { .kind = kind,
                                    .title = std::move(*title),
                                    .name = std::move(*name),
                                    .patterns = std::move(*patterns) } };
    if (args.on && args.on != Py_None) {
        request.on_done = [callable = PyCallable(args.on, controller.window)](std::string_view path) {
            callable(FilePath { path });
        };
    }
    controller.window->cells.file_dialogs.push(std::move(request));
    request_native_file_dialogs(*controller.window);
    Py_RETURN_NONE;
}

PyObject* open(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Fl.open", { "title", "patterns", "on" }, 0, 0 };
    Args<3> a;
    ControllerObject* controller = enter_controller_method(a, spec, self, args, nargs, kwnames);
    if (!controller)
        return nullptr;
    return queue_file_dialog(*controller, FileDialogKind::Open, { .title = a[0], .patterns = a[1], .on = a[2] });
}

PyObject* save(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Fl.save", { "title", "name", "patterns", "on" }, 0, 0 };
    Args<4> a;
    ControllerObject* controller = enter_controller_method(a, spec, self, args, nargs, kwnames);
    if (!controller)
        return nullptr;
    return queue_file_dialog(*controller, FileDialogKind::Save,
        { .title = a[0], .name = a[1], .patterns = a[2], .on = a[3] });
}

PyObject* dir(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Fl.dir", { "title", "on" }, 0, 0 };
    Args<2> a;
    ControllerObject* controller = enter_controller_method(a, spec, self, args, nargs, kwnames);
    if (!controller)
        return nullptr;
    return queue_file_dialog(*controller, FileDialogKind::Folder, { .title = a[0], .on = a[1] });
}

void add_methods(MethodList& methods)
{
    declare(methods, { row<file>("file", "Возвращает контроллер файловых диалогов.", {}, { .access = Access::Shared }) });
}

WindowMethodsRegistrar const registrar(add_methods);

}

PyMethodDef* file_dialog_methods()
{
    static PyMethodDef methods[] = {
        method<open>("open",
            "open($self, *, title=\"\", patterns=..., on=None)\n--\n\n"
            "Диалог выбора файла; `on(path)` с путём или \"\" при отмене."),
        method<save>("save",
            "save($self, *, title=\"\", name=\"\", patterns=..., on=None)\n--\n\n"
            "Диалог сохранения; `name` — имя по умолчанию."),
        method<dir>("dir",
            "dir($self, *, title=\"\", on=None)\n--\n\nДиалог выбора папки; `on(path)` с путём или \"\"."),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

}
