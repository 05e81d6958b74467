#pragma once
// The window's choosers made from the core's tables of words: their items are the labels in
// the table's order, so that an index is a value and no label is written here.

#include "spectrum/signal/vocabulary.h"

#include <QComboBox>
#include <QString>

#include <string_view>

namespace orbistan::ui {

inline QString utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <class E, std::size_t N> void fillChooser(QComboBox& box, const Vocabulary<E, N>& words) {
    for (const Term<E>& t : words) {
        box.addItem(utf8Text(t.label));
    }
}

// The value chosen; the table's first while nothing is.
template <class E, std::size_t N>
E chosenValue(const QComboBox& box, const Vocabulary<E, N>& words) {
    return valueAt(words, box.currentIndex()).value_or(words.front().value);
}

template <class E, std::size_t N>
void showChoice(QComboBox& box, const Vocabulary<E, N>& words, E value) {
    box.setCurrentIndex(indexOf(words, value));
}

} // namespace orbistan::ui
