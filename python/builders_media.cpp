// Builders of charts, images, the drawing canvas, the terminal and the drop zone:
//     W.cht(data, *, pr=None, bind=None, ...) -> N
//     W.img(src="", *, pr=None, src_bind=None, data=None, fit="contain", fit_bind=None, ...) -> N
//     W.cv(shapes=..., *, pr=None, bind=None, ch=None, down=None, move=..., up=None, dbl=None, scroll=False,
//          ...) -> N
//     W.term(lines=..., *, pr=None, prompt="$", on=None, ...) -> N
//     W.drop(txt="Перетащите файлы сюда", *, pr=None, on=None, ...) -> N
// ("..." is pd=0.0, gp=0.0, w=None, h=None.)
#include "core/models/models.hpp"
#include "python/builder.hpp"
#include "python/item_formats.hpp"
#include "python/push_callbacks.hpp"

#include <string>

namespace orvy::py {

namespace {

PyObject* cht(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.cht", { "data", "pr", "bind", "pd", "gp", "w", "h" }, 1, 1 };
    Args<7> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto data = to_f32_list(a[0], "data");
    if (!data)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6 },
        Model(NodeKind::Chart, ChartModel { .data = std::move(*data) }));
    if (id)
        bind_to(*call, *id, a[2], BindingKind::Chart);
    return handle_for(*call, id);
}

// Bytes from any object with the buffer protocol (bytes, bytearray, memoryview).
std::optional<std::vector<std::uint8_t>> to_bytes(PyObject* value, char const* name)
{
    Py_buffer view;
    if (PyObject_GetBuffer(value, &view, PyBUF_SIMPLE) < 0) {
        prefix_argument_error(name);
        return std::nullopt;
    }
    auto const* begin = static_cast<std::uint8_t const*>(view.buf);
    std::vector<std::uint8_t> bytes(begin, begin + view.len);
    PyBuffer_Release(&view);
    return bytes;
}

ImageFit fit_from_name(std::string_view name)
{
    if (name == "cover")
        return ImageFit::Cover;
    if (name == "fill" || name == "stretch")
        return ImageFit::Fill;
    if (name == "none" || name == "center")
        return ImageFit::Natural;
    return ImageFit::Contain;
}

PyObject* img(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec {
        "W.img", { "src", "pr", "src_bind", "data", "fit", "fit_bind", "pd", "gp", "w", "h" }, 1, 0
    };
    Args<10> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto source = a[0] ? to_utf8(a[0], "src") : std::optional<std::string_view>("");
    auto bytes = a.given(3) ? to_bytes(a[3], "data") : std::optional<std::vector<std::uint8_t>>(std::vector<std::uint8_t> {});
    auto fit = a[4] ? to_utf8(a[4], "fit") : std::optional<std::string_view>("contain");
    if (!source || !bytes || !fit)
        return nullptr;
    ImageModel image { .source = std::string(*source), .fit = fit_from_name(*fit) };
    Tree& tree = call->tree();
    std::string key;
    if (a.given(3))
        key = "mem:" + std::to_string(tree.memory_images.size() + 1);
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 6, .gp = 7, .w = 8, .h = 9 },
        Model(NodeKind::Image, std::move(image)));
    if (!id)
        return nullptr;
    // Bytes in memory take the place of a file: the model names them by key.
    if (a.given(3)) {
        tree.memory_images.emplace(key, std::make_shared<std::vector<std::uint8_t> const>(std::move(*bytes)));
        tree.node(*id).model.as<ImageModel>()->source = std::move(key);
    }
    bind_to(*call, *id, a[2], BindingKind::ImageSource);
    bind_to(*call, *id, a[5], BindingKind::ImageFit);
    return handle_for(*call, id);
}

