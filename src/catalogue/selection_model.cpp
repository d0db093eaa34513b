#include "catalogue/selection_model.h"

#include "catalogue/adapter_file.h"

#include <algorithm>

namespace zelmo {

namespace {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool knownType(std::int32_t code) {
    const auto choices = DeviceTypeChoices();
    return std::any_of(choices.begin(), choices.end(),
                       [code](const DeviceTypeChoice& c) { return c.Code == code; });
}

QString noneText() {
    return QStringLiteral("none");
}

} // namespace

CSelectionModel::CSelectionModel(const CCatalogue& catalogue, QString appDir,
                                 VendorNameFn vendorName)
    : catalogue_(catalogue), appDir_(std::move(appDir)), vendorName_(std::move(vendorName)) {}

void CSelectionModel::Open(const LastSelection& last) {
    filter_ = {};
    filter_.Type = knownType(last.Type) ? last.Type : 0;
    filter_.SearchText =
        QString::fromLatin1(last.SearchText.data(), static_cast<qsizetype>(last.SearchText.size()))
            .left(kSearchTextMax)
            .toLatin1()
            .toStdString();
    vendorEntries_ = VendorListEntries(catalogue_);
    const int position =
        last.VendorPosition > 0 && last.VendorPosition < static_cast<int>(vendorEntries_.size())
            ? last.VendorPosition
            : 0;
    SelectVendor(catalogue_, position, filter_);
    copiesIndex_ = 0;
    logoPath_.clear();
    filter();
    selectRow(0, false);
}

void CSelectionModel::filter() {
    matching_ = FilterDevices(catalogue_, filter_);
    scroll_ = 0;
    row_ = 0;
}

void CSelectionModel::SetType(std::int32_t code) {
    filter_.Type = code;
    filter();
    selectRow(0, true);
}

void CSelectionModel::SetVendor(int position) {
    if (position < 0 || position >= static_cast<int>(vendorEntries_.size())) {
        return; // no vendor selected
    }
    SelectVendor(catalogue_, position, filter_);
    filter();
    loadLogo(filter_.VendorCode);
    selectRow(0, false);
}

void CSelectionModel::SetSearchText(const QString& text) {
    // The search field takes 8-bit text; anything else cannot occur in a catalogue name.
    filter_.SearchText = text.left(kSearchTextMax).toLatin1().toStdString();
    SetVendor(filter_.VendorPosition);
}

int CSelectionModel::VisibleRows() const {
    return std::min(kGridRows, Matching());
}

int CSelectionModel::entryAt(int row) const {
    return row + (Paging().Enabled ? scroll_ : 0);
}

void CSelectionModel::selectRow(int row, bool userAction) {
    if (matching_.empty()) {
        row_ = 0;
        selected_ = -1;
        choice_ = {};
        userSelected_ = false;
        displayedPath_.clear();
        userAdapterPath_.clear();
        return;
    }
    row_ = std::clamp(row, 0, VisibleRows() - 1);
    selected_ = std::min(entryAt(row_), Matching() - 1);
    const DeviceDescriptor& device = matching_[static_cast<std::size_t>(selected_)];
    if (userAction) {
        loadLogo(FieldText(device.Vendor));
    }
    choice_ = AdapterChoiceFor(appDir_, device);
    userSelected_ = choice_.UserSelected;
    displayedPath_ = choice_.DisplayedPath;
    userAdapterPath_.clear();
}

void CSelectionModel::loadLogo(const std::string& vendorCode) {
    logoPath_ = zelmo::LogoPath(appDir_, vendorCode);
}

void CSelectionModel::ClickRow(int row) {
    if (row >= 0 && row < VisibleRows()) {
        selectRow(row, true);
    }
}

void CSelectionModel::SetScrollPosition(int position) {
    const GridPaging paging = Paging();
    scroll_ = paging.Enabled ? std::clamp(position, 0, paging.Maximum) : 0;
}

bool CSelectionModel::GridKeyPressed(GridKey key) {
    if (key == GridKey::Left || key == GridKey::Right) {
        return false;
    }
    if (key == GridKey::Enter) {
        selectRow(row_, true);
        return true;
    }
    if (matching_.empty()) {
        return false;
    }
    const GridPaging paging = Paging();
    const int last = VisibleRows() - 1;
    int row = row_;
    switch (key) {
    case GridKey::Down:
        if (row < last) {
            ++row;
        } else if (paging.Enabled && scroll_ < paging.Maximum) {
            ++scroll_;
        } else {
            return false;
        }
        break;
    case GridKey::Up:
        if (row > 0) {
            --row;
        } else if (scroll_ > 0) {
            --scroll_;
        } else {
            return false;
        }
        break;
    case GridKey::PageDown:
        if (row < last) {
            row = last;
        } else if (paging.Enabled) {
            scroll_ = std::min(scroll_ + kGridRows, paging.Maximum);
        } else {
            return false;
        }
        break;
    case GridKey::PageUp:
        if (row > 0) {
            row = 0;
        } else {
            scroll_ = std::max(scroll_ - kGridRows, 0);
        }
        break;
    case GridKey::Home:
        row = 0;
        scroll_ = 0;
        break;
    case GridKey::End:
        row = last;
        scroll_ = paging.Enabled ? paging.Maximum : 0;
        break;
    default:
        return false;
    }
    selectRow(row, true);
    return false;
}

bool CSelectionModel::SearchKeyPressed(SearchKey key) {
    switch (key) {
    case SearchKey::Enter:
        selectRow(0, true);
        return true;
    case SearchKey::Down:
        if (VisibleRows() > 1) {
            selectRow(1, true);
        }
        return false;
    case SearchKey::Up:
        if (VisibleRows() > 0) {
            selectRow(VisibleRows() - 1, true);
        }
        return false;
    }
    return false;
}

void CSelectionModel::ChooseGenericAdapter() {
    if (choice_.GenericAvailable) {
        userSelected_ = false;
        displayedPath_ = choice_.GenericPath;
    }
}

void CSelectionModel::ChooseUserAdapter() {
    if (choice_.NeedsAdapter) {
        userSelected_ = true;
        displayedPath_ = userAdapterPath_;
    }
}

Result CSelectionModel::LoadUserAdapter(const QString& path) {
    std::array<std::uint8_t, kAdapterImageSize> image{};
    if (!choice_.NeedsAdapter || readAdapterFile(path, image) != AdapterReadResult::Valid) {
        return Result::failure(QString::fromLatin1(kAdapterFileUnreadable));
    }
    userAdapterPath_ = path;
    displayedPath_ = path;
    userSelected_ = true;
    return Result::success();
}

QString CSelectionModel::CreatorPath() const {
    return userSelected_ ? userAdapterPath_ : choice_.GenericPath;
}

void CSelectionModel::CreatorClosed(const QString& path) {
    if (!choice_.NeedsAdapter) {
        return;
    }
    userAdapterPath_ = path;
    displayedPath_ = path;
    userSelected_ = true;
}

void CSelectionModel::SetCopiesIndex(int index) {
    copiesIndex_ = std::clamp(index, 0, kMaxCopies - 1);
}

CSelectionModel::OkOutcome CSelectionModel::Ok(LastSelection& last) {
    OkOutcome outcome;
    outcome.Message = ConfirmSelectionMessage(SelectedDevice(), userSelected_, userAdapterPath_);
    if (!outcome.Message.isEmpty()) {
        return outcome;
    }
    last.Type = filter_.Type;
    last.VendorPosition = filter_.VendorPosition;
    last.Device = selected_;
    last.SearchText = filter_.SearchText;
    outcome.Confirmed = true;
    return outcome;
}

DeviceSelection CSelectionModel::Selection() const {
    DeviceSelection selection;
    if (const DeviceDescriptor* device = SelectedDevice()) {
        selection.Descriptor = *device;
    }
    selection.Copies = copiesIndex_ + 1;
    selection.AdapterPath = userSelected_ ? userAdapterPath_ : choice_.GenericPath;
    return selection;
}

QString CSelectionModel::CountText() const {
    return DeviceCountText(Matching(), std::max(catalogue_.DeviceCount, 0));
}

const DeviceDescriptor* CSelectionModel::SelectedDevice() const {
    return selected_ >= 0 && selected_ < Matching()
               ? &matching_[static_cast<std::size_t>(selected_)]
               : nullptr;
}

std::optional<CSelectionModel::GridRow> CSelectionModel::RowAt(int row) const {
    if (row < 0 || row >= VisibleRows()) {
        return std::nullopt;
    }
    const int entry = entryAt(row);
    if (entry >= Matching()) {
        return std::nullopt;
    }
    const DeviceDescriptor& device = matching_[static_cast<std::size_t>(entry)];
    return GridRow{latin1(FieldText(device.Name)), latin1(FieldText(device.Package)),
                   entry == selected_};
}

DeviceDetails CSelectionModel::Details() const {
    DeviceDetails details;
    const DeviceDescriptor* device = SelectedDevice();
    if (device == nullptr) {
        details.Memory.fill(noneText());
        details.DeviceName = details.Library = details.Vendor = noneText();
        return details;
    }
    for (int m = 0; m < 4; ++m) {
        const std::uint32_t size = device->MemSize[m];
        details.Memory[static_cast<std::size_t>(m)] =
            size == 0 ? noneText() : QString::number(size);
    }
    details.DeviceName = latin1(FieldText(device->Name)) + QStringLiteral(" / ") +
                         latin1(FieldText(device->Package));
    details.Library = latin1(FieldText(device->LibName));
    details.Vendor = vendorName_ ? vendorName_(*device) : latin1(FieldText(device->Vendor));
    return details;
}

AdapterControls CSelectionModel::Adapter() const {
    AdapterControls controls;
    controls.LoadEnabled = controls.CreatorEnabled = controls.UserEnabled = choice_.NeedsAdapter;
    controls.GenericEnabled = choice_.NeedsAdapter && choice_.GenericAvailable;
    controls.UserSelected = choice_.NeedsAdapter && userSelected_;
    controls.DisplayedPath = displayedPath_;
    return controls;
}

std::string CSelectionModel::LogoVendorCode() const {
    if (const DeviceDescriptor* device = SelectedDevice()) {
        return FieldText(device->Vendor);
    }
    return filter_.VendorCode;
}

} // namespace zelmo
