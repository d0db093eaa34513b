#pragma once

// The device selection dialog without its widgets: the type, vendor and search filter over the
// catalogue, the device grid of 16 rows with its own scroll bar, the keyboard rules of the search
// field and the grid, the details of the highlighted device, the adapter choice, the number of
// copies, the vendor logo to show, and OK with the last selection it leaves for the next time.
// The dialog sets its controls from these values and forwards every change here.

#include "catalogue/catalogue_assets.h"
#include "catalogue/catalogue_filter.h"
#include "catalogue/catalogue_list.h"
#include "platform/result.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelmo {

// The last confirmed selection, kept by the project and the configuration between showings.
struct LastSelection {
    std::int32_t Type = 0;           // "LastSelType": type code, 0 for all types
    std::int32_t VendorPosition = 0; // "LastSelMan": vendor list position, 0 for all vendors
    std::int32_t Device = 0;         // "LastSelDev": index in the filtered list
    std::string SearchText;          // "LastSearchStr": 8-bit text
};

// The texts of the details area; "none" everywhere without a matching device.
struct DeviceDetails {
    std::array<QString, 4> Memory; // lMemoryA to lMemoryD: the size in decimal or "none"
    QString DeviceName;            // lDeviceName: "<Name> / <Package>"
    QString Library;               // LabelLib
    QString Vendor;                // LabelVendor: the vendor's display name
};

// The adapter controls for the highlighted device.
struct AdapterControls {
    bool LoadEnabled = false;    // bLoadAdapter
    bool CreatorEnabled = false; // bAdapterCreator
    bool UserEnabled = false;    // rbUserAdapter
    bool GenericEnabled = false; // rbGenericAdapter
    bool UserSelected = false;   // "User defined" selected, else "Generic"
    QString DisplayedPath;       // drawn in pbAdapterFile, "none" when empty
};

// What "Add device" takes from a confirmed dialog.
struct DeviceSelection {
    DeviceDescriptor Descriptor{};
    int Copies = 1;
    QString AdapterPath; // the user's file when "User defined" is selected, else the generic one
};

enum class GridKey { Up, Down, PageUp, PageDown, Home, End, Left, Right, Enter };
enum class SearchKey { Enter, Down, Up };

inline constexpr int kMaxCopies = 8;
inline constexpr char kAdapterFileUnreadable[] = "Could not open adapter file.";

class CSelectionModel {
public:
    // The vendor's display name of a device (the hardware library's _ZmGetVendorName).
    using VendorNameFn = std::function<QString(const DeviceDescriptor&)>;

    CSelectionModel(const CCatalogue& catalogue, QString appDir, VendorNameFn vendorName);

    // Opens the dialog on the last selection: its type (all types for a code no button has), its
    // search text (30 characters at most), its vendor (all vendors for a position the catalogue no
    // longer has), the filtered grid with its first row selected, one copy, no logo yet.
    void Open(const LastSelection& last);

    // Changes: each filters anew, puts the grid at the top and selects its first row.
    void SetType(std::int32_t code); // loads the first device's vendor logo
    void SetVendor(int position);    // loads the chosen vendor's logo
    void SetSearchText(const QString& text);

    // The grid's current row was chosen with the mouse (row 0 to 15).
    void ClickRow(int row);
    // The scroll bar was moved: the rows show other entries, the selection stays.
    void SetScrollPosition(int position);
    // Keys in the grid; true when the key asks for OK (Enter).
    bool GridKeyPressed(GridKey key);
    // Keys in the search field: each moves the focus into the grid; true when OK is asked for.
    bool SearchKeyPressed(SearchKey key);

    // The adapter radio buttons only switch the displayed path.
    void ChooseGenericAdapter();
    void ChooseUserAdapter();
    // "Load adapter file": a valid adapter file becomes the user's file and is selected;
    // anything else fails with "Could not open adapter file." and changes nothing.
    Result LoadUserAdapter(const QString& path);
    // The adapter creator opens on the user's file while it is selected, else the generic one;
    // when it closes other than by Cancel its file becomes the user's file and is selected.
    QString CreatorPath() const;
    void CreatorClosed(const QString& path);

    void SetCopiesIndex(int index); // cbMultAdd: "1x" to "8x"

    // OK: the message to show while the dialog stays open, or a confirmed selection that also
    // updates `last` (type, vendor position, selected index, search text).
    struct OkOutcome {
        bool Confirmed = false;
        QString Message;
    };
    OkOutcome Ok(LastSelection& last);
    // The confirmed selection (valid after Ok() confirmed).
    DeviceSelection Selection() const;

    // State the dialog shows.
    const CatalogueFilter& Filter() const { return filter_; }
    const std::vector<QString>& VendorEntries() const { return vendorEntries_; }
    int Matching() const { return static_cast<int>(matching_.size()); }
    QString CountText() const;
    GridPaging Paging() const { return PagingFor(Matching()); }
    int ScrollPosition() const { return scroll_; }
    int VisibleRows() const;
    int CurrentRow() const { return row_; }
    int SelectedIndex() const { return selected_; }
    const DeviceDescriptor* SelectedDevice() const;
    struct GridRow {
        QString Name;
        QString Package;
        bool Selected = false; // drawn white on the highlight colour
    };
    // The entry row `row` of the grid shows; none past the matches.
    std::optional<GridRow> RowAt(int row) const;
    DeviceDetails Details() const;
    AdapterControls Adapter() const;
    const QString& UserAdapterPath() const { return userAdapterPath_; }
    const QString& GenericAdapterPath() const { return choice_.GenericPath; }
    int CopiesIndex() const { return copiesIndex_; }
    // The logo to show: "<appDir>/Logo/<code>.bmp", empty while none was asked for.
    const QString& LogoPath() const { return logoPath_; }
    // The vendor code whose web page the logo opens (the selected device's vendor, or the chosen
    // vendor's code without a matching device).
    std::string LogoVendorCode() const;

private:
    void filter();
    void selectRow(int row, bool userAction);
    void loadLogo(const std::string& vendorCode);
    int entryAt(int row) const;

    const CCatalogue& catalogue_;
    QString appDir_;
    VendorNameFn vendorName_;
    CatalogueFilter filter_;
    std::vector<QString> vendorEntries_;
    std::vector<DeviceDescriptor> matching_;
    int scroll_ = 0;
    int row_ = 0;
    int selected_ = -1;
    AdapterChoice choice_;
    bool userSelected_ = false;
    QString displayedPath_;
    QString userAdapterPath_;
    int copiesIndex_ = 0;
    QString logoPath_;
};

} // namespace zelmo