PyObject* cv(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.cv",
        { "shapes", "pr", "bind", "ch", "down", "move", "up", "dbl", "scroll", "pd", "gp", "w", "h" }, 1, 0 };
    Args<13> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    // The signature shows `...` for the defaults; passing it means the same.
    for (int slot : { 0, 5 }) {
        if (a.values[slot] == Py_Ellipsis)
            a.values[slot] = nullptr;
    }
    auto shapes = a.given(0) ? to_shapes(a[0], "shapes") : std::optional<std::vector<Shape>>(std::vector<Shape> {});
    auto scroll = bool_or(a[8], "scroll", false);
    if (!shapes || !scroll)
        return nullptr;
    CanvasModel canvas;
    canvas.shapes = std::move(*shapes);
    canvas.scrollable = *scroll;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 9, .gp = 10, .w = 11, .h = 12 },
        Model(NodeKind::Canvas, Boxed<CanvasModel>(std::move(canvas))));
    if (!id)
        return nullptr;
    Tree& tree = call->tree();
    bind_to(*call, *id, a[2], BindingKind::CanvasShapes);
    if (a.given(3))
        tree.node(*id).on_change = change_index(Push::make(*call, a[3]));
    constexpr std::pair<int, UiEvent> pointer_slots[] = {
        { 4, UiEvent::PointerDown }, { 5, UiEvent::PointerMove }, { 6, UiEvent::PointerUp }, { 7, UiEvent::DoubleClick }
    };
    for (auto [slot, event] : pointer_slots) {
        if (a.given(slot))
            tree.register_event(*id, event, event_pointer(Push::make(*call, a[slot])));
    }
    return handle_for(*call, id);
}

PyObject* term(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.term", { "lines", "pr", "prompt", "on", "pd", "gp", "w", "h" }, 1, 0 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    if (a.values[0] == Py_Ellipsis)
        a.values[0] = nullptr;
    auto lines = a.given(0) ? to_text_list(a[0], "lines") : std::optional<TextList>(TextList {});
    auto prompt = text_or(a[2], "prompt", u"$");
    if (!lines || !prompt)
        return nullptr;
    TermModel terminal;
    terminal.lines = std::move(*lines);
    terminal.prompt = std::move(*prompt);
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 },
        Model(NodeKind::Term, Boxed<TermModel>(std::move(terminal))));
    if (id && a.given(3))
        call->tree().node(*id).on_submit = submit_command(Push::make(*call, a[3]), *id);
    return handle_for(*call, id);
}

PyObject* drop(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.drop", { "txt", "pr", "on", "pd", "gp", "w", "h" }, 1, 0 };
    Args<7> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto text = text_or(a[0], "txt", u"Перетащите файлы сюда");
    if (!text)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6 },
        Model(NodeKind::Drop, TextModel { .text = std::move(*text) }));
    if (id && a.given(2))
        call->tree().node(*id).on_submit = submit_paths(Push::make(*call, a[2]));
    return handle_for(*call, id);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<cht>("cht",
            "cht($self, data, *, pr=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Столбчатая диаграмма; `bind` — колбэк списка значений."),
        method<img>("img",
            "img($self, src=\"\", *, pr=None, src_bind=None, data=None, fit=\"contain\", fit_bind=None, pd=0.0, "
            "gp=0.0, w=None, h=None)\n--\n\nДобавляет изображение; `src_bind` — путь, `data` — PNG/JPEG из памяти."),
        method<cv>("cv",
            "cv($self, shapes=..., *, pr=None, bind=None, ch=None, down=None, move=..., up=None, dbl=None, "
            "scroll=False, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Область рисования; фигуры — `(вид, [args], цвет, текст)`.\n"
            "Виды: `rect` `[x,y,w,h,rad,stroke]`, `circle` `[cx,cy,r,stroke]`,\n"
            "`line` `[x1,y1,x2,y2,w]`, `text` `[x,y,w,h]`,\n"
            "`poly` `[x1,y1,...,xn,yn,stroke]`."),
        method<term>("term",
            "term($self, lines=..., *, pr=None, prompt=\"$\", on=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Терминал; `on(cmd)` при Enter, вывод — возврат строки из `on`."),
        // The signature spells the default with escapes: text signatures must be ASCII.
        method<drop>("drop",
            "drop($self, txt=\"\\u041f\\u0435\\u0440\\u0435\\u0442\\u0430\\u0449\\u0438\\u0442\\u0435"
            " \\u0444\\u0430\\u0439\\u043b\\u044b \\u0441\\u044e\\u0434\\u0430\", *, pr=None, on=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Зона приёма файлов; `on(paths)` при перетаскивании из проводника."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
