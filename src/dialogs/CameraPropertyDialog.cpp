#include "dialogs/CameraPropertyDialog.h"

#include <cstdio>
#include <string>

#include "dialogs/DialogTemplates.h"

namespace pixora {

namespace {

constexpr const char* kStreamFormats[] = {"Monochrome 8bit", "Monochrome 10bit *", "Color 24bit",
                                          "Color 32bit",     "Color 48bit *",      "Color 64bit *"};
constexpr const char* kStreamFormatsJa[] = {"白黒 8bit",    "白黒 10bit ※",   "カラー 24bit",
                                            "カラー 32bit", "カラー 48bit ※", "カラー 64bit ※"};
constexpr const char* kSubSamples[] = {"1/1"};
constexpr const char* kClocks[] = {"Nomal", "Half"};
constexpr const char* kClocksJa[] = {"標準", "ハーフ"};
constexpr DialogText kCustomItem{"Custom", "カスタム"};
constexpr DialogText kTabLabel{"Stream Format", "ストリーム形式"};

constexpr int32_t kGeometryEditCount = 6;

std::string SizeLabel(const FormatSettings& e) {
    char label[40];
    std::snprintf(label, sizeof label, "%d x %d", static_cast<int>(e.captureWidth),
                  static_cast<int>(e.captureHeight));
    return label;
}

}  // namespace

void CameraPropertyDialog::FillList(DialogWindow& dialog, int32_t id, const char* const* items,
                                    int32_t count, int32_t selection) {
    // Explicit positions keep the listed order although the list style sorts.
    for (int32_t i = 0; i < count; ++i)
        dialog.ComboInsertString(id, i, items[i]);
    dialog.ComboSetCurSel(id, selection);
}

void CameraPropertyDialog::ShowGeometry(DialogWindow& dialog, const FormatSettings& entry) {
    const std::array<int32_t, 6> values = GeometryOf(entry);
    for (int32_t i = 0; i < kGeometryEditCount; ++i)
        dialog.SetItemInt(kIdTotalWidthEdit + i, values[static_cast<std::size_t>(i)], false);
}

void CameraPropertyDialog::OnInitDialog(DialogWindow& dialog) {
    table_.Load();
    loadedSizeIndex_ = table_.sizeIndex;
    const DialogLanguage language = dialog.Language();
    const bool japanese = language == DialogLanguage::Japanese;

    dialog.TabInsertItem(kIdTabControl, 0, kTabLabel.For(language));
    FillList(dialog, kIdStreamFormatList, japanese ? kStreamFormatsJa : kStreamFormats, 6,
             table_.colorIndex);
    FillList(dialog, kIdSubSampleList, kSubSamples, 1, table_.subSampleIndex);
    FillList(dialog, kIdClockList, japanese ? kClocksJa : kClocks, 2, table_.clockIndex);
    for (int32_t n = 0; n < table_.Count(); ++n)
        dialog.ComboInsertString(kIdSizeList, n, SizeLabel(*table_.Entry(n)));
    dialog.ComboInsertString(kIdSizeList, table_.Count(), kCustomItem.For(language));
    dialog.ComboSetCurSel(kIdSizeList, table_.sizeIndex);

    // A stored size number outside the table shows the values of an empty entry.
    const FormatSettings* shown = table_.Entry(table_.sizeIndex);
    ShowGeometry(dialog, shown != nullptr ? *shown : kEmptySize);
    dialog.SetItemInt(kIdWaitTimeEdit, table_.waitTime, false);

    for (int32_t id : {kIdApply, kIdSizeList, kIdSubSampleList, kIdClockList})
        dialog.EnableItem(id, false);
    for (int32_t i = 0; i < kGeometryEditCount; ++i)
        dialog.EnableItem(kIdTotalWidthEdit + i, false);
}

void CameraPropertyDialog::OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) {
    if (notifyCode == kButtonClicked && (id == kIdOk || id == kIdApply)) {
        ReadControls(dialog);
        table_.Save();
        if (id == kIdOk)
            dialog.EndDialog(kIdOk);
        return;
    }
    if (notifyCode == kButtonClicked && id == kIdCancel) {
        dialog.EndDialog(kIdCancel);
        return;
    }
    if (notifyCode == kComboSelChange) {
        if (id == kIdSizeList) {
            table_.sizeIndex = dialog.ComboGetCurSel(kIdSizeList);
            if (table_.sizeIndex != table_.Count()) {
                if (const FormatSettings* e = table_.Entry(table_.sizeIndex)) {
                    const std::array<int32_t, 6> values = GeometryOf(*e);
                    for (int32_t i = 0; i < 5; ++i) {
                        dialog.SetItemInt(kIdTotalWidthEdit + i,
                                          values[static_cast<std::size_t>(i)], false);
                    }
                    dialog.SetItemInt(kIdStartRowEdit, e->startRow, false);
                }
            }
        }
        dialog.EnableItem(kIdApply, true);
        return;
    }
    if (notifyCode == kEditChange)
        dialog.EnableItem(kIdApply, true);
}

void CameraPropertyDialog::ReadControls(DialogWindow& dialog) {
    table_.colorIndex = dialog.ComboGetCurSel(kIdStreamFormatList);
    table_.sizeIndex = dialog.ComboGetCurSel(kIdSizeList);
    table_.subSampleIndex = dialog.ComboGetCurSel(kIdSubSampleList);
    table_.clockIndex = dialog.ComboGetCurSel(kIdClockList);
    table_.waitTime = dialog.GetItemInt(kIdWaitTimeEdit, nullptr, false);

    std::array<int32_t, 6> values{};
    for (int32_t i = 0; i < kGeometryEditCount; ++i)
        values[static_cast<std::size_t>(i)] =
            dialog.GetItemInt(kIdTotalWidthEdit + i, nullptr, false);

    const int32_t count = table_.Count();
    if (table_.sizeIndex == count) {
        // The custom item, always last: a new entry, unless the table is full.
        FormatSettings added = kEmptySize;
        SetGeometry(added, values);
        if (table_.Append(added)) {
            dialog.ComboInsertString(kIdSizeList, count, SizeLabel(added));
            dialog.ComboSetCurSel(kIdSizeList, count);
        } else {
            // A full table takes no custom size: the size stays the one stored, and the
            // edits show it again so that a later OK does not write the refused values.
            table_.sizeIndex = loadedSizeIndex_;
            dialog.ComboSetCurSel(kIdSizeList, table_.sizeIndex);
            const FormatSettings* kept = table_.Entry(table_.sizeIndex);
            ShowGeometry(dialog, kept != nullptr ? *kept : kEmptySize);
        }
    } else if (table_.sizeIndex >= 0 && table_.sizeIndex < count) {
        FormatSettings& e = *table_.Entry(table_.sizeIndex);
        SetGeometry(e, values);
        dialog.ComboDeleteString(kIdSizeList, table_.sizeIndex);
        dialog.ComboInsertString(kIdSizeList, table_.sizeIndex, SizeLabel(e));
        dialog.ComboSetCurSel(kIdSizeList, table_.sizeIndex);
    }
    dialog.EnableItem(kIdApply, false);
}

}  // namespace pixora
