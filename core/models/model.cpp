// Default payloads per kind.
#include "core/models/model.hpp"

namespace orvy {

Payload default_payload(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Container: return EmptyModel {};
    case NodeKind::Frame: return FrameModel {};
    case NodeKind::Group: return GroupModel {};
    case NodeKind::Separator: return SeparatorModel {};
    case NodeKind::Label:
    case NodeKind::Status:
    case NodeKind::Badge:
    case NodeKind::Link:
    case NodeKind::Drop: return TextModel {};
    case NodeKind::Button: return ButtonModel {};
    case NodeKind::Slider:
    case NodeKind::Progress:
    case NodeKind::Gauge:
    case NodeKind::Meter:
    case NodeKind::Dial: return ValueModel {};
    case NodeKind::Checkbox:
    case NodeKind::Switch:
    case NodeKind::Toggle:
    case NodeKind::Radio: return ToggleModel {};
    case NodeKind::Textbox: return Boxed<TextboxModel> {};
    case NodeKind::Dropdown:
    case NodeKind::Tabs: return ChoiceModel {};
    case NodeKind::Stack: return StackModel {};
    case NodeKind::Accordion: return Boxed<AccordionModel> {};
    case NodeKind::Scroll: return ScrollModel {};
    case NodeKind::Splitter: return SplitterModel {};
    case NodeKind::Spinner: return SpinnerModel {};
    case NodeKind::Range: return RangeModel {};
    case NodeKind::Calendar: return CalendarModel {};
    case NodeKind::Color: return ColorModel {};
    case NodeKind::Time: return TimeModel {};
    case NodeKind::Pager: return PagerModel {};
    case NodeKind::Rating: return RatingModel {};
    case NodeKind::List: return Boxed<ListModel> {};
    case NodeKind::Treeview: return Boxed<TreeviewModel> {};
    case NodeKind::Table: return Boxed<TableModel> {};
    case NodeKind::Propgrid: return PropgridModel {};
    case NodeKind::Canvas: return Boxed<CanvasModel> {};
    case NodeKind::Menubar: return MenubarModel {};
    case NodeKind::Dock: return DockModel {};
    case NodeKind::Chart: return ChartModel {};
    case NodeKind::Term: return Boxed<TermModel> {};
    case NodeKind::Crumbs: return ItemsModel {};
    case NodeKind::Split: return Boxed<SplitModel> {};
    case NodeKind::Image: return ImageModel {};
    }
    return EmptyModel {};
}

}
