#pragma once

// The first of a list or tree widget's selected items, or null when nothing is selected. The
// sheets' lists select one item at a time, so this is the one the user chose.
template <class View>
auto firstSelected(const View* view) -> typename decltype(view->selectedItems())::value_type {
    const auto selected = view->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}
