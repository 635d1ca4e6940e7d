// The frame pipeline of one window.
#include "core/frame/window_core.hpp"

#include "core/layout/layout.hpp"
#include "core/paint/canvas.hpp"
#include "core/tree/utf.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

WindowCore::WindowCore(Tree& tree, StyleContext& styles, WindowLook const& look, WindowCells cells,
    std::unique_ptr<TextEngine> text, std::unique_ptr<ImageDecoder> images, std::shared_ptr<void> owner)
    : m_tree(tree)
    , m_styles(styles)
    , m_look(look)
    , m_cells(std::move(cells))
    , m_theme(look.theme)
    , m_text(std::move(text))
    , m_decoder(std::move(images))
    , m_owner(std::move(owner))
{
    m_look.tint = std::clamp(m_look.tint, 0.0f, 1.0f);
    if (std::isnan(m_look.tint))
        m_look.tint = 0.0f;
    if (m_text) {
        m_text->set_family_lookup([&styles](std::uint16_t family) {
            return utf16_to_utf8(styles.font_families().name(family));
        });
    }
}

WindowCore::~WindowCore()
{
    // The tree's callbacks may be what `m_owner` keeps alive; drop them while
    // everything they refer to still exists.
    m_window = nullptr;
}

void WindowCore::attached(NativeWindow& window)
{
    m_window = &window;
    m_client = window.client_size();
}

FrameContext WindowCore::frame_context() const
{
    return { .now = Clock::now(),
        .client_width = static_cast<float>(m_client.width),
        .client_height = static_cast<float>(m_client.height),
        .styles = &m_styles };
}

bool WindowCore::frame_update() { return orvy::frame_update(m_tree, frame_context()); }

bool WindowCore::has_app_timers() const { return !m_tree.timers.empty() || !m_tree.timer_inbox.empty(); }

void WindowCore::resize(ClientSize size)
{
    if (size.width == 0 || size.height == 0)
        return;
    m_client = size;
    if (m_text)
        m_text->clear_caches();
}

void WindowCore::apply_font(FontChange change)
{
    m_look.font_family = std::move(change.family);
    m_look.font_size = change.size;
    m_styles.font_families().set_default(m_look.font_family);
    if (m_text)
        m_text->clear_caches();
    m_tree.layout_dirty = true;
}

void WindowCore::prepare_frame()
{
    // Step 1: a pending theme first, then step 2: a pending base font.
    if (auto theme = m_cells.theme.take())
        m_theme.set(*theme);
    if (auto font = m_cells.font.take())
        apply_font(std::move(*font));
    // Step 4: the watched style sheet.
    m_styles.check_hot_reload(m_tree);
    // Step 8: the frame update, then layout when something moved.
    orvy::frame_update(m_tree, frame_context());
    RectF client { 0, 0, static_cast<float>(m_client.width), static_cast<float>(m_client.height) };
    if (layout(m_tree, client)) {
        auto& rects = *m_cells.rects;
        rects.resize(m_tree.size());
        for (NodeId id = 0; id < m_tree.size(); ++id)
            rects[id] = m_tree.node(id).rect;
    }
}

void WindowCore::paint(Canvas& canvas)
{
    prepare_frame();
    // Step 10: the clear colour; a glass window shows the backdrop through the tint.
    Color background = m_theme.palette().background();
    bool see_through = m_look.glass && m_window && m_window->is_transparent();
    background.a = see_through ? m_look.tint : 1.0f;
    canvas.clear(background);
    // Step 12: the tree. FIXME: until widget painting lands, panels show as surfaces.
    Color surface = m_theme.palette().surface();
    for (Node const& node : m_tree.nodes) {
        if (node.kind() == NodeKind::Frame && node.rect.x > hidden_subtree_x && node.rect.w > 0 && node.rect.h > 0) {
            auto const* frame = node.model.as<FrameModel>();
            canvas.fill_rounded_rect(node.rect, frame ? frame->radius : 0.0f, node.styles.base().background.value_or(surface));
        }
    }
}

}
