// Column edges of tables and trees under the pointer: the press that starts
// a resize or fits the column, the drag, and the release that reports it.
//
//   down on an edge, move, up         -> the column follows, ColumnsChanged on up
//   down on an edge, up (no change)   -> nothing is reported
//   second down within 400 ms, 6 px   -> the column fits its widest cell, ColumnsChanged
#include "core/input/pointer.hpp"

namespace orvy {

bool PointerInput::press_column_edge(PointerContext const& context, PointF point, NodeId hit)
{
    auto column = column_edge_at(m_tree, hit, point);
    if (!column)
        return false;
    auto index = static_cast<std::uint32_t>(*column);
    if (is_double_press(context, point)) {
        float fitted = fitted_column_width(m_tree, hit, *column, [this](NodeId node, std::u16string_view text) {
            return m_services ? m_services->text_width(node, text) : 0.0f;
        });
        resize_column(m_tree, hit, *column, fitted);
        m_tree.fire(hit, UiEvent::ColumnsChanged, index);
    } else {
        std::vector<ColumnSpan> spans = column_layout(m_tree, hit);
        m_drag = Drag { .kind = DragKind::ColumnEdge, .node = hit, .start_value = spans[*column].w,
            .start_pointer = point, .column = index };
    }
    record_press(context, point);
    return true;
}

bool PointerInput::follow_column_edge(PointF point)
{
    float width = m_drag.start_value + (point.x - m_drag.start_pointer.x);
    if (!resize_column(m_tree, m_drag.node, m_drag.column, width))
        return false;
    m_drag.resized = true;
    return true;
}

bool PointerInput::end_column_edge_drag()
{
    if (m_drag.kind != DragKind::ColumnEdge || !m_drag.resized || !m_tree.contains(m_drag.node))
        return false;
    m_tree.fire(m_drag.node, UiEvent::ColumnsChanged, m_drag.column);
    return true;
}

bool PointerInput::over_column_edge() const
{
    if (m_drag.kind == DragKind::ColumnEdge)
        return true;
    return m_tree.hovered && column_edge_at(m_tree, m_tree.hovered->node, m_pointer).has_value();
}

}
