// The control table's rows fit the places that read them: the dialog templates' slider
// rows, the stored subkeys and the session's records. A row added wrongly fails here
// rather than in a dialog or a settings file.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "PixoraSdk_530TZ.h"
#include "settings/ControlRows.h"
#include "settings/ControlTable.h"
#include "settings/SettingsDefaults.h"

namespace pixora {
namespace {

TEST(ControlTable, SliderRowsFillTheirPagesTemplatesFromTheTop) {
    // The templates' slider rows: nine on the image page, eight on the gray page, six on
    // the analog page.
    const std::map<DialogPage, size_t> templateRows = {
        {DialogPage::ImageFilter, 9}, {DialogPage::GrayFilter, 8}, {DialogPage::AnalogGain, 6}};
    for (const auto& [page, rows] : templateRows) {
        const auto sliders = SliderRows(page);
        ASSERT_EQ(sliders.size(), rows);
        for (size_t i = 0; i < sliders.size(); ++i) {
            EXPECT_EQ(sliders[i]->dialog.slider, static_cast<int>(i)) << sliders[i]->name;
            EXPECT_NE(sliders[i]->entry.record, RecordEntry::Record::None) << sliders[i]->name;
        }
    }
    EXPECT_TRUE(SliderRows(DialogPage::CameraFormat).empty());
    EXPECT_TRUE(SliderRows(DialogPage::None).empty());
}

TEST(ControlTable, StoredRowsAreUniqueAndWrittenInRecordOrder) {
    const std::map<StoredIn, RecordEntry::Record> records = {
        {StoredIn::Filter, RecordEntry::Record::Picture},
        {StoredIn::Gray, RecordEntry::Record::Picture},
        {StoredIn::Gain, RecordEntry::Record::Analog}};
    std::set<std::pair<RecordEntry::Record, int>> entries;
    for (const auto& [where, record] : records) {
        std::set<std::string> names;
        int previous = -1;
        for (const ControlRow* row : StoredRows(where)) {
            EXPECT_EQ(row->entry.record, record) << row->name;
            EXPECT_GT(row->entry.index, previous) << row->name;
            previous = row->entry.index;
            EXPECT_TRUE(names.insert(row->storedName).second) << row->storedName;
            EXPECT_TRUE(entries.insert({record, row->entry.index}).second) << row->name;
        }
    }
    EXPECT_EQ(StoredRows(StoredIn::Filter).size(), 10u);
    EXPECT_EQ(StoredRows(StoredIn::Gray).size(), 9u);
    EXPECT_EQ(StoredRows(StoredIn::Gain).size(), 8u);
    EXPECT_EQ(StoredRows(StoredIn::Size).size(), 4u);
    for (const ControlRow& row : Controls()) {
        EXPECT_EQ(row.stored == StoredIn::Nowhere, row.storedName == nullptr) << row.name;
    }
}

TEST(ControlTable, FilterIndicesHaveTheirNamedAccessorsAndTargets) {
    for (int32_t index = 0; index <= 28; ++index) {
        const ControlRow* row = ControlByFilterIndex(index);
        if (index < PIXORA_FILTER_BRIGHTNESS || index > PIXORA_FILTER_GRAY_OFFSET_B) {
            EXPECT_EQ(row, nullptr) << index;
            continue;
        }
        ASSERT_NE(row, nullptr) << index;
        EXPECT_EQ(row->filterIndex, index);
        EXPECT_NE(row->accessor, nullptr) << row->name;
        EXPECT_EQ(row->Has(kNeedsDevice), true) << row->name;
        const bool refused =
            index >= PIXORA_FILTER_COLOR_GAIN_RED && index <= PIXORA_FILTER_COLOR_GAIN_BLUE;
        EXPECT_EQ(row->target == ControlTarget::Refused, refused) << row->name;
        if (row->target == ControlTarget::PictureEntry) {
            EXPECT_EQ(row->entry.record, RecordEntry::Record::Picture) << row->name;
        }
    }
    EXPECT_EQ(FindControl("gain"), ControlByFilterIndex(PIXORA_FILTER_GLOBAL_GAIN));
    EXPECT_EQ(ControlById(ControlIdOf(*FindControl("gamma"))), FindControl("gamma"));
}

TEST(ControlTable, DefaultButtonsAndMissingSubkeysGiveTheNeutralValues) {
    FilterSettings filter;
    SetImageFilterDefaults(filter);
    EXPECT_EQ(filter.Copy(), (FilterSettings::Values{0, 0, 0, 0, 0, 100, 100, 100, 100, 3}));
    FilterSettings gray;
    gray.Set(FilterField::GrayMode, 2);
    SetGrayFilterDefaults(gray);
    EXPECT_EQ(gray.Get(FilterField::GrayMode), 2);  // the Default button keeps the mode
    for (FilterField f : {FilterField::GrayGainR, FilterField::GrayGainG1, FilterField::GrayGainG2,
                          FilterField::GrayGainB}) {
        EXPECT_EQ(gray.Get(f), 128);
    }
    SetStoredDefaults(StoredIn::Gray, gray);
    EXPECT_EQ(gray.Get(FilterField::GrayMode), 0);  // a missing subkey does not
    AnalogSettings analog;
    analog.Set(AnalogField::VerticalMirror, 1);
    analog.Set(AnalogField::AutoIris, 2);
    SetAnalogGainDefaults(analog);
    EXPECT_EQ(analog.Copy(), (AnalogSettings::Values{656, 0, 0, 0, 0, 64, 1, 2}));
}

TEST(ControlTable, DialogRowsAreUsableInTheirColourModes) {
    // Monochrome: brightness, contrast, sharpness and gamma; colour: all nine.
    std::set<std::string> monochrome;
    for (const ControlRow* row : SliderRows(DialogPage::ImageFilter)) {
        if (RowUsable(row->dialog.usable, 1))
            monochrome.insert(row->name);
        EXPECT_TRUE(RowUsable(row->dialog.usable, 2)) << row->name;
    }
    EXPECT_EQ(monochrome, (std::set<std::string>{"brightness", "contrast", "sharpness", "gamma"}));
    // A stored colour mode outside the six counts as colour, as before.
    EXPECT_TRUE(RowUsable(UsableIn::Colour, 9));
    EXPECT_FALSE(RowUsable(UsableIn::Monochrome, -1));
    EXPECT_FALSE(RowUsable(UsableIn::Never, 0));
}

}  // namespace
}  // namespace pixora
