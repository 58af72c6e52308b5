#include "settings/SettingsDefaults.h"

namespace pixora {

namespace {

template <typename Field, std::size_t N, typename Chosen>
void SetNeutral(AtomicRecord<Field, N>& record, RecordEntry::Record which, Chosen chosen) {
    for (const ControlRow& row : Controls()) {
        if (row.entry.record == which && chosen(row))
            record.Set(static_cast<Field>(row.entry.index), row.neutral);
    }
}

template <typename Field, std::size_t N>
void SetPageDefaults(AtomicRecord<Field, N>& record, RecordEntry::Record which, DialogPage page) {
    SetNeutral(record, which, [page](const ControlRow& row) {
        return row.dialog.page == page && row.Has(kDialogDefault);
    });
}

}  // namespace

void SetImageFilterDefaults(FilterSettings& filter) {
    SetPageDefaults(filter, RecordEntry::Record::Picture, DialogPage::ImageFilter);
}

void SetGrayFilterDefaults(FilterSettings& filter) {
    SetPageDefaults(filter, RecordEntry::Record::Picture, DialogPage::GrayFilter);
}

void SetAnalogGainDefaults(AnalogSettings& analog) {
    SetPageDefaults(analog, RecordEntry::Record::Analog, DialogPage::AnalogGain);
}

void SetStoredDefaults(StoredIn where, FilterSettings& filter) {
    SetNeutral(filter, RecordEntry::Record::Picture,
               [where](const ControlRow& row) { return row.stored == where; });
}

void SetStoredDefaults(StoredIn where, AnalogSettings& analog) {
    SetNeutral(analog, RecordEntry::Record::Analog,
               [where](const ControlRow& row) { return row.stored == where; });
}

}  // namespace pixora
