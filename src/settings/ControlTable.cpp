#include "settings/ControlTable.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace pixora {

namespace {

constexpr std::size_t kStoredPlaces = static_cast<std::size_t>(StoredIn::Size) + 1;
constexpr std::size_t kPages = static_cast<std::size_t>(DialogPage::AnalogGain) + 1;

// The lookups the table's users make on every call, built once from Controls().
struct ControlIndex {
    std::vector<const ControlRow*> byFilterIndex;
    std::array<std::vector<const ControlRow*>, kStoredPlaces> stored;
    std::array<std::vector<const ControlRow*>, kPages> sliders;

    ControlIndex() {
        for (const ControlRow& row : Controls()) {
            if (row.filterIndex > 0) {
                const auto index = static_cast<std::size_t>(row.filterIndex);
                if (byFilterIndex.size() <= index)
                    byFilterIndex.resize(index + 1, nullptr);
                byFilterIndex[index] = &row;
            }
            if (row.stored != StoredIn::Nowhere)
                stored[static_cast<std::size_t>(row.stored)].push_back(&row);
            if (row.dialog.page != DialogPage::None && row.dialog.slider >= 0)
                sliders[static_cast<std::size_t>(row.dialog.page)].push_back(&row);
        }
        for (auto& rows : stored) {
            std::stable_sort(rows.begin(), rows.end(),
                             [](const ControlRow* a, const ControlRow* b) {
                                 return a->entry.index < b->entry.index;
                             });
        }
        for (auto& rows : sliders) {
            std::stable_sort(rows.begin(), rows.end(),
                             [](const ControlRow* a, const ControlRow* b) {
                                 return a->dialog.slider < b->dialog.slider;
                             });
        }
    }
};

const ControlIndex& Index() {
    static const ControlIndex index;
    return index;
}

bool Monochrome(int32_t colorModeIndex) {
    return colorModeIndex == 0 || colorModeIndex == 1;
}

}  // namespace

bool RowUsable(UsableIn usable, int32_t colorModeIndex) {
    switch (usable) {
        case UsableIn::AllModes:
            return true;
        case UsableIn::Monochrome:
            return Monochrome(colorModeIndex);
        case UsableIn::Colour:
            return !Monochrome(colorModeIndex);
        case UsableIn::Never:
            return false;
    }
    return false;
}

const ControlRow* ControlById(int32_t id) {
    const std::span<const ControlRow> rows = Controls();
    if (id < 0 || static_cast<std::size_t>(id) >= rows.size())
        return nullptr;
    return &rows[static_cast<std::size_t>(id)];
}

int32_t ControlIdOf(const ControlRow& row) {
    return static_cast<int32_t>(&row - Controls().data());
}

const ControlRow* FindControl(std::string_view name) {
    for (const ControlRow& row : Controls()) {
        if (name == row.name)
            return &row;
        for (const char* const* alias = row.aliases; *alias != nullptr; ++alias) {
            if (name == *alias)
                return &row;
        }
    }
    return nullptr;
}

const ControlRow* ControlByFilterIndex(int32_t filterIndex) {
    const std::vector<const ControlRow*>& rows = Index().byFilterIndex;
    if (filterIndex <= 0 || static_cast<std::size_t>(filterIndex) >= rows.size())
        return nullptr;
    return rows[static_cast<std::size_t>(filterIndex)];
}

ValueSpan AcceptedValues(const ControlRow& row) {
    if (row.Has(kTakesAnyValue))
        return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
    return {row.minimum, row.maximum};
}

std::span<const ControlRow* const> StoredRows(StoredIn where) {
    return Index().stored[static_cast<std::size_t>(where)];
}

std::span<const ControlRow* const> SliderRows(DialogPage page) {
    return Index().sliders[static_cast<std::size_t>(page)];
}

}  // namespace pixora
