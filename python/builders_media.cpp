// Builders of charts, images, the drawing canvas, the terminal and the drop zone; the rows are their signatures.
#include "core/image/image.hpp"
#include "python/method_table.hpp"

#include <string>

namespace orvy::py {

namespace {

PyObject* cht(MethodCall& c) { return c.build(Model(NodeKind::Chart, ChartModel { .data = std::move(c.reals("data")) })); }

PyObject* img(MethodCall& c)
{
    auto fit = static_cast<ImageFit>(parse_fit_mode(c.utf8("fit")));
    auto id = c.append(Model(NodeKind::Image, ImageModel { .source = std::string(c.utf8("src")), .fit = fit }));
    // Bytes in memory take the place of a file: the model names them by key.
    if (id && c.given("data")) {
        Tree& tree = c.tree();
        std::string key = "mem:" + std::to_string(tree.memory_images.size() + 1);
        auto& bytes = c.get<std::vector<std::uint8_t>>("data");
        tree.memory_images.emplace(key, std::make_shared<std::vector<std::uint8_t> const>(std::move(bytes)));
        tree.node(*id).model.as<ImageModel>()->source = std::move(key);
    }
    return c.finish(id);
}

PyObject* cv(MethodCall& c)
{
    return c.build(Model(NodeKind::Canvas,
        Boxed<CanvasModel>({ .shapes = std::move(c.get<std::vector<Shape>>("shapes")), .scrollable = c.flag("scroll") })));
}

PyObject* term(MethodCall& c)
{
    return c.build(Model(NodeKind::Term,
        Boxed<TermModel>({ .lines = std::move(c.texts("lines")), .prompt = std::move(c.text("prompt")) })));
}

PyObject* drop(MethodCall& c) { return c.build(Model(NodeKind::Drop, TextModel { .text = std::move(c.text("txt")) })); }

WindowMethodsRegistrar const registrar {
    row<cht>("cht", "Столбчатая диаграмма; `bind` — колбэк списка значений.",
        { reals("data"), keyword_only, parent, bound("bind", BindingKind::Chart), box() }),
    row<img>("img", "Добавляет изображение; `src_bind` — путь, `data` — PNG/JPEG из памяти.",
        { utf8("src", ""), keyword_only, parent, bound("src_bind", BindingKind::ImageSource),
            structured<to_bytes>("data", Default::Kind::None), utf8("fit", "contain"),
            bound("fit_bind", BindingKind::ImageFit), box() }),
    row<cv>("cv",
        "Область рисования; фигуры — `(вид, [args], цвет, текст)`.\n"
        "Виды: `rect` `[x,y,w,h,rad,stroke]`, `circle` `[cx,cy,r,stroke]`,\n"
        "`line` `[x1,y1,x2,y2,w]`, `text` `[x,y,w,h]`,\n"
        "`poly` `[x1,y1,...,xn,yn,stroke]`.",
        { structured<to_shapes>("shapes", Default::Kind::Ellipsis), keyword_only, parent,
            bound("bind", BindingKind::CanvasShapes), on_change<change_index>("ch"),
            on_event<UiEvent::PointerDown, event_pointer>("down"),
            on_event<UiEvent::PointerMove, event_pointer>("move", Default::Kind::Ellipsis),
            on_event<UiEvent::PointerUp, event_pointer>("up"), on_event<UiEvent::DoubleClick, event_pointer>("dbl"),
            flag("scroll", false), box() }),
    row<term>("term", "Терминал; `on(cmd)` при Enter, вывод — возврат строки из `on`.",
        { texts_or_ellipsis("lines"), keyword_only, parent, text("prompt", "$"), on_submit<submit_command>("on"), box() }),
    row<drop>("drop", "Зона приёма файлов; `on(paths)` при перетаскивании из проводника.",
        { text("txt", "Перетащите файлы сюда"), keyword_only, parent, on_submit<submit_paths>("on"), box() }),
};

}

}
