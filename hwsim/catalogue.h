#pragma once

// A loaded catalogue: the parsed file, the two linked lists in the layouts the application
// walks (owned here, stable for the catalogue's lifetime), and lookups by key.

#include "catalogue_file.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hwsim {

class Catalogue {
public:
    explicit Catalogue(CatalogueFile file);

    enum class Content { Everything, VendorsOnly };
    // Reads and parses a catalogue file; null with a message when it cannot be read. With
    // VendorsOnly the devices and adapters are left out (a catalogue without devices).
    static std::shared_ptr<const Catalogue> load(const std::filesystem::path& file,
                                                 std::string& error,
                                                 Content content = Content::Everything);

    const CatalogueFile& file() const { return file_; }
    // Counts as the library reports them: negative line number of the first error.
    int vendorCount() const;
    int deviceCount() const;
    ZmVendorRecord* vendorHead() const;
    ZmDeviceRecord* deviceHead() const;

    const CatalogueVendor* vendor(std::string_view code) const;
    const CatalogueDevice* device(std::string_view key) const;
    const CatalogueAdapter* adapter(std::string_view package) const;

private:
    CatalogueFile file_;
    std::unique_ptr<ZmVendorRecord[]> vendorRecords_;
    std::unique_ptr<ZmDeviceRecord[]> deviceRecords_;
    std::map<std::string, std::size_t, std::less<>> byKey_;
};

} // namespace hwsim
