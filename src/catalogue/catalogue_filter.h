#pragma once

// Filtering of the device catalogue by device type, vendor and search text, as the device
// selection dialog does on every change of one of them, and the texts and grid paging that go
// with the result.

#include "catalogue/catalogue_list.h"

#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelmo {

// The type radio buttons of the selection dialog, top to bottom.
struct DeviceTypeChoice {
    std::int32_t Code; // DeviceDescriptor.Type; 0 = all types
    const char* Button;
    const char* Caption;
};
std::span<const DeviceTypeChoice> DeviceTypeChoices();

inline constexpr char kAllVendorsCode[] = "ALL";
inline constexpr char kAllVendorsEntry[] = "-- All vendors --";
inline constexpr int kSearchTextMax = 30; // characters the search field takes

struct CatalogueFilter {
    std::int32_t Type = 0;  // 0: every type
    int VendorPosition = 0; // position in the vendor list entries; 0: every vendor
    std::string VendorCode = kAllVendorsCode;
    std::string SearchText; // 8-bit text; empty matches every name
};

// The vendor list of the dialog: "-- All vendors --", then every vendor name in catalogue
// order, unsorted.
std::vector<QString> VendorListEntries(const CCatalogue& catalogue);
// The vendor code behind a vendor list position: "ALL" for position 0, the vendor's code for
// 1..count, empty for a position outside the list.
std::string VendorCodeAt(const CCatalogue& catalogue, int position);
// A filter for the vendor list position (and its code), keeping the type and the search text.
void SelectVendor(const CCatalogue& catalogue, int position, CatalogueFilter& filter);

// Whether one descriptor passes the filter: its type equals the filter's (or the filter takes
// all types), its vendor code equals the filter's (or the filter takes all vendors), and the
// search text occurs anywhere in its name, compared case-insensitively. Package and vendor name
// are not searched.
bool DeviceMatches(const DeviceDescriptor& device, const CatalogueFilter& filter);

// Copies of every matching descriptor, in catalogue order.
std::vector<DeviceDescriptor> FilterDevices(const CCatalogue& catalogue,
                                            const CatalogueFilter& filter);

// "%d devices found (%d all)".
QString DeviceCountText(int matching, std::int32_t all);

// Upper-cases 8-bit ISO 8859-1 text.
std::string UpperLatin1(std::string_view text);

// The device grid shows 16 rows; a separate scroll bar pages through longer results.
inline constexpr int kGridRows = 16;
struct GridPaging {
    bool Enabled = false; // only when more than 16 devices match
    int Maximum = 0;      // matching - 16
    int PageStep = kGridRows;
};
GridPaging PagingFor(int matching);

} // namespace zelmo
