// A tree holding every widget kind at least once, arranged for a 1280 x 720
// window: the C++ twin of examples/gallery.py, for render checks and benchmarks.
#pragma once

#include "core/operations/operations.hpp"
#include "core/tree/tree.hpp"

#include <string>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace orvy::gallery {

struct Builder {
    Tree& tree;

    template<class T>
    NodeId add(NodeId parent, NodeKind kind, T payload, LayoutParams params = {})
    {
        return tree.append(parent, Model(kind, std::move(payload)), params);
    }
    NodeId add(NodeId parent, NodeKind kind, LayoutParams params = {})
    {
        return tree.append(parent, Model(kind), params);
    }
    NodeId column(NodeId parent, float gap = 8)
    {
        return add(parent, NodeKind::Frame, FrameModel { 12 }, { .padding = 12, .gap = gap });
    }
    NodeId row(NodeId parent, float h, float gap = 8)
    {
        return add(parent, NodeKind::Container, { .h = h, .gap = gap, .axis = Axis::Horizontal });
    }
    ToggleModel toggle(std::u16string caption, bool on, std::int32_t group = 0)
    {
        return ToggleModel { std::move(caption), on, group };
    }
};

struct GalleryNodes {
    NodeId tabs = 0;
    NodeId table = 0;
    NodeId first_button = 0;
    NodeId textbox = 0;
    NodeId image = 0;
};

