// Text field editing: caret and selection moves, edits with their undo
// history, word boundaries and the clipboard forms of a text, all on the
// UTF-16 text of a text box or a terminal's input line.
#pragma once

#include "core/models/model.hpp"

#include <cstddef>
#include <string_view>

namespace orvy {

// Every operation keeps surrogate pairs whole: the caret never stops between
// the two halves, and one step or one deletion takes the pair. Every change
// of text, caret, selection or preedit grows the model's revision.

struct TextRange {
    std::size_t start = 0;
    std::size_t end = 0;
    bool empty() const { return start == end; }
    friend bool operator==(TextRange const&, TextRange const&) = default;
};

// The history keeps at most this many steps; the oldest go first.
inline constexpr std::size_t undo_limit = 500;

// The selection (between anchor and caret), clamped to the text.
TextRange selection_of(TextboxModel const&);
Text selected_text(TextboxModel const&);

// The position one character before or after `position` (a surrogate pair
// counts as one character), clamped to the text.
std::size_t previous_position(std::u16string_view text, std::size_t position);
std::size_t next_position(std::u16string_view text, std::size_t position);
std::size_t previous_position(TextBuffer const& text, std::size_t position);
std::size_t next_position(TextBuffer const& text, std::size_t position);
// `position` moved off the middle of a surrogate pair (forward), clamped.
std::size_t whole_position(std::u16string_view text, std::size_t position);
std::size_t whole_position(TextBuffer const& text, std::size_t position);

// ---- Caret and selection (no edit; they close the typing run before them)

// Caret to `position`; the anchor follows unless the selection is extended.
bool place_caret(TextboxModel&, std::size_t position, bool extend);
enum class CaretStep : std::uint8_t { Left, Right, Home, End };
// Left and Right without Shift first collapse a selection to its near end.
bool step_caret(TextboxModel&, CaretStep step, bool extend);
bool select_all(TextboxModel&);
bool select_range(TextboxModel&, TextRange range);

// The word around `position` (at most the last unit): letters, digits,
// underscore and other alphanumeric characters, a surrogate ending it; a
// position on any other character gives that single unit.
TextRange word_at(std::u16string_view text, std::size_t position);
TextRange word_at(TextBuffer const& text, std::size_t position);

// ---- Edits (each one undo step, or joined to a typing run); they return
// whether the text changed.

// Replaces the selection with `text` at the caret, which ends after it.
bool replace_selection(TextboxModel&, std::u16string_view text, TextEdit::Kind kind = TextEdit::Kind::Other);
// Backspace and Delete: the selection, else the character before / after the caret.
bool delete_backward(TextboxModel&);
bool delete_forward(TextboxModel&);
// Replaces the whole text as one undo step, caret and anchor at the end.
bool replace_all(TextboxModel&, std::u16string_view text);
// Empties the field and forgets its history (the terminal after a command).
void clear_field(TextboxModel&);
bool undo(TextboxModel&);
bool redo(TextboxModel&);

// ---- Input method composition
bool set_preedit(TextboxModel&, std::u16string_view text);

// One "•" per unit, from a buffer reused per thread: a masked field shows
// these in place of its text.
std::u16string_view bullets(std::size_t length);

// ---- Text crossing the clipboard

// A copied selection: every line feed becomes carriage return + line feed.
Text clipboard_form(std::u16string_view text);
// A pasted text: carriage returns and every other unit below 0x20 removed,
// line feeds kept only for a multi-line field.
Text pasted_form(std::u16string_view text, bool multiline);
// Input-method text: units below 0x20 removed.
Text committed_form(std::u16string_view text);

}
