// Text field editing on UTF-16 text: caret, selection, edits and history.
#include "core/models/text_field.hpp"

#include "core/models/paragraphs.hpp"

#include <algorithm>

namespace orvy {

namespace {

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool is_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Letters, digits and underscore; beyond ASCII everything counts as
// alphanumeric except spaces, punctuation and symbol blocks.
bool is_word_unit(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= '0' && unit <= '9') || (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z') || unit == '_';
    if (is_surrogate(unit))
        return false;
    if (unit < 0xC0)
        return unit == 0xAA || unit == 0xB5 || unit == 0xBA;
    if (unit == 0xD7 || unit == 0xF7)
        return false;
    if (unit >= 0x2000 && unit <= 0x2BFF) // punctuation, symbols, arrows, box drawing
        return false;
    if (unit >= 0x3000 && unit <= 0x303F) // CJK punctuation
        return false;
    if (unit >= 0xFE30 && unit <= 0xFE4F)
        return false;
    if (unit >= 0xFF00 && unit <= 0xFF0F) // full-width punctuation
        return false;
    return true;
}

// Marks the newest step as finished: nothing typed later joins it.
void close_run(TextboxModel& box)
{
    if (!box.undo.empty())
        box.undo.back().kind = TextEdit::Kind::Other;
}

void push_step(TextboxModel& box, TextEdit edit)
{
    box.redo.clear();
    if (box.undo.size() >= undo_limit)
        box.undo.erase(box.undo.begin());
    box.undo.push_back(std::move(edit));
}

// Whether a typed `text` continues the run of the newest step: typed at the
// place where the run ended, and not starting a new word after a space.
bool joins_typing(TextboxModel const& box, std::u16string_view text)
{
    if (box.undo.empty() || box.caret != box.anchor)
        return false;
    TextEdit const& last = box.undo.back();
    if (last.kind != TextEdit::Kind::Typing || last.inserted.empty()
        || last.position + last.inserted.size() != box.caret)
        return false;
    char16_t previous = last.inserted.back();
    bool after_space = previous == u' ' || previous == u'\n';
    bool starts_space = !text.empty() && (text.front() == u' ' || text.front() == u'\n');
    return !after_space || starts_space;
}

// Removes [start, end) as a deletion by key, joined to a run of deletions
// that it continues (Backspace before it, Delete at the same place).
bool delete_range(TextboxModel& box, TextRange range)
{
    if (range.empty())
        return false;
    Text removed = box.text.substr(range.start, range.end - range.start);
    bool was_selection = box.caret != box.anchor;
    TextEdit* last = box.undo.empty() ? nullptr : &box.undo.back();
    bool joins = !was_selection && last && last->kind == TextEdit::Kind::Deleting && last->inserted.empty()
        && (last->position == range.end || last->position == range.start);
    if (joins) {
        if (last->position == range.end) {
            last->removed.insert(0, removed);
            last->position = range.start;
        } else {
            last->removed += removed;
        }
        last->caret_after = range.start;
        box.redo.clear();
    } else {
        push_step(box, TextEdit { .position = range.start, .removed = std::move(removed), .caret_before = box.caret,
                           .caret_after = range.start,
                           .kind = was_selection ? TextEdit::Kind::Other : TextEdit::Kind::Deleting });
    }
    box.text.replace(range.start, range.end - range.start, {});
    note_edit(box, range.start, range.end - range.start, {});
    box.caret = box.anchor = range.start;
    ++box.revision;
    return true;
}

// Sets anchor and caret (already on whole characters); ends the typing run.
bool select_caret(TextboxModel& box, std::size_t anchor, std::size_t caret)
{
    close_run(box);
    if (box.caret == caret && box.anchor == anchor)
        return false;
    box.anchor = anchor;
    box.caret = caret;
    ++box.revision;
    return true;
}

// Applies one step forwards or backwards and moves it to the other stack.
bool replay(TextboxModel& box, std::vector<TextEdit>& from, std::vector<TextEdit>& to, bool backwards)
{
    if (from.empty())
        return false;
    TextEdit edit = std::move(from.back());
    from.pop_back();
    Text const& present = backwards ? edit.inserted : edit.removed;
    Text const& restored = backwards ? edit.removed : edit.inserted;
    std::size_t position = std::min(edit.position, box.text.size());
    std::size_t replaced = std::min(present.size(), box.text.size() - position);
    box.text.replace(position, replaced, restored);
    note_edit(box, position, replaced, restored);
    box.caret = box.anchor = std::min(backwards ? edit.caret_before : edit.caret_after, box.text.size());
    edit.kind = TextEdit::Kind::Other;
    to.push_back(std::move(edit));
    box.preedit.clear();
    ++box.revision;
    return true;
}


// Each works on a plain text and on a field's buffer alike.
template<class Units>
std::size_t previous_of(Units const& text, std::size_t position)
{
    position = std::min(position, text.size());
    if (position == 0)
        return 0;
    --position;
    if (position > 0 && is_low_surrogate(text[position]) && is_high_surrogate(text[position - 1]))
        --position;
    return position;
}

template<class Units>
std::size_t next_of(Units const& text, std::size_t position)
{
    if (position >= text.size())
        return text.size();
    ++position;
    if (position < text.size() && is_low_surrogate(text[position]) && is_high_surrogate(text[position - 1]))
        ++position;
    return position;
}

template<class Units>
std::size_t whole_of(Units const& text, std::size_t position)
{
    position = std::min(position, text.size());
    if (position > 0 && position < text.size() && is_low_surrogate(text[position])
        && is_high_surrogate(text[position - 1]))
        ++position;
    return position;
}

template<class Units>
TextRange word_of(Units const& text, std::size_t position)
{
    if (text.empty())
        return {};
    position = std::min(position, text.size() - 1);
    if (!is_word_unit(text[position]))
        return { position, position + 1 };
    std::size_t start = position, end = position + 1;
    while (start > 0 && is_word_unit(text[start - 1]))
        --start;
    while (end < text.size() && is_word_unit(text[end]))
        ++end;
    return { start, end };
}

}

TextRange selection_of(TextboxModel const& box)
{
    std::size_t caret = std::min(box.caret, box.text.size());
    std::size_t anchor = std::min(box.anchor, box.text.size());
    return { std::min(caret, anchor), std::max(caret, anchor) };
}

Text selected_text(TextboxModel const& box)
{
    TextRange range = selection_of(box);
    return box.text.substr(range.start, range.end - range.start);
}

std::size_t previous_position(std::u16string_view text, std::size_t position) { return previous_of(text, position); }
std::size_t previous_position(TextBuffer const& text, std::size_t position) { return previous_of(text, position); }
std::size_t next_position(std::u16string_view text, std::size_t position) { return next_of(text, position); }
std::size_t next_position(TextBuffer const& text, std::size_t position) { return next_of(text, position); }
std::size_t whole_position(std::u16string_view text, std::size_t position) { return whole_of(text, position); }
std::size_t whole_position(TextBuffer const& text, std::size_t position) { return whole_of(text, position); }
TextRange word_at(std::u16string_view text, std::size_t position) { return word_of(text, position); }
TextRange word_at(TextBuffer const& text, std::size_t position) { return word_of(text, position); }

bool place_caret(TextboxModel& box, std::size_t position, bool extend)
{
    position = whole_position(box.text, position);
    return select_caret(box, extend ? box.anchor : position, position);
}

bool step_caret(TextboxModel& box, CaretStep step, bool extend)
{
    TextRange selected = selection_of(box);
    switch (step) {
    case CaretStep::Home: return place_caret(box, 0, extend);
    case CaretStep::End: return place_caret(box, box.text.size(), extend);
    case CaretStep::Left:
        if (!extend && !selected.empty())
            return place_caret(box, selected.start, false);
        return place_caret(box, previous_position(box.text, box.caret), extend);
    case CaretStep::Right:
        if (!extend && !selected.empty())
            return place_caret(box, selected.end, false);
        return place_caret(box, next_position(box.text, box.caret), extend);
    }
    return false;
}

bool select_range(TextboxModel& box, TextRange range)
{
    return select_caret(box, whole_position(box.text, range.start), whole_position(box.text, range.end));
}

bool select_all(TextboxModel& box) { return select_range(box, { 0, box.text.size() }); }

bool replace_selection(TextboxModel& box, std::u16string_view text, TextEdit::Kind kind)
{
    TextRange range = selection_of(box);
    box.preedit.clear();
    if (range.empty() && text.empty())
        return false;
    if (kind == TextEdit::Kind::Typing && range.empty() && joins_typing(box, text)) {
        TextEdit& last = box.undo.back();
        last.inserted += text;
        last.caret_after = range.start + text.size();
        box.redo.clear();
    } else {
        close_run(box);
        push_step(box, TextEdit { .position = range.start,
                           .removed = box.text.substr(range.start, range.end - range.start),
                           .inserted = Text(text),
                           .caret_before = box.caret,
                           .caret_after = range.start + text.size(),
                           .kind = kind });
    }
    box.text.replace(range.start, range.end - range.start, text);
    note_edit(box, range.start, range.end - range.start, text);
    box.caret = box.anchor = range.start + text.size();
    ++box.revision;
    return true;
}

bool delete_backward(TextboxModel& box)
{
    TextRange range = selection_of(box);
    if (range.empty())
        range.start = previous_position(box.text, range.end);
    return delete_range(box, range);
}

bool delete_forward(TextboxModel& box)
{
    TextRange range = selection_of(box);
    if (range.empty())
        range.end = next_position(box.text, range.start);
    return delete_range(box, range);
}

bool replace_all(TextboxModel& box, std::u16string_view text)
{
    if (box.text == text)
        return false;
    box.anchor = 0;
    box.caret = box.text.size();
    return replace_selection(box, text);
}

void clear_field(TextboxModel& box)
{
    box.text.clear();
    box.paragraphs.reset();
    box.preedit.clear();
    box.caret = box.anchor = 0;
    box.scroll_x = box.scroll_y = 0.0f;
    box.undo.clear();
    box.redo.clear();
    ++box.revision;
}

bool undo(TextboxModel& box) { return replay(box, box.undo, box.redo, true); }
bool redo(TextboxModel& box) { return replay(box, box.redo, box.undo, false); }

bool set_preedit(TextboxModel& box, std::u16string_view text)
{
    if (box.preedit == text)
        return false;
    box.preedit = Text(text);
    ++box.revision;
    return true;
}

std::u16string_view bullets(std::size_t length)
{
    thread_local std::u16string units;
    if (units.size() < length)
        units.assign(length, u'\u2022');
    return std::u16string_view(units).substr(0, length);
}

Text clipboard_form(std::u16string_view text)
{
    Text result;
    result.reserve(text.size());
    for (char16_t unit : text) {
        if (unit == u'\n')
            result += u'\r';
        result += unit;
    }
    return result;
}

Text pasted_form(std::u16string_view text, bool multiline)
{
    Text result;
    result.reserve(text.size());
    for (char16_t unit : text) {
        if (unit >= 0x20 || (multiline && unit == u'\n'))
            result += unit;
    }
    return result;
}

Text committed_form(std::u16string_view text) { return pasted_form(text, false); }

}