// `image_source` names an image file (or memory key) for the image node and
// the label icon; empty leaves them without a picture.
inline GalleryNodes build(Tree& tree, std::string const& image_source = {})
{
    Builder b { tree };
    GalleryNodes nodes;
    NodeId root = tree.root;
    tree.node(root).layout = { .padding = 10, .gap = 8 };

    b.add(root, NodeKind::Menubar,
        MenubarModel { { { u"Файл", { u"Открыть", u"Сохранить" } }, { u"Правка", { u"Копировать" } }, { u"Вид", {} } } },
        { .h = 34 });
    nodes.tabs = b.add(root, NodeKind::Tabs, ChoiceModel { { u"Виджеты", u"Ещё" }, 0 }, { .grow = 1 });
    NodeId page = b.add(nodes.tabs, NodeKind::Container, { .padding = 8, .gap = 10, .axis = Axis::Horizontal });

    b.add(nodes.tabs, NodeKind::Container);

    // Column 1: buttons, toggles and text fields.
    NodeId c1 = b.column(page, 7);
    NodeId title = b.add(c1, NodeKind::Label, TextModel { u"Кнопки и поля" }, { .h = 28 });
    if (!image_source.empty())
        tree.node(title).extras_mut().icon = std::u16string(image_source.begin(), image_source.end());
    NodeId buttons = b.row(c1, 40);
    nodes.first_button = b.add(buttons, NodeKind::Button, ButtonModel { u"Кнопка", 10 });
    NodeId raised = b.add(buttons, NodeKind::Button, ButtonModel { u"С тенью", 10 });
    tree.node(raised).styles.base_mut().shadow = 4;
    NodeId toggles = b.row(c1, 40);
    b.add(toggles, NodeKind::Split, SplitModel { u"Сохранить", { u"Как…" }, 10, false });
    b.add(toggles, NodeKind::Toggle, b.toggle(u"Жирный", true));
    b.add(c1, NodeKind::Checkbox, b.toggle(u"Флажок", true), { .h = 28 });
    NodeId radios = b.row(c1, 28);
    b.add(radios, NodeKind::Radio, b.toggle(u"Один", true, 1));
    b.add(radios, NodeKind::Radio, b.toggle(u"Два", false, 1));
    b.add(c1, NodeKind::Switch, b.toggle(u"Переключатель", true), { .h = 28 });
    b.add(c1, NodeKind::Link, TextModel { u"Ссылка" }, { .h = 24 });
    TextboxModel filled;
    filled.text = u"Текст поля";
    filled.caret = filled.anchor = filled.text.size();
    nodes.textbox = b.add(c1, NodeKind::Textbox, Boxed<TextboxModel>(filled), { .h = 40 });
    TextboxModel empty;
    empty.placeholder = u"Подсказка";
    b.add(c1, NodeKind::Textbox, Boxed<TextboxModel>(empty), { .h = 40 });
    TextboxModel area;
    area.text = u"Многострочное поле:\nвторая строка";
    NodeId multi = b.add(c1, NodeKind::Textbox, Boxed<TextboxModel>(area), { .h = 64 });
    tree.node(multi).multiline = true;
    b.add(c1, NodeKind::Dropdown, ChoiceModel { { u"Первый", u"Второй", u"Третий" }, 1 }, { .h = 40 });
    b.add(c1, NodeKind::Separator, SeparatorModel {}, { .h = 8 });

    // Column 2: values.
    NodeId c2 = b.column(page, 7);
    b.add(c2, NodeKind::Slider, ValueModel { 0.6f }, { .h = 24 });
    b.add(c2, NodeKind::Range, RangeModel { 0.2f, 0.7f }, { .h = 24 });
    b.add(c2, NodeKind::Progress, ValueModel { 0.45f }, { .h = 20 });
    b.add(c2, NodeKind::Meter, ValueModel { .value = 0.7f, .segments = 12 }, { .h = 24 });
    b.add(c2, NodeKind::Rating, RatingModel { 3, 5 }, { .w = 180, .h = 32 });
    b.add(c2, NodeKind::Pager, PagerModel { 1, 5 }, { .h = 40 });
    b.add(c2, NodeKind::Crumbs, ItemsModel { { u"Дом", u"Документы", u"orvy" } }, { .h = 30 });
    NodeId badges = b.row(c2, 28);
    b.add(badges, NodeKind::Badge, TextModel { u"12" }, { .w = 44 });
    b.add(badges, NodeKind::Badge, TextModel { u"", true }, { .w = 20 });
    b.add(badges, NodeKind::Spinner, SpinnerModel { 0.1f }, { .w = 28 });
    b.add(badges, NodeKind::Status, TextModel { u"Готово" });
    NodeId dials = b.row(c2, 130);
    b.add(dials, NodeKind::Gauge, ValueModel { .value = 0.62f, .caption = u"62%" });
    b.add(dials, NodeKind::Dial, ValueModel { .value = 0.35f, .caption = u"Звук" });
    b.add(c2, NodeKind::Chart, ChartModel { { 3, 7, 4, 9, 6, 2, 8 } }, { .h = 80 });
    b.add(c2, NodeKind::Time, TimeModel { 9, 5 }, { .h = 90 });

    // Column 3: rows.
    NodeId c3 = b.column(page, 7);
    ListModel list;
    list.items = { u"Яблоко", u"Груша", u"Слива", u"Вишня", u"Персик" };
    list.current = 1;
    b.add(c3, NodeKind::List, Boxed<ListModel>(list), { .h = 110 });
    TableModel table;
    table.columns.titles = { u"Имя", u"Размер", u"Тип" };
    for (int i = 0; i < 6; ++i)
        table.rows.push_back({ u"файл " + std::u16string(1, char16_t(u'1' + i)), u"12 КБ", u"текст" });
    table.current = 2;
    table.row_line = 1;
    table.column_line = 1;
    nodes.table = b.add(c3, NodeKind::Table, Boxed<TableModel>(table), { .h = 150 });
    TreeviewModel rows;
    rows.rows = { { 0, u"Проект", false, true }, { 1, u"core", false, true }, { 2, u"paint.cpp", true },
        { 2, u"layout.cpp", true }, { 1, u"tests", false, false }, { 2, u"hidden.cpp", true } };
    rows.rows[0].values = { u"3" };
    rows.rows[2].values = { u"12 КБ" };
    rows.columns.titles = { u"Имя", u"Размер" };
    rows.columns.widths = { 0, 90 };
    rows.current = 2;
    b.add(c3, NodeKind::Treeview, Boxed<TreeviewModel>(rows), { .h = 150 });
    b.add(c3, NodeKind::Propgrid, PropgridModel { { { u"Ширина", u"1280" }, { u"Высота", u"720" } } }, { .h = 70 });

    // Column 4: pickers, drawing and containers.
    NodeId c4 = b.column(page, 7);
    NodeId pickers = b.row(c4, 170);
    b.add(pickers, NodeKind::Calendar, CalendarModel { 2026, 7, 14 });
    b.add(pickers, NodeKind::Color, ColorModel {});
    CanvasModel drawing;
    drawing.shapes.push_back(make_shape("rect", std::vector<float> { 10, 10, 60, 40, 6 }, Color { 0.23f, 0.51f, 0.96f, 1 }, {}));
    drawing.shapes.push_back(make_shape("circle", std::vector<float> { 110, 30, 20 }, Color { 0.9f, 0.3f, 0.3f, 1 }, {}));
    drawing.shapes.push_back(make_shape("arrow", std::vector<float> { 150, 50, 210, 14, 2 }, Color { 0.2f, 0.7f, 0.4f, 1 }, {}));
    drawing.shapes.push_back(make_shape("sector", std::vector<float> { 250, 32, 22, -90, 250 }, Color { 0.95f, 0.7f, 0.2f, 1 }, {}));
    NodeId art = b.row(c4, 64);
    b.add(art, NodeKind::Canvas, Boxed<CanvasModel>(drawing));
    nodes.image = b.add(art, NodeKind::Image, ImageModel { image_source, ImageFit::Contain }, { .w = 90 });
    TermModel term;
    term.lines = { u"$ orvy --version", u"orvy 0.1" };
    term.prompt = u"$";
    term.input.text = u"ls";
    term.input.caret = term.input.anchor = 2;
    b.add(c4, NodeKind::Term, Boxed<TermModel>(term), { .h = 100 });
    NodeId boxes = b.row(c4, 60);
    b.add(boxes, NodeKind::Drop, TextModel { u"Перетащите файлы сюда" });
    NodeId group = b.add(boxes, NodeKind::Group, GroupModel { u"Группа", 12 }, { .padding = 12 });
    (void)group;
    NodeId accordion = b.add(c4, NodeKind::Accordion, AccordionModel { u"Аккордеон", false, 0, 10 }, { .h = 40 });
    (void)accordion;
    NodeId split = b.add(c4, NodeKind::Splitter, SplitterModel { true, 0.5f }, { .h = 50 });
    NodeId dock = b.add(split, NodeKind::Dock, DockModel { u"Док", DockSide::Left, true, 120 });
    b.add(dock, NodeKind::Label, TextModel { u"внутри" });
    NodeId scroll = b.add(split, NodeKind::Scroll, ScrollModel {}, { .padding = 4, .gap = 4 });
    NodeId stack = b.add(scroll, NodeKind::Stack, StackModel { 0 }, { .h = 30 });
    b.add(stack, NodeKind::Label, TextModel { u"Стопка" });
    for (int i = 0; i < 3; ++i)
        b.add(scroll, NodeKind::Label, TextModel { u"строка" }, { .h = 24 });
    return nodes;
}

}
