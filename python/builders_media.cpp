// Builders of charts, images, the drawing canvas, the terminal and the drop zone; each method's row
// below is its signature.
#include "core/models/operations.hpp"
#include "python/item_formats.hpp"
#include "python/method_table.hpp"
#include "python/push_callbacks.hpp"

#include <string>

namespace orvy::py {

namespace {

PyObject* cht(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Chart, ChartModel { .data = std::move(c.reals("data")) }));
    if (id)
        c.bind(*id, c.object("bind"), BindingKind::Chart);
    return c.node_handle(id);
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

PyObject* img(MethodCall& c)
{
    bool from_memory = c.given("data");
    auto bytes = from_memory ? to_bytes(c.object("data"), "data") : std::optional(std::vector<std::uint8_t> {});
    if (!bytes)
        return nullptr;
    Tree& tree = c.tree();
    std::string key;
    if (from_memory)
        key = "mem:" + std::to_string(tree.memory_images.size() + 1);
    auto id = c.append(Model(NodeKind::Image, ImageModel { .source = std::string(c.utf8("src")), .fit = fit_from_name(c.utf8("fit")) }));
    if (!id)
        return nullptr;
    // Bytes in memory take the place of a file: the model names them by key.
    if (from_memory) {
        tree.memory_images.emplace(key, std::make_shared<std::vector<std::uint8_t> const>(std::move(*bytes)));
        tree.node(*id).model.as<ImageModel>()->source = std::move(key);
    }
    c.bind(*id, c.object("src_bind"), BindingKind::ImageSource);
    c.bind(*id, c.object("fit_bind"), BindingKind::ImageFit);
    return c.node_handle(id);
}

PyObject* cv(MethodCall& c)
{
    auto shapes = c.given("shapes") ? to_shapes(c.object("shapes"), "shapes") : std::optional(std::vector<Shape> {});
    if (!shapes)
        return nullptr;
    CanvasModel canvas;
    canvas.shapes = std::move(*shapes);
    canvas.scrollable = c.flag("scroll");
    auto id = c.append(Model(NodeKind::Canvas, Boxed<CanvasModel>(std::move(canvas))));
    if (!id)
        return nullptr;
    Tree& tree = c.tree();
    c.bind(*id, c.object("bind"), BindingKind::CanvasShapes);
    if (c.given("ch"))
        tree.node(*id).extras_mut().on_change = change_index(c.push("ch"));
    constexpr std::pair<char const*, UiEvent> pointer_events[] = {
        { "down", UiEvent::PointerDown }, { "move", UiEvent::PointerMove }, { "up", UiEvent::PointerUp },
        { "dbl", UiEvent::DoubleClick }
    };
    for (auto [name, event] : pointer_events) {
        if (c.given(name))
            tree.register_event(*id, event, event_pointer(c.push(name)));
    }
    return c.node_handle(id);
}

PyObject* term(MethodCall& c)
{
    TermModel terminal;
    terminal.lines = std::move(c.texts("lines"));
    terminal.prompt = std::move(c.text("prompt"));
    auto id = c.append(Model(NodeKind::Term, Boxed<TermModel>(std::move(terminal))));
    if (id && c.given("on"))
        c.tree().node(*id).extras_mut().on_submit = submit_command(c.push("on"), *id);
    return c.node_handle(id);
}

PyObject* drop(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Drop, TextModel { .text = std::move(c.text("txt")) }));
    if (id && c.given("on"))
        c.tree().node(*id).extras_mut().on_submit = submit_paths(c.push("on"));
    return c.node_handle(id);
}

void add_methods(MethodList& methods)
{
    declare(methods, {
        row<cht>("cht", "Столбчатая диаграмма; `bind` — колбэк списка значений.",
            { reals("data"), keyword_only, parent, object("bind"), box() }),
        row<img>("img", "Добавляет изображение; `src_bind` — путь, `data` — PNG/JPEG из памяти.",
            { utf8("src", ""), keyword_only, parent, object("src_bind"), object("data"), utf8("fit", "contain"),
                object("fit_bind"), box() }),
        row<cv>("cv",
            "Область рисования; фигуры — `(вид, [args], цвет, текст)`.\n"
            "Виды: `rect` `[x,y,w,h,rad,stroke]`, `circle` `[cx,cy,r,stroke]`,\n"
            "`line` `[x1,y1,x2,y2,w]`, `text` `[x,y,w,h]`,\n"
            "`poly` `[x1,y1,...,xn,yn,stroke]`.",
            { object_or_ellipsis("shapes"), keyword_only, parent, object("bind"), object("ch"), object("down"),
                object_or_ellipsis("move"), object("up"), object("dbl"), flag("scroll", false), box() }),
        row<term>("term", "Терминал; `on(cmd)` при Enter, вывод — возврат строки из `on`.",
            { texts_or_ellipsis("lines"), keyword_only, parent, text("prompt", "$"), object("on"), box() }),
        row<drop>("drop", "Зона приёма файлов; `on(paths)` при перетаскивании из проводника.",
            { text("txt", "Перетащите файлы сюда"), keyword_only, parent, object("on"), box() }),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
